#include "MultiCameraPreviewController.h"
#include "ObservableField.h"

#include "MediaPlayer.h"
#include "MinuteGroups.h"

#include <QVideoSink>

#include <algorithm>
#include <cmath>
#include <set>

namespace orvane {

using media::AbstractMediaPlayer;

namespace {

constexpr int scrubDelayMilliseconds = 33;
constexpr double scrubTolerance = 0.1;
constexpr double endThreshold = 0.05;

std::vector<TeslaVideoFile> inGridOrder(const std::map<CameraAngle, TeslaVideoFile>& byAngle) {
    std::vector<TeslaVideoFile> result;
    for (CameraAngle angle : MultiCameraPreviewController::gridOrder)
        if (auto it = byAngle.find(angle); it != byAngle.end())
            result.push_back(it->second);
    return result;
}

} // namespace

namespace {

// Four players share two cores: one decoder thread each, but two for a big front camera,
// which otherwise falls behind the others.
PreviewEnvironment gridEnvironment() {
    PreviewEnvironment environment = PreviewEnvironment::standard();
    environment.makePlayer = [] {
        media::MediaPlayer::Options options;
        options.decoderThreads = 1;
        options.largeFrameDecoderThreads = 2;
        return std::make_unique<media::MediaPlayer>(options);
    };
    return environment;
}

} // namespace

MultiCameraPreviewController::MultiCameraPreviewController(QObject* parent)
    : MultiCameraPreviewController(gridEnvironment(), parent) {}

MultiCameraPreviewController::MultiCameraPreviewController(PreviewEnvironment environment, QObject* parent)
    : QObject(parent), environment_(std::move(environment)) {}

MultiCameraPreviewController::~MultiCameraPreviewController() {
    cancelScrubTask();
    stopObservers();
}

std::vector<CameraSlot> MultiCameraPreviewController::emptySlots() {
    std::vector<CameraSlot> cells;
    for (CameraAngle angle : gridOrder)
        cells.push_back(CameraSlot{angle, std::nullopt, nullptr, false});
    return cells;
}

std::map<CameraAngle, TeslaVideoFile> MultiCameraPreviewController::videosByAngle(const std::vector<TeslaVideoFile>& videos) {
    std::vector<TeslaVideoFile> sorted = videos;
    std::stable_sort(sorted.begin(), sorted.end(),
                     [](const TeslaVideoFile& a, const TeslaVideoFile& b) { return a.startTime > b.startTime; });
    std::map<CameraAngle, TeslaVideoFile> result;
    for (const TeslaVideoFile& video : sorted)
        if (video.cameraAngle)
            result.try_emplace(*video.cameraAngle, video);
    return result;
}

std::vector<TeslaVideoFile> MultiCameraPreviewController::videosForGrid(const std::vector<TeslaVideoFile>& videos,
                                                                        const std::optional<TeslaVideoFile>& focus) {
    if (videos.empty())
        return {};
    if (focus) {
        const QString key = TeslaVideoFile::timestampKey(focus->fileName);
        std::vector<TeslaVideoFile> candidates;
        for (const TeslaVideoFile& video : videos)
            if (TeslaVideoFile::timestampKey(video.fileName) == key)
                candidates.push_back(video);
        return inGridOrder(videosByAngle(candidates));
    }
    std::vector<TeslaVideoFile> withCamera;
    std::copy_if(videos.begin(), videos.end(), std::back_inserter(withCamera),
                 [](const TeslaVideoFile& v) { return v.cameraAngle.has_value(); });
    const auto groups = groupByMinute(withCamera);
    auto cameraCount = [](const std::vector<TeslaVideoFile>& files) {
        std::set<CameraAngle> angles;
        for (const auto& f : files)
            angles.insert(*f.cameraAngle);
        return angles.size();
    };
    auto latest = [](const std::vector<TeslaVideoFile>& files) {
        Instant best = distantPast;
        for (const auto& f : files)
            best = std::max(best, f.startTime);
        return best;
    };
    const std::vector<TeslaVideoFile>* chosen = nullptr;
    for (const auto& group : groups) {
        if (!chosen) {
            chosen = &group.items;
            continue;
        }
        const size_t count = cameraCount(group.items), best = cameraCount(*chosen);
        if (count > best || (count == best && latest(group.items) > latest(*chosen)))
            chosen = &group.items;
    }
    return chosen ? inGridOrder(videosByAngle(*chosen)) : std::vector<TeslaVideoFile>{};
}

void MultiCameraPreviewController::setVideoSink(int cell, QVideoSink* sink) {
    if (cell < 0 || cell >= int(sinks_.size()))
        return;
    sinks_[size_t(cell)] = sink;
    if (size_t(cell) < slots_.size() && slots_[size_t(cell)].player)
        slots_[size_t(cell)].player->setVideoSink(sink);
}

void MultiCameraPreviewController::loadPlaylist(const VideoSegmentPlaylist& playlist, double initialTime,
                                                bool resumePlayback) {
    if (loadedPlaylistSignature_ && *loadedPlaylistSignature_ == playlist.signature)
        return;
    pauseAll();
    stopObservers();
    const double start = initialTime > 0 ? initialTime : 0;
    setLoading(true);
    loadedPlaylistSignature_ = playlist.signature;
    setPlaying(false);
    setCurrentTime(start);
    playlist_ = playlist;
    currentStepIndex_ = 0;
    stepDurations_.clear();

    QPointer<MultiCameraPreviewController> self(this);
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

void MultiCameraPreviewController::loadStep(int index, double localTime, bool resumeIfPlaying) {
    if (!playlist_ || index < 0 || size_t(index) >= playlist_->steps.size()) {
        setLoading(false);
        return;
    }
    stopObservers();
    currentStepIndex_ = index;
    setLoading(true);
    expectedLoadCount_ = 0;
    const auto byAngle = videosByAngle(playlist_->steps[size_t(index)].files());

    std::vector<CameraSlot> cells;
    QPointer<MultiCameraPreviewController> self(this);
    for (size_t cell = 0; cell < gridOrder.size(); ++cell) {
        const CameraAngle angle = gridOrder[cell];
        auto it = byAngle.find(angle);
        if (it == byAngle.end()) {
            cells.push_back(CameraSlot{angle, std::nullopt, nullptr, false});
            continue;
        }
        std::shared_ptr<AbstractMediaPlayer> player = environment_.makePlayer();
        player->setVideoSink(sinks_[cell]);
        statusObservers_.push_back(connect(player.get(), &AbstractMediaPlayer::itemStatusChanged, this,
                                           [self, cell, localTime, resumeIfPlaying](AbstractMediaPlayer::ItemStatus s) {
                                               if (self && (s == AbstractMediaPlayer::ItemStatus::readyToPlay ||
                                                            s == AbstractMediaPlayer::ItemStatus::failed))
                                                   self->markSlotLoaded(int(cell), localTime, resumeIfPlaying);
                                           }));
        endObservers_.push_back(connect(player.get(), &AbstractMediaPlayer::didPlayToEnd, this, [self] {
            if (self)
                self->advanceToNextStep();
        }));
        player->replaceCurrentItem(it->second.url);
        cells.push_back(CameraSlot{angle, it->second, player, true});
        ++expectedLoadCount_;
    }
    // The previous step's players go with the old slots, but not before the event loop runs
    // again: this may be running inside one of their own signals.
    auto retired = std::make_shared<std::vector<CameraSlot>>(std::move(slots_));
    QMetaObject::invokeMethod(this, [retired] { retired->clear(); }, Qt::QueuedConnection);
    slots_ = std::move(cells);
    masterPlayer_ = nullptr;
    for (const CameraSlot& slot : slots_)
        if (slot.player && !masterPlayer_)
            masterPlayer_ = slot.player.get();
    emit cameraSlotsChanged();
    if (expectedLoadCount_ == 0)
        setLoading(false);
    setupTimeObserver();
}

void MultiCameraPreviewController::markSlotLoaded(int index, double localTime, bool resumeIfPlaying) {
    if (index < 0 || size_t(index) >= slots_.size() || !slots_[size_t(index)].isLoading)
        return;
    slots_[size_t(index)].isLoading = false;
    emit cameraSlotsChanged();
    if (std::any_of(slots_.begin(), slots_.end(), [](const CameraSlot& s) { return s.isLoading; }))
        return;
    setLoading(false);
    // Seek inside the current step: going through the global time would send local time 0
    // back to the end of the previous step (a boundary belongs to the earlier step).
    seekCells(localTime, resumeIfPlaying, {});
}

void MultiCameraPreviewController::seekAll(double time, bool resumeIfPlaying, std::function<void()> completion) {
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
    seekCells(located->second, resumeIfPlaying, std::move(completion));
}

void MultiCameraPreviewController::seekCells(double localTime, bool resumeIfPlaying, std::function<void()> completion) {
    const double local = localTime > 0 ? localTime : 0;
    setCurrentTime(VideoSegmentPlaylist::globalTime(currentStepIndex_, local, stepDurations_));
    std::vector<std::shared_ptr<AbstractMediaPlayer>> players;
    for (const CameraSlot& slot : slots_)
        if (slot.player)
            players.push_back(slot.player);
    if (players.empty()) {
        // Nothing to wait for: the completion still runs.
        if (completion)
            completion();
        return;
    }
    // A cell that kept playing would start its clock when its own seek lands, ahead of the
    // others: held still, every cell starts from the same time in playAll.
    if (resumeIfPlaying)
        for (const auto& player : players)
            player->pause();
    auto remaining = std::make_shared<int>(int(players.size()));
    auto shared = std::make_shared<std::function<void()>>(std::move(completion));
    QPointer<MultiCameraPreviewController> self(this);
    for (const auto& player : players) {
        player->cancelPendingSeeks();
        player->seek(local, 0, 0, [self, remaining, shared, resumeIfPlaying](bool) {
            if (--*remaining != 0 || !self)
                return;
            if (resumeIfPlaying) {
                self->playAll();
                self->setPlaying(true);
            }
            if (*shared)
                (*shared)();
        });
    }
}

void MultiCameraPreviewController::previewScrubAll(double time) {
    const auto located = VideoSegmentPlaylist::locate(time, stepDurations_);
    if (!located)
        return;
    if (located->first != currentStepIndex_) {
        loadStep(located->first, located->second, false);
        return;
    }
    for (const CameraSlot& slot : slots_) {
        if (!slot.player)
            continue;
        slot.player->cancelPendingSeeks();
        slot.player->seek(located->second, scrubTolerance, scrubTolerance);
    }
}

void MultiCameraPreviewController::setupTimeObserver() {
    if (!masterPlayer_)
        return;
    QPointer<MultiCameraPreviewController> self(this);
    timeObserver_ = connect(masterPlayer_, &AbstractMediaPlayer::periodicTime, this, [self](double itemTime) {
        if (!self || self->isScrubbing_)
            return;
        if (std::isfinite(itemTime))
            self->setCurrentTime(VideoSegmentPlaylist::globalTime(self->currentStepIndex_, itemTime, self->stepDurations_));
        const bool anyPlaying = std::any_of(self->slots_.begin(), self->slots_.end(),
                                            [](const CameraSlot& s) { return s.player && s.player->rate() > 0; });
        if (anyPlaying && !self->isPlaying_)
            self->setPlaying(true);
    });
}

void MultiCameraPreviewController::advanceToNextStep() {
    if (!playlist_)
        return;
    if (size_t(currentStepIndex_) + 1 >= playlist_->steps.size()) {
        setPlaying(false);
        setCurrentTime(duration_);
        pauseAll();
        return;
    }
    loadStep(currentStepIndex_ + 1, 0, isPlaying_);
    if (isPlaying_)
        playAll();
}

void MultiCameraPreviewController::togglePlayPause() {
    if (!masterPlayer_)
        return;
    if (isPlaying_) {
        pauseAll();
        setPlaying(false);
        return;
    }
    if (duration_ > 0 && currentTime_ >= duration_ - endThreshold)
        seekAll(0, false);
    playAll();
    setPlaying(true);
}

void MultiCameraPreviewController::setPlaybackRate(float rate) {
    if (playbackRate_ != rate) {
        playbackRate_ = rate;
        emit playbackRateChanged();
    }
    if (isPlaying_)
        for (const CameraSlot& slot : slots_)
            if (slot.player)
                slot.player->setRate(rate);
}

void MultiCameraPreviewController::setScrubbing(bool scrubbing) {
    if (!scrubbing) {
        finishScrubbing();
        return;
    }
    wasPlayingBeforeScrub_ = isPlaying_;
    setScrubbingFlag(true);
    pauseAll();
}

void MultiCameraPreviewController::updateScrubPosition(double time) {
    const double t = std::clamp(time > 0 ? time : 0.0, 0.0, std::max(0.0, duration_));
    setCurrentTime(t);
    if (!isScrubbing_)
        return;
    cancelScrubTask();
    QPointer<MultiCameraPreviewController> self(this);
    scrubSeekTask_ = environment_.schedule(scrubDelayMilliseconds, [self, t] {
        if (!self || !self->isScrubbing_)
            return;
        self->scrubSeekTask_ = {};
        self->previewScrubAll(t);
    });
}

void MultiCameraPreviewController::finishScrubbing() {
    cancelScrubTask();
    setScrubbingFlag(false);
    QPointer<MultiCameraPreviewController> self(this);
    seekAll(currentTime_, false, [self] {
        if (self && self->wasPlayingBeforeScrub_) {
            self->playAll();
            self->setPlaying(true);
        }
    });
}

void MultiCameraPreviewController::pauseAll() {
    for (const CameraSlot& slot : slots_)
        if (slot.player)
            slot.player->pause();
}

void MultiCameraPreviewController::playAll() {
    for (const CameraSlot& slot : slots_)
        if (slot.player)
            slot.player->playImmediately(playbackRate_);
}

void MultiCameraPreviewController::cancelScrubTask() {
    if (scrubSeekTask_) {
        auto cancel = std::move(scrubSeekTask_);
        scrubSeekTask_ = {};
        cancel();
    }
}

void MultiCameraPreviewController::stopObservers() {
    disconnect(timeObserver_);
    for (auto& c : statusObservers_)
        disconnect(c);
    for (auto& c : endObservers_)
        disconnect(c);
    statusObservers_.clear();
    endObservers_.clear();
}

void MultiCameraPreviewController::stop() {
    pauseAll();
    for (const CameraSlot& slot : slots_)
        if (slot.player)
            slot.player->replaceCurrentItem({});
    stopObservers();
    auto retired = std::make_shared<std::vector<CameraSlot>>(std::move(slots_));
    QMetaObject::invokeMethod(this, [retired] { retired->clear(); }, Qt::QueuedConnection);
    slots_ = emptySlots();
    emit cameraSlotsChanged();
    masterPlayer_ = nullptr;
    loadedPlaylistSignature_.reset();
    cancelScrubTask();
    setPlaying(false);
    setDuration(0);
    setCurrentTime(0);
    setLoading(false);
    playlist_.reset();
    stepDurations_.clear();
    currentStepIndex_ = 0;
    expectedLoadCount_ = 0;
}

void MultiCameraPreviewController::setPlaying(bool value) {
    assignAndNotify(isPlaying_, value, this, &MultiCameraPreviewController::isPlayingChanged);
}
void MultiCameraPreviewController::setDuration(double value) {
    assignAndNotify(duration_, value, this, &MultiCameraPreviewController::durationChanged);
}
void MultiCameraPreviewController::setCurrentTime(double value) {
    assignAndNotify(currentTime_, value, this, &MultiCameraPreviewController::currentTimeChanged);
}
void MultiCameraPreviewController::setScrubbingFlag(bool value) {
    assignAndNotify(isScrubbing_, value, this, &MultiCameraPreviewController::isScrubbingChanged);
}
void MultiCameraPreviewController::setLoading(bool value) {
    assignAndNotify(isLoading_, value, this, &MultiCameraPreviewController::isLoadingChanged);
}

} // namespace orvane
