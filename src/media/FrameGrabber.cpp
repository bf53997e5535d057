#include "FrameGrabber.h"

#include "FileName.h"
#include "MediaError.h"
#include "VideoDecoder.h"

#include <QCoreApplication>
#include <QString>

namespace orvane::media {

FrameGrabber::FrameGrabber(const QString& path)
    : decoder_(std::make_unique<VideoDecoder>(path)), path_(path) {}

FrameGrabber::~FrameGrabber() = default;

const MediaInfo& FrameGrabber::info() const {
    return decoder_->info();
}

namespace {

// Stream ticks become seconds with rounding: times this close to a frame's edge are on it.
constexpr double boundarySlack = 1e-6;

TimeOutsideVideoError outsideVideo(double time, double end) {
    return TimeOutsideVideoError(
        QCoreApplication::translate("FrameGrabber", "时间 %1 秒超出视频范围（0 到 %2 秒）")
            .arg(time, 0, 'g', 6)
            .arg(end, 0, 'g', 6)
            .toStdString());
}

// The frame shown at `time` exists by the index but could not be decoded.
MediaError unreadableAt(double time, int readError) {
    return MediaError(QCoreApplication::translate("FrameGrabber", "时间 %1 秒处的画面无法读取: ")
                          .arg(time, 0, 'g', 6)
                          .append(readFailureText(readError))
                          .toStdString());
}

} // namespace

GrabbedFrame FrameGrabber::grab(const FrameRequest& request) {
    const bool exact = request.toleranceBefore <= 0 && request.toleranceAfter <= 0;
    // An exact request names the frame shown at that time; there is none before the first
    // frame or after the last one has been shown for its length.
    if (exact && !(request.time >= -boundarySlack))
        throw outsideVideo(request.time, decoder_->info().duration);
    const bool found =
        exact ? decoder_->seekExact(request.time)
              : decoder_->seekTolerant(request.time, request.toleranceBefore, request.toleranceAfter);
    if (!found)
        throw MediaError("no frame could be decoded: " + FileName::display(path_).toStdString());
    const double shownUntil = decoder_->frameTime() + decoder_->info().frameDuration;
    // Lost or undecodable frames leave a time with no frame of its own: the neighbour that
    // was found instead is not the frame shown then.
    if (exact && (decoder_->frameTime() > request.time + boundarySlack ||
                  (request.time >= shownUntil - boundarySlack && request.time < decoder_->info().duration)))
        throw unreadableAt(request.time, decoder_->readError());
    if (exact && request.time >= shownUntil - boundarySlack)
        throw outsideVideo(request.time, shownUntil);
    GrabbedFrame result{decoder_->toImage(request.maxSize, request.applyPreferredTransform),
                        decoder_->frameTime(), decoder_->frameConcealed()};
    if (result.image.isNull())
        throw MediaError("the frame could not be converted: " + FileName::display(path_).toStdString());
    return result;
}

GrabbedFrame FrameGrabber::grab(const QString& path, const FrameRequest& request) {
    FrameGrabber grabber(path);
    return grabber.grab(request);
}

} // namespace orvane::media
