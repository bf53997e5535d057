#include "VideoPreviewController.h"

#include "ObservableField.h"

#include <QPointer>

namespace orvane {

using media::AbstractMediaPlayer;

VideoPreviewController::VideoPreviewController(QObject* parent)
    : VideoPreviewController(PreviewEnvironment::standard(), parent) {}

VideoPreviewController::VideoPreviewController(PreviewEnvironment environment, QObject* parent)
    : PreviewController(std::move(environment), parent), player_(this->environment().makePlayer()) {}

VideoPreviewController::~VideoPreviewController() = default;

void VideoPreviewController::setVideoSink(QVideoSink* sink) {
    player_->setVideoSink(sink);
}

void VideoPreviewController::setShownWidth(int pixels) {
    player_->setShownWidth(pixels);
}

void VideoPreviewController::seek(double time, bool resumeIfPlaying, std::function<void()> completion) {
    seekTimeline(time, resumeIfPlaying, std::move(completion));
}

bool VideoPreviewController::hasItem() const {
    return player_->hasCurrentItem() && player_->itemStatus() != AbstractMediaPlayer::ItemStatus::failed;
}
bool VideoPreviewController::playersPlaying() const {
    return player_->rate() > 0;
}
void VideoPreviewController::pausePlayers() {
    player_->pause();
}
void VideoPreviewController::playPlayers() {
    player_->playImmediately(playbackRate());
}
void VideoPreviewController::applyRate(float rate) {
    player_->setRate(rate);
}

void VideoPreviewController::playlistWillLoad(const VideoSegmentPlaylist& playlist) {
    std::optional<TeslaVideoFile> first =
        playlist.steps.empty() ? std::nullopt : playlist.steps.front().primaryVideo();
    setLoadedVideoID(first ? std::optional(first->id) : std::nullopt);
}

void VideoPreviewController::loadStep(int index, double localTime, bool resumeIfPlaying) {
    if (!playlist() || index < 0 || size_t(index) >= playlist()->steps.size()) {
        setLoading(false);
        return;
    }
    const PlaybackStep& step = playlist()->steps[size_t(index)];
    setCurrentStepIndex(index);
    const auto primary = step.primaryVideo();
    setLoadedVideoID(primary ? std::optional(primary->id) : std::nullopt);
    if (step.kind() == PlaybackStep::Kind::multiCamera || !primary) {
        setLoading(false);
        return;
    }
    stopObservers();
    stepOpening();
    setLoading(true);
    setProblem(std::nullopt);
    player_->replaceCurrentItem(primary->url);
    QPointer<VideoPreviewController> self(this);
    statusObserver_ = connect(player_.get(), &AbstractMediaPlayer::itemStatusChanged, this,
                              [self, localTime, resumeIfPlaying](AbstractMediaPlayer::ItemStatus status) {
                                  if (!self)
                                      return;
                                  if (status == AbstractMediaPlayer::ItemStatus::readyToPlay) {
                                      self->setLoading(false);
                                      self->seekInStep(localTime, resumeIfPlaying, {});
                                  } else if (status == AbstractMediaPlayer::ItemStatus::failed) {
                                      // A file that cannot be opened shows nothing, and says why;
                                      // playing goes on with the next one.
                                      const QString why = self->player_->problem();
                                      self->setLoading(false);
                                      self->setProblem(PlaybackProblem{true, 0, why});
                                      self->stepUnreadable(self->player_->sourceGone(), why, resumeIfPlaying);
                                  }
                              });
    setupTimeObserver();
    setupEndObserver();
}

void VideoPreviewController::seekInStep(double localTime, bool resumeIfPlaying,
                                        std::function<void()> completion) {
    const double local = localTime > 0 ? localTime : 0;
    setCurrentTime(VideoSegmentPlaylist::globalTime(currentStepIndex(), local, stepDurations()));
    if (problem_ && !problem_->unreadable)
        setProblem(std::nullopt); // told again should the pictures stop short again
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

void VideoPreviewController::scrubInStep(double localTime) {
    player_->cancelPendingSeeks();
    player_->seek(localTime, scrubTolerance, scrubTolerance);
}

void VideoPreviewController::setupTimeObserver() {
    QPointer<VideoPreviewController> self(this);
    timeObserver_ = connect(player_.get(), &AbstractMediaPlayer::periodicTime, this, [self](double itemTime) {
        if (self)
            self->showItemTime(itemTime);
    });
}

void VideoPreviewController::setupEndObserver() {
    QPointer<VideoPreviewController> self(this);
    endObserver_ = connect(player_.get(), &AbstractMediaPlayer::didPlayToEnd, this, [self] {
        if (self)
            self->advanceToNextStep();
    });
    stopShortObserver_ =
        connect(player_.get(), &AbstractMediaPlayer::didStopShort, this, [self](double itemTime) {
            if (!self)
                return;
            const QString why = self->player_->problem();
            self->stopShort(itemTime, self->player_->sourceGone(), why);
            self->setProblem(PlaybackProblem{false, self->currentTime(), why});
        });
}

void VideoPreviewController::stopObservers() {
    disconnect(timeObserver_);
    disconnect(statusObserver_);
    disconnect(endObserver_);
    disconnect(stopShortObserver_);
}

void VideoPreviewController::releasePlayers() {
    player_->pause();
    player_->replaceCurrentItem({});
    stopObservers();
    setLoadedVideoID(std::nullopt);
    setProblem(std::nullopt);
}

void VideoPreviewController::setLoadedVideoID(std::optional<QUuid> value) {
    assignAndNotify(loadedVideoID_, value, this, &VideoPreviewController::loadedVideoIDChanged);
}

void VideoPreviewController::setProblem(std::optional<PlaybackProblem> value) {
    assignAndNotify(problem_, std::move(value), this, &VideoPreviewController::problemChanged);
}

} // namespace orvane
