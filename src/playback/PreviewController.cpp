#include "PreviewController.h"

#include "ObservableField.h"

#include <QCoreApplication>
#include <QPointer>
#include <algorithm>
#include <cmath>

namespace orvane {

namespace {

// The minute a step recorded, as the page names it ("10:20:30").
QString minuteOf(const std::optional<VideoSegmentPlaylist>& playlist, int index) {
    if (!playlist || index < 0 || size_t(index) >= playlist->steps.size())
        return {};
    const auto video = playlist->steps[size_t(index)].primaryVideo();
    return video ? LocalTime::format(video->startTime, QStringLiteral("HH:mm:ss")) : QString();
}

} // namespace

PreviewController::PreviewController(PreviewEnvironment environment, QObject* parent)
    : QObject(parent), environment_(std::move(environment)) {}

PreviewController::~PreviewController() {
    cancelScrubTask();
}

void PreviewController::loadPlaylist(const VideoSegmentPlaylist& playlist, double initialTime,
                                     bool resumePlayback, int startStep) {
    if (loadedPlaylistSignature_ && *loadedPlaylistSignature_ == playlist.signature)
        return;
    pausePlayers();
    stopObservers();
    userMoved();
    const double start = initialTime > 0 ? initialTime : 0;
    setLoading(true);
    loadedPlaylistSignature_ = playlist.signature;
    const LatestRequest::Ticket ticket = loads_.start();
    playlistWillLoad(playlist);
    setPlaying(false);
    setCurrentTime(start);
    playlist_ = playlist;
    stepDurations_.clear();
    stepsProvisional_ = false;
    // The step asked for from the start: the minute shown must not flicker to the first one.
    currentStepIndex_ = playlist.steps.empty() ? 0 : std::clamp(startStep, 0, int(playlist.steps.size()) - 1);
    emit currentStepIndexChanged();

    // The step shown is measured on its own first, so its picture need not wait for every file
    // of the event; the whole time line follows.
    QPointer<PreviewController> self(this);
    const int first = currentStepIndex_;
    if (playlist.steps.size() > 1)
        environment_.measureSteps(
            {playlist.steps[size_t(first)]},
            [self, ticket, start, first, resumePlayback](std::vector<double> durations) {
                if (self && self->loads_.isLatest(ticket))
                    self->startMeasuredStep(first, durations, start, resumePlayback);
            });
    environment_.measureSteps(
        playlist.steps, [self, ticket, start, startStep, resumePlayback](std::vector<double> durations) {
            // A superseded or destroyed controller drops the late result.
            if (self && self->loads_.isLatest(ticket))
                self->applyStepDurations(std::move(durations), start, startStep, resumePlayback);
        });
}

void PreviewController::startMeasuredStep(int step, const std::vector<double>& measured, double offset,
                                          bool resumePlayback) {
    if (!stepDurations_.empty() || !playlist_)
        return; // the whole time line was measured first
    const double length = measured.empty() ? VideoSegmentPlaylist::fallbackStepDuration : measured.front();
    // A time past the step's end lands in a later step: where, only every length tells.
    if (step == 0 ? offset > length : offset >= length)
        return;
    // The other steps count as whole minutes until they are measured.
    std::vector<double> provisional(playlist_->steps.size(), VideoSegmentPlaylist::fallbackStepDuration);
    provisional[size_t(step)] = length;
    stepDurations_ = std::move(provisional);
    stepsProvisional_ = true;
    showDuration();
    setCurrentTime(VideoSegmentPlaylist::globalTime(step, offset, stepDurations_));
    loadStep(step, offset, resumePlayback);
}

void PreviewController::applyStepDurations(std::vector<double> durations, double offset, int startStep,
                                           bool resumePlayback) {
    if (stepsProvisional_) {
        // The step on screen plays on; only its place on the time line moves.
        const double local =
            currentTime_ - VideoSegmentPlaylist::globalTime(currentStepIndex_, 0, stepDurations_);
        stepsProvisional_ = false;
        if (durations.size() == stepDurations_.size())
            stepDurations_ = std::move(durations);
        showDuration();
        setCurrentTime(VideoSegmentPlaylist::globalTime(currentStepIndex_, local, stepDurations_));
        return;
    }
    double start = offset;
    for (int i = 0; i < startStep && size_t(i) < durations.size(); ++i)
        start += durations[size_t(i)];
    stepDurations_ = std::move(durations);
    showDuration();
    setCurrentTime(std::min(duration_, start));
    // Inside the step asked for, that step: a step's start lies on the boundary that locating
    // gives to the step before.
    const bool inStartStep = startStep > 0 && size_t(startStep) < stepDurations_.size() &&
                             offset < stepDurations_[size_t(startStep)];
    const auto located = inStartStep ? std::optional(std::pair{startStep, offset})
                                     : VideoSegmentPlaylist::locate(start, stepDurations_);
    const auto [index, local] = located.value_or(std::pair{0, 0.0});
    loadStep(index, local, resumePlayback);
}

void PreviewController::showDuration() {
    double total = 0;
    for (double d : stepDurations_)
        total += d;
    setDuration(total);
}

void PreviewController::setCurrentStepIndex(int index) {
    if (index == currentStepIndex_)
        return;
    currentStepIndex_ = index;
    emit currentStepIndexChanged();
}

void PreviewController::seekTimeline(double time, bool resumeIfPlaying, std::function<void()> completion) {
    userMoved();
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
    seekInStep(located->second, resumeIfPlaying, std::move(completion));
}

void PreviewController::seekStep(int index, double localTime, bool resumeIfPlaying) {
    if (!playlist_ || index < 0 || size_t(index) >= stepDurations_.size())
        return;
    userMoved();
    setCurrentTime(VideoSegmentPlaylist::globalTime(index, localTime, stepDurations_));
    if (index != currentStepIndex_)
        loadStep(index, localTime, resumeIfPlaying);
    else
        seekInStep(localTime, resumeIfPlaying, {});
}

void PreviewController::showItemTime(double itemTime) {
    if (isScrubbing_)
        return;
    if (std::isfinite(itemTime))
        setCurrentTime(VideoSegmentPlaylist::globalTime(currentStepIndex_, itemTime, stepDurations_));
    if (playersPlaying() && !isPlaying_)
        setPlaying(true);
}

void PreviewController::advanceToNextStep() {
    if (!playlist_)
        return;
    if (size_t(currentStepIndex_) + 1 >= playlist_->steps.size()) {
        setPlaying(false);
        setCurrentTime(duration_);
        lastStepEnded();
        return;
    }
    loadStep(currentStepIndex_ + 1, 0, isPlaying_);
    nextStepLoading();
}

void PreviewController::stopShort(double itemTime, bool gone, const QString& reason) {
    pausePlayers();
    setPlaying(false);
    setCurrentTime(VideoSegmentPlaylist::globalTime(currentStepIndex_, itemTime, stepDurations_));
    stoppedShort_ = true;
    if (gone)
        setNotice(Notice::sourceGone,
                  QCoreApplication::translate("PreviewController", "无法继续读取录像，存储设备可能已断开：%1")
                      .arg(reason));
    else
        setNotice(Notice::endedEarly,
                  QCoreApplication::translate("PreviewController", "这段录像提前结束：%1").arg(reason));
}

void PreviewController::stepUnreadable(bool gone, const QString& reason, bool resumeIfPlaying) {
    stepUnreadable_ = true;
    if (gone) {
        pausePlayers();
        setPlaying(false);
        setNotice(Notice::sourceGone,
                  QCoreApplication::translate("PreviewController", "无法继续读取录像，存储设备可能已断开：%1")
                      .arg(reason));
        return;
    }
    if (!resumeIfPlaying && !isPlaying_)
        return; // the step says why itself; playing goes on with the next one
    const QString why =
        reason.isEmpty() ? QCoreApplication::translate("PreviewController", "没有可播放的画面") : reason;
    setNotice(Notice::skippedUnreadable,
              QCoreApplication::translate("PreviewController", "无法读取 %1 的录像（%2），已跳到下一段")
                  .arg(minuteOf(playlist_, currentStepIndex_), why));
    goOnFrom(currentStepIndex_ + 1);
}

void PreviewController::stepOpening() {
    stepUnreadable_ = false;
    stoppedShort_ = false;
}

void PreviewController::goOnFrom(int index) {
    if (!playlist_)
        return;
    if (size_t(index) >= playlist_->steps.size()) { // nothing after it: the time line ends
        pausePlayers();
        setPlaying(false);
        setCurrentTime(duration_);
        lastStepEnded();
        return;
    }
    setPlaying(true);
    setCurrentTime(VideoSegmentPlaylist::globalTime(index, 0, stepDurations_));
    loadStep(index, 0, true);
    nextStepLoading();
}

void PreviewController::userMoved() {
    stoppedShort_ = false;
    setNotice(Notice::none, {});
}

void PreviewController::setNotice(Notice notice, const QString& text) {
    if (notice == notice_ && text == noticeText_)
        return;
    notice_ = notice;
    noticeText_ = text;
    emit noticeChanged();
}

void PreviewController::startPlayback() {
    playPlayers();
    setPlaying(true);
}

void PreviewController::togglePlayPause() {
    // Stopped on a step that ended early or cannot be read: playing goes on after it, or from
    // the start after the last one.
    if (!isPlaying_ && (stoppedShort_ || stepUnreadable_) && playlist_) {
        const bool unreadable = stepUnreadable_;
        userMoved();
        if (size_t(currentStepIndex_) + 1 < playlist_->steps.size())
            goOnFrom(currentStepIndex_ + 1);
        else if (currentStepIndex_ > 0 || !unreadable)
            seekTimeline(0, true, {});
        return;
    }
    if (!hasItem())
        return;
    if (isPlaying_) {
        pausePlayers();
        setPlaying(false);
        return;
    }
    if (duration_ > 0 && currentTime_ >= duration_ - endThreshold)
        seekTimeline(0, false, {});
    startPlayback();
}

void PreviewController::setPlaybackRate(float rate) {
    if (playbackRate_ != rate) {
        playbackRate_ = rate;
        emit playbackRateChanged();
    }
    if (isPlaying_)
        applyRate(rate);
}

void PreviewController::setScrubbing(bool scrubbing) {
    if (!scrubbing) {
        finishScrubbing();
        return;
    }
    wasPlayingBeforeScrub_ = isPlaying_;
    setScrubbingFlag(true);
    pausePlayers();
}

void PreviewController::updateScrubPosition(double time) {
    const double t = std::clamp(time > 0 ? time : 0.0, 0.0, std::max(0.0, duration_));
    setCurrentTime(t);
    if (!isScrubbing_)
        return;
    userMoved();
    cancelScrubTask();
    QPointer<PreviewController> self(this);
    scrubSeekTask_ = environment_.schedule(scrubDelayMilliseconds, [self, t] {
        if (!self || !self->isScrubbing_)
            return;
        self->scrubSeekTask_ = {};
        self->previewScrub(t);
    });
}

void PreviewController::previewScrub(double time) {
    const auto located = VideoSegmentPlaylist::locate(time, stepDurations_);
    if (!located)
        return;
    if (located->first != currentStepIndex_) {
        loadStep(located->first, located->second, false);
        return;
    }
    scrubInStep(located->second);
}

void PreviewController::finishScrubbing() {
    cancelScrubTask();
    setScrubbingFlag(false);
    QPointer<PreviewController> self(this);
    seekTimeline(currentTime_, false, [self] {
        if (self && self->wasPlayingBeforeScrub_)
            self->startPlayback();
    });
}

void PreviewController::stop() {
    releasePlayers();
    userMoved();
    stepUnreadable_ = false;
    loadedPlaylistSignature_.reset();
    loads_.supersede();
    cancelScrubTask();
    setPlaying(false);
    setDuration(0);
    setCurrentTime(0);
    setLoading(false);
    playlist_.reset();
    stepDurations_.clear();
    stepsProvisional_ = false;
    currentStepIndex_ = 0;
}

void PreviewController::cancelScrubTask() {
    if (scrubSeekTask_) {
        auto cancel = std::move(scrubSeekTask_);
        scrubSeekTask_ = {};
        cancel();
    }
}

void PreviewController::setPlaying(bool value) {
    assignAndNotify(isPlaying_, value, this, &PreviewController::isPlayingChanged);
}
void PreviewController::setDuration(double value) {
    assignAndNotify(duration_, value, this, &PreviewController::durationChanged);
}
void PreviewController::setCurrentTime(double value) {
    assignAndNotify(currentTime_, value, this, &PreviewController::currentTimeChanged);
}
void PreviewController::setScrubbingFlag(bool value) {
    assignAndNotify(isScrubbing_, value, this, &PreviewController::isScrubbingChanged);
}
void PreviewController::setLoading(bool value) {
    assignAndNotify(isLoading_, value, this, &PreviewController::isLoadingChanged);
}

} // namespace orvane
