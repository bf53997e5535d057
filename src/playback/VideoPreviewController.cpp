#include "VideoPreviewController.h"
#include "ObservableField.h"

#include <QPointer>

#include <algorithm>
#include <cmath>

namespace orvane {

using media::AbstractMediaPlayer;

VideoPreviewController::VideoPreviewController(QObject* parent)
    : VideoPreviewController(PreviewEnvironment::standard(), parent) {}

VideoPreviewController::VideoPreviewController(PreviewEnvironment environment, QObject* parent)
    : QObject(parent), environment_(std::move(environment)), player_(environment_.makePlayer()) {}

VideoPreviewController::~VideoPreviewController() { cancelScrubTask(); }

void VideoPreviewController::setVideoSink(QVideoSink* sink) { player_->setVideoSink(sink); }

void VideoPreviewController::loadPlaylist(const VideoSegmentPlaylist& playlist, double initialTime, bool resumePlayback) {
    if (loadedPlaylistSignature_ && *loadedPlaylistSignature_ == playlist.signature)
        return;
    player_->pause();
    stopObservers();
    const double start = initialTime > 0 ? initialTime : 0;
    setLoading(true);
    loadedPlaylistSignature_ = playlist.signature;
    std::optional<TeslaVideoFile> first = playlist.steps.empty() ? std::nullopt : playlist.steps.front().primaryVideo();
    setLoadedVideoID(first ? std::optional(first->id) : std::nullopt);
    setPlaying(false);
    setCurrentTime(start);
    playlist_ = playlist;
    currentStepIndex_ = 0;
    stepDurations_.clear();

    QPointer<VideoPreviewController> self(this);
    environment_.measureSteps(playlist.steps, [self, signature = playlist.signature, start,
                                               resumePlayback](std::vector<double> durations) {
        if (!self || !self->loadedPlaylistSignature_ || *self->loadedPlaylistSignature_ != signature)
            return;
        self->stepDurations_ = std::move(durations);
        double total = 0;
        for (double d : self->stepDurations_)
            total += d;
        self->setDuration(total);
        self->setCurrentTime(std::min(total, start));
        const auto located = VideoSegmentPlaylist::locate(start, self->stepDurations_);
        const auto [index, local] = located.value_or(std::pair{0, 0.0});
        self->loadStep(index, local, resumePlayback);
    });
}

void VideoPreviewController::loadStep(int index, double localTime, bool resumeIfPlaying) {
    if (!playlist_ || index < 0 || size_t(index) >= playlist_->steps.size()) {
        setLoading(false);
        return;
    }
    const PlaybackStep& step = playlist_->steps[size_t(index)];
    currentStepIndex_ = index;
    const auto primary = step.primaryVideo();
    setLoadedVideoID(primary ? std::optional(primary->id) : std::nullopt);
    if (step.kind() == PlaybackStep::Kind::multiCamera || !primary) {
        setLoading(false);
        return;
    }
    stopObservers();
    setLoading(true);
    player_->replaceCurrentItem(primary->url);
    QPointer<VideoPreviewController> self(this);
    statusObserver_ = connect(player_.get(), &AbstractMediaPlayer::itemStatusChanged, this,
                              [self, localTime, resumeIfPlaying](AbstractMediaPlayer::ItemStatus status) {
                                  if (!self)
                                      return;
                                  if (status == AbstractMediaPlayer::ItemStatus::readyToPlay) {
                                      self->setLoading(false);
                                      self->seekCurrentStep(localTime, resumeIfPlaying, {});
                                  } else if (status == AbstractMediaPlayer::ItemStatus::failed) {
                                      // A file that cannot be opened shows nothing, but must not
                                      // leave the page loading for ever.
                                      self->setLoading(false);
                                  }
                              });
    setupTimeObserver();
    setupEndObserver();
}

void VideoPreviewController::seekCurrentStep(double localTime, bool resumeIfPlaying, std::function<void()> completion) {
    const double local = localTime > 0 ? localTime : 0;
    setCurrentTime(VideoSegmentPlaylist::globalTime(currentStepIndex_, local, stepDurations_));
    player_->cancelPendingSeeks();
    QPointer<VideoPreviewController> self(this);
    player_->seek(local, 0, 0, [self, resumeIfPlaying, completion = std::move(completion)](bool) {
        if (!self)
            return;
        if (resumeIfPlaying)
            self->startPlayback();
        if (completion)
            completion();
    });
}

void VideoPreviewController::seek(double time, bool resumeIfPlaying, std::function<void()> completion) {
    const double t = time > 0 ? time : 0;
    setCurrentTime(t);
    const auto located = VideoSegmentPlaylist::locate(t, stepDurations_);
    if (!located) {
        if (completion)
            completion();
        return;
    }
    if (located->first != currentStepIndex_) {
        loadStep(located->first, located->second, resumeIfPlaying);
        if (completion)
            completion();
        return;
    }
    seekCurrentStep(located->second, resumeIfPlaying, std::move(completion));
}

void VideoPreviewController::setupTimeObserver() {
    QPointer<VideoPreviewController> self(this);
    timeObserver_ = connect(player_.get(), &AbstractMediaPlayer::periodicTime, this, [self](double itemTime) {
        if (!self || self->isScrubbing_)
            return;
        if (std::isfinite(itemTime))
            self->setCurrentTime(VideoSegmentPlaylist::globalTime(self->currentStepIndex_, itemTime, self->stepDurations_));
        if (self->player_->rate() > 0 && !self->isPlaying_)
            self->setPlaying(true);
    });
}

void VideoPreviewController::setupEndObserver() {
    QPointer<VideoPreviewController> self(this);
    endObserver_ = connect(player_.get(), &AbstractMediaPlayer::didPlayToEnd, this, [self] {
        if (self)
            self->advanceToNextStep();
    });
}

void VideoPreviewController::advanceToNextStep() {
    if (!playlist_)
        return;
    if (size_t(currentStepIndex_) + 1 >= playlist_->steps.size()) {
        setPlaying(false);
        setCurrentTime(duration_);
        return;
    }
    loadStep(currentStepIndex_ + 1, 0, isPlaying_);
}

void VideoPreviewController::startPlayback() {
    player_->playImmediately(playbackRate_);
    setPlaying(true);
}

void VideoPreviewController::togglePlayPause() {
    if (!player_->hasCurrentItem())
        return;
    if (isPlaying_) {
        player_->pause();
        setPlaying(false);
        return;
    }
    if (duration_ > 0 && currentTime_ >= duration_ - endThreshold)
        seek(0, false);
    startPlayback();
}

void VideoPreviewController::setPlaybackRate(float rate) {
    if (playbackRate_ != rate) {
        playbackRate_ = rate;
        emit playbackRateChanged();
    }
    if (isPlaying_)
        player_->setRate(rate);
}

void VideoPreviewController::setScrubbing(bool scrubbing) {
    if (!scrubbing) {
        finishScrubbing();
        return;
    }
    wasPlayingBeforeScrub_ = isPlaying_;
    setScrubbingFlag(true);
    player_->pause();
}

void VideoPreviewController::updateScrubPosition(double time) {
    const double upper = std::max(0.0, duration_);
    const double t = std::clamp(time > 0 ? time : 0.0, 0.0, upper);
    setCurrentTime(t);
    if (!isScrubbing_)
        return;
    cancelScrubTask();
    QPointer<VideoPreviewController> self(this);
    scrubSeekTask_ = environment_.schedule(scrubDelayMilliseconds, [self, t] {
        if (!self || !self->isScrubbing_)
            return;
        self->scrubSeekTask_ = {};
        self->previewScrub(t);
    });
}

void VideoPreviewController::previewScrub(double time) {
    const auto located = VideoSegmentPlaylist::locate(time, stepDurations_);
    if (!located)
        return;
    if (located->first != currentStepIndex_) {
        loadStep(located->first, located->second, false);
        return;
    }
    player_->cancelPendingSeeks();
    player_->seek(located->second, scrubTolerance, scrubTolerance);
}

void VideoPreviewController::finishScrubbing() {
    cancelScrubTask();
    setScrubbingFlag(false);
    QPointer<VideoPreviewController> self(this);
    seek(currentTime_, false, [self] {
        if (self && self->wasPlayingBeforeScrub_)
            self->startPlayback();
    });
}

void VideoPreviewController::cancelScrubTask() {
    if (scrubSeekTask_) {
        auto cancel = std::move(scrubSeekTask_);
        scrubSeekTask_ = {};
        cancel();
    }
}

void VideoPreviewController::stopObservers() {
    disconnect(timeObserver_);
    disconnect(statusObserver_);
    disconnect(endObserver_);
}

void VideoPreviewController::stop() {
    player_->pause();
    player_->replaceCurrentItem({});
    stopObservers();
    setPlaying(false);
    setDuration(0);
    setCurrentTime(0);
    setLoadedVideoID(std::nullopt);
    loadedPlaylistSignature_.reset();
    setLoading(false);
    cancelScrubTask();
    playlist_.reset();
    stepDurations_.clear();
    currentStepIndex_ = 0;
}

void VideoPreviewController::setPlaying(bool value) {
    assignAndNotify(isPlaying_, value, this, &VideoPreviewController::isPlayingChanged);
}
void VideoPreviewController::setDuration(double value) {
    assignAndNotify(duration_, value, this, &VideoPreviewController::durationChanged);
}
void VideoPreviewController::setCurrentTime(double value) {
    assignAndNotify(currentTime_, value, this, &VideoPreviewController::currentTimeChanged);
}
void VideoPreviewController::setScrubbingFlag(bool value) {
    assignAndNotify(isScrubbing_, value, this, &VideoPreviewController::isScrubbingChanged);
}
void VideoPreviewController::setLoading(bool value) {
    assignAndNotify(isLoading_, value, this, &VideoPreviewController::isLoadingChanged);
}
void VideoPreviewController::setLoadedVideoID(std::optional<QUuid> value) {
    assignAndNotify(loadedVideoID_, value, this, &VideoPreviewController::loadedVideoIDChanged);
}

} // namespace orvane
