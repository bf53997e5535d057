#include "FrameGrabber.h"

#include "MediaError.h"
#include "VideoDecoder.h"

namespace orvane::media {

FrameGrabber::FrameGrabber(const QString& path) : decoder_(std::make_unique<VideoDecoder>(path)), path_(path) {}

FrameGrabber::~FrameGrabber() = default;

const MediaInfo& FrameGrabber::info() const { return decoder_->info(); }

GrabbedFrame FrameGrabber::grab(const FrameRequest& request) {
    const bool exact = request.toleranceBefore <= 0 && request.toleranceAfter <= 0;
    const bool found = exact ? decoder_->seekExact(request.time)
                             : decoder_->seekTolerant(request.time, request.toleranceBefore, request.toleranceAfter);
    if (!found)
        throw MediaError("no frame could be decoded: " + path_.toStdString());
    GrabbedFrame result{decoder_->toImage(request.maxSize, request.applyPreferredTransform), decoder_->frameTime()};
    if (result.image.isNull())
        throw MediaError("the frame could not be converted: " + path_.toStdString());
    return result;
}

GrabbedFrame FrameGrabber::grab(const QString& path, const FrameRequest& request) {
    FrameGrabber grabber(path);
    return grabber.grab(request);
}

} // namespace orvane::media
