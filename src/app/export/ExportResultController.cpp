#include "ExportResultController.h"

#include "AppPools.h"
#include "ExportCaptureImages.h"
#include "FileName.h"
#include "LatestRequest.h"
#include "MediaPlayer.h"
#include "MetadataParserError.h"
#include "RegularFile.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <algorithm>

namespace orvane {

namespace {

QString describe(const std::exception& error) {
    if (const auto* known = dynamic_cast<const UserFacingError*>(&error))
        return known->description();
    return QString::fromStdString(error.what());
}

struct CaptureOutcome {
    ExportedFrameCapture capture;
    QImage thumbnail;
    QString error;
};

struct SaveOutcome {
    QString message;
    QString error;
};

} // namespace

ExportResultController::ExportResultController(QObject* parent)
    : QObject(parent), player_(std::make_unique<media::MediaPlayer>()),
      captures_(new ExportCaptureList(this)) {
    connect(player_.get(), &media::AbstractMediaPlayer::itemStatusChanged, this,
            &ExportResultController::onItemStatus);
    connect(player_.get(), &media::AbstractMediaPlayer::periodicTime, this,
            &ExportResultController::onPeriodicTime);
}

ExportResultController::~ExportResultController() = default;

template <typename T>
void ExportResultController::assign(T& field, const T& value, void (ExportResultController::*changed)()) {
    if (field == value)
        return;
    field = value;
    emit(this->*changed)();
}

QString ExportResultController::videoPath() const {
    return videoUrl_.isLocalFile() ? FileName::fromUrl(videoUrl_) : videoUrl_.path();
}

void ExportResultController::setVideoUrl(const QUrl& url) {
    if (url == videoUrl_)
        return;
    videoUrl_ = url;
    emit videoUrlChanged();
    captures_->clear();
    assign(isReady_, false, &ExportResultController::isReadyChanged);
    assign(isPlaying_, false, &ExportResultController::isPlayingChanged);
    assign(currentTime_, 0.0, &ExportResultController::currentTimeChanged);
    assign(duration_, 0.0, &ExportResultController::durationChanged);
    assign(videoUnavailableMessage_, QString(), &ExportResultController::videoUnavailableMessageChanged);
    player_->replaceCurrentItem(videoPath());
}

void ExportResultController::setOutputToPhotosLibrary(bool value) {
    assign(outputToPhotosLibrary_, value, &ExportResultController::outputToPhotosLibraryChanged);
}

void ExportResultController::setVideoStartDate(double value) {
    if (value == videoStartDate_ || (std::isnan(value) && std::isnan(videoStartDate_)))
        return;
    videoStartDate_ = value;
    emit videoStartDateChanged();
}

void ExportResultController::setTimeline(const QVariant& value) {
    timeline_ = value;
    emit timelineChanged();
}

OutputDestination ExportResultController::captureDestination() const {
    if (outputToPhotosLibrary_)
        return OutputDestination::photosLibrary();
    return OutputDestination::inFolder(QFileInfo(videoPath()).absolutePath());
}

ExportTimeline ExportResultController::captureTimeline() const {
    if (timeline_.metaType() == QMetaType::fromType<ExportTimeline>()) {
        const ExportTimeline given = timeline_.value<ExportTimeline>();
        if (!given.isEmpty())
            return given;
    }
    if (std::isfinite(videoStartDate_))
        return ExportTimeline::continuous(videoStartDate_);
    return {};
}

void ExportResultController::onItemStatus() {
    using Status = media::AbstractMediaPlayer::ItemStatus;
    const Status status = player_->itemStatus();
    if (status == Status::readyToPlay) {
        assign(duration_, std::max(player_->duration(), 0.0), &ExportResultController::durationChanged);
        assign(isReady_, true, &ExportResultController::isReadyChanged);
    } else if (status == Status::failed) {
        assign(isReady_, false, &ExportResultController::isReadyChanged);
        const QString message =
            RegularFile::identify(videoPath())
                ? QCoreApplication::translate("ExportResultController", "无法播放导出的视频")
                : QCoreApplication::translate("ExportResultController", "导出的视频已不在原位置");
        assign(videoUnavailableMessage_, message, &ExportResultController::videoUnavailableMessageChanged);
    }
}

void ExportResultController::onPeriodicTime(double time) {
    if (isScrubbing_)
        return;
    if (std::isfinite(time)) {
        const double shown = duration_ > 0 ? std::clamp(time, 0.0, duration_) : time;
        assign(currentTime_, shown, &ExportResultController::currentTimeChanged);
    }
    assign(isPlaying_, player_->rate() != 0, &ExportResultController::isPlayingChanged);
}

void ExportResultController::setVideoSink(QVideoSink* sink) {
    player_->setVideoSink(sink);
    // A sink attached after the first picture was shown gets it again.
    if (sink && isReady_ && !isPlaying_ && !isScrubbing_)
        player_->seek(currentTime_, 0, 0);
}

void ExportResultController::togglePlayback() {
    if (!isReady_)
        return;
    if (isPlaying_) {
        player_->pause();
        assign(isPlaying_, false, &ExportResultController::isPlayingChanged);
        return;
    }
    if (duration_ > 0 && currentTime_ >= duration_ - endThreshold) {
        player_->seek(0, 0, 0);
        assign(currentTime_, 0.0, &ExportResultController::currentTimeChanged);
    }
    player_->playImmediately(1.0f);
    assign(isPlaying_, true, &ExportResultController::isPlayingChanged);
}

void ExportResultController::beginScrub() {
    if (isScrubbing_)
        return;
    wasPlayingBeforeScrub_ = player_->rate() != 0;
    player_->pause();
    assign(isScrubbing_, true, &ExportResultController::isScrubbingChanged);
}

void ExportResultController::scrub(double time) {
    if (!isScrubbing_ || !std::isfinite(time))
        return;
    assign(currentTime_, std::clamp(time, 0.0, std::max(duration_, 0.0)),
           &ExportResultController::currentTimeChanged);
}

void ExportResultController::endScrub() {
    if (!isScrubbing_)
        return;
    const bool resume = wasPlayingBeforeScrub_;
    QPointer<ExportResultController> self(this);
    player_->seek(currentTime_, 0, 0, [self, resume](bool finished) {
        if (self && finished && resume)
            self->player_->playImmediately(1.0f);
    });
    assign(isScrubbing_, false, &ExportResultController::isScrubbingChanged);
}

void ExportResultController::stepFrame(int count) {
    if (!isReady_ || count == 0)
        return;
    player_->stepFrames(count);
    assign(isPlaying_, false, &ExportResultController::isPlayingChanged);
}

void ExportResultController::captureCurrentFrame() {
    if (isCapturing_ || videoUrl_.isEmpty())
        return;
    player_->pause();
    assign(isPlaying_, false, &ExportResultController::isPlayingChanged);
    assign(isCapturing_, true, &ExportResultController::isCapturingChanged);
    assign(captureError_, QString(), &ExportResultController::captureErrorChanged);
    assign(operationErrorTitle_, QCoreApplication::translate("ExportResultController", "截图失败"),
           &ExportResultController::operationErrorTitleChanged);
    const double playerTime = isReady_ ? player_->currentTime() : std::nan("");
    const double time = FrameCapture::captureTime(playerTime, currentTime_, duration_);
    const FrameCapture::FrameSource source =
        frameSource_ ? frameSource_ : FrameCapture::fileSource(videoPath());
    runInBackground(
        AppPools::files(), this,
        [source, time] {
            CaptureOutcome outcome;
            try {
                outcome.capture = FrameCapture::capture(source, time);
                outcome.thumbnail = ExportCaptureImages::thumbnail(outcome.capture.image);
            } catch (const std::exception& e) {
                outcome.error = describe(e);
            }
            return outcome;
        },
        [this](const CaptureOutcome& outcome) {
            finishCapture(outcome.capture, outcome.thumbnail, outcome.error);
        });
}

void ExportResultController::finishCapture(const ExportedFrameCapture& capture, const QImage& thumbnail,
                                           const QString& error) {
    if (error.isEmpty() && !capture.image.isNull())
        captures_->append(capture, thumbnail);
    else
        assign(captureError_,
               error.isEmpty() ? QCoreApplication::translate("ExportResultController", "无法读取画面")
                               : error,
               &ExportResultController::captureErrorChanged);
    assign(isCapturing_, false, &ExportResultController::isCapturingChanged);
}

void ExportResultController::removeCapture(int row) {
    captures_->removeAt(row);
}

void ExportResultController::saveAllCaptures() {
    if (captures_->count() == 0 || isSavingCaptures_)
        return;
    assign(isSavingCaptures_, true, &ExportResultController::isSavingCapturesChanged);
    assign(saveMessage_, QString(), &ExportResultController::saveMessageChanged);
    assign(operationErrorTitle_, QCoreApplication::translate("ExportResultController", "保存失败"),
           &ExportResultController::operationErrorTitleChanged);
    runInBackground(
        AppPools::files(), this,
        [captures = captures_->captures(), destination = captureDestination(), timeline = captureTimeline()] {
            SaveOutcome outcome;
            try {
                outcome.message = FrameCapture::saveAll(captures, destination, timeline);
            } catch (const std::exception& e) {
                outcome.error = describe(e);
            }
            return outcome;
        },
        [this](const SaveOutcome& outcome) {
            if (outcome.error.isEmpty())
                assign(saveMessage_, outcome.message, &ExportResultController::saveMessageChanged);
            else
                assign(captureError_, outcome.error, &ExportResultController::captureErrorChanged);
            assign(isSavingCaptures_, false, &ExportResultController::isSavingCapturesChanged);
        });
}

void ExportResultController::copyPath() const {
    if (QClipboard* clipboard = QGuiApplication::clipboard())
        clipboard->setText(videoPath());
}

void ExportResultController::dismissCaptureError() {
    assign(captureError_, QString(), &ExportResultController::captureErrorChanged);
}

} // namespace orvane
