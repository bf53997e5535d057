#include "MultiCameraPreviewController.h"

#include "MediaPlayer.h"
#include "MinuteGroups.h"

#include <QVideoSink>
#include <algorithm>
#include <cmath>
#include <set>

namespace orvane {

using media::AbstractMediaPlayer;

namespace {

std::vector<TeslaVideoFile> inGridOrder(const std::map<CameraAngle, TeslaVideoFile>& byAngle) {
    std::vector<TeslaVideoFile> present;
    for (const auto& [angle, video] : byAngle)
        present.push_back(video);
    std::vector<TeslaVideoFile> result;
    for (CameraAngle angle : Camera::gridCameras(gridLayoutOf(present)))
        if (auto it = byAngle.find(angle); it != byAngle.end())
            result.push_back(it->second);
    return result;
}

} // namespace

MultiCameraPreviewController::MultiCameraPreviewController(QObject* parent)
    : MultiCameraPreviewController(PreviewEnvironment::standard(), parent) {}

MultiCameraPreviewController::MultiCameraPreviewController(PreviewEnvironment environment, QObject* parent)
    : PreviewController(std::move(environment), parent) {}

MultiCameraPreviewController::~MultiCameraPreviewController() {
    stopObservers();
}

std::vector<CameraSlot> MultiCameraPreviewController::emptySlots(Camera::GridLayout layout) {
    std::vector<CameraSlot> cells;
    for (CameraAngle angle : Camera::gridCameras(layout))
        cells.push_back(CameraSlot{angle, std::nullopt, nullptr, false, std::nullopt});
    return cells;
}

std::map<CameraAngle, TeslaVideoFile>
MultiCameraPreviewController::videosByAngle(const std::vector<TeslaVideoFile>& videos) {
    std::vector<TeslaVideoFile> sorted = videos;
    std::stable_sort(sorted.begin(), sorted.end(), [](const TeslaVideoFile& a, const TeslaVideoFile& b) {
        return a.startTime > b.startTime;
    });
    std::map<CameraAngle, TeslaVideoFile> result;
    for (const TeslaVideoFile& video : sorted)
        if (video.cameraAngle)
            result.try_emplace(*video.cameraAngle, video);
    return result;
}

std::vector<TeslaVideoFile>
MultiCameraPreviewController::videosForGrid(const std::vector<TeslaVideoFile>& videos,
                                            const std::optional<TeslaVideoFile>& focus) {
    if (videos.empty())
        return {};
    if (focus)
        return inGridOrder(
            videosByAngle(filesOfMinute(videos, TeslaVideoFile::timestampKey(focus->fileName))));
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

void MultiCameraPreviewController::setShownWidth(int pixels) {
    shownWidth_ = pixels;
    for (const CameraSlot& slot : slots_)
        if (slot.player)
            slot.player->setShownWidth(pixels);
}

void MultiCameraPreviewController::seekAll(double time, bool resumeIfPlaying,
                                           std::function<void()> completion) {
    seekTimeline(time, resumeIfPlaying, std::move(completion));
}

bool MultiCameraPreviewController::hasItem() const {
    return masterPlayer_ != nullptr;
}

bool MultiCameraPreviewController::playersPlaying() const {
    return std::any_of(slots_.begin(), slots_.end(),
                       [](const CameraSlot& s) { return s.player && s.player->rate() > 0; });
}

void MultiCameraPreviewController::pausePlayers() {
    for (const CameraSlot& slot : slots_)
        if (slot.player)
            slot.player->pause();
}

void MultiCameraPreviewController::playPlayers() {
    for (const CameraSlot& slot : slots_)
        if (slot.player)
            slot.player->playImmediately(playbackRate());
}

void MultiCameraPreviewController::applyRate(float rate) {
    for (const CameraSlot& slot : slots_)
        if (slot.player)
            slot.player->setRate(rate);
}

void MultiCameraPreviewController::loadStep(int index, double localTime, bool resumeIfPlaying) {
    if (!playlist() || index < 0 || size_t(index) >= playlist()->steps.size()) {
        setLoading(false);
        return;
    }
    stopObservers();
    // The old players live on until the event loop turns again, and a picture they were still
    // presenting would land over the new minute's (an unreadable cell kept the last minute's).
    for (const CameraSlot& slot : slots_)
        if (slot.player)
            slot.player->setVideoSink(nullptr);
    stepOpening();
    setCurrentStepIndex(index);
    setLoading(true);
    expectedLoadCount_ = 0;
    const std::vector<TeslaVideoFile>& files = playlist()->steps[size_t(index)].files();
    const auto byAngle = videosByAngle(files);
    layout_ = gridLayoutOf(files);
    const auto order = Camera::gridCameras(layout_);
    std::vector<CameraSlot> cells;
    for (size_t cell = 0; cell < order.size(); ++cell) {
        auto it = byAngle.find(order[cell]);
        if (it == byAngle.end()) {
            cells.push_back(CameraSlot{order[cell], std::nullopt, nullptr, false, std::nullopt});
            continue;
        }
        cells.push_back(openCell(cell, it->second, localTime, resumeIfPlaying));
        ++expectedLoadCount_;
    }
    replaceSlots(std::move(cells));
    setupTimeObserver();
    if (expectedLoadCount_ == 0) { // no grid camera recorded this minute
        setLoading(false);
        stepUnreadable(false, {}, resumeIfPlaying);
    }
}

// A cell's player for `video`, reporting to markSlotLoaded and advancing at its end.
CameraSlot MultiCameraPreviewController::openCell(size_t cell, const TeslaVideoFile& video, double localTime,
                                                  bool resumeIfPlaying) {
    std::shared_ptr<AbstractMediaPlayer> player =
        environment().makeCellPlayer ? environment().makeCellPlayer() : environment().makePlayer();
    player->setVideoSink(sinks_[cell]);
    player->setShownWidth(shownWidth_);
    QPointer<MultiCameraPreviewController> self(this);
    statusObservers_.push_back(
        connect(player.get(), &AbstractMediaPlayer::itemStatusChanged, this,
                [self, cell, localTime, resumeIfPlaying](AbstractMediaPlayer::ItemStatus s) {
                    if (self && s == AbstractMediaPlayer::ItemStatus::failed)
                        self->markSlotUnreadable(int(cell));
                    if (self && (s == AbstractMediaPlayer::ItemStatus::readyToPlay ||
                                 s == AbstractMediaPlayer::ItemStatus::failed))
                        self->markSlotLoaded(int(cell), localTime, resumeIfPlaying);
                }));
    endObservers_.push_back(connect(player.get(), &AbstractMediaPlayer::didPlayToEnd, this, [self] {
        if (self)
            self->advanceToNextStep();
    }));
    endObservers_.push_back(
        connect(player.get(), &AbstractMediaPlayer::didStopShort, this, [self, cell](double t) {
            if (self)
                self->cellStoppedShort(int(cell), t);
        }));
    player->replaceCurrentItem(video.url);
    return CameraSlot{Camera::gridCameras(layout_)[cell], video, player, true, std::nullopt};
}

// The previous players go with the old slots, but not before the event loop runs again: this
// may be running inside one of their own signals.
void MultiCameraPreviewController::replaceSlots(std::vector<CameraSlot> cells) {
    auto retired = std::make_shared<std::vector<CameraSlot>>(std::move(slots_));
    QMetaObject::invokeMethod(
        this, [retired] { retired->clear(); }, Qt::QueuedConnection);
    slots_ = std::move(cells);
    masterPlayer_ = nullptr;
    for (const CameraSlot& slot : slots_)
        if (slot.player && !masterPlayer_)
            masterPlayer_ = slot.player.get();
    emit cameraSlotsChanged();
}

void MultiCameraPreviewController::markSlotLoaded(int index, double localTime, bool resumeIfPlaying) {
    if (index < 0 || size_t(index) >= slots_.size() || !slots_[size_t(index)].isLoading)
        return;
    slots_[size_t(index)].isLoading = false;
    emit cameraSlotsChanged();
    if (std::any_of(slots_.begin(), slots_.end(), [](const CameraSlot& s) { return s.isLoading; }))
        return;
    setLoading(false);
    if (!masterPlayer_) { // not one camera of the minute can be read
        const auto first =
            std::find_if(slots_.begin(), slots_.end(), [](const CameraSlot& s) { return s.problem; });
        const bool gone = std::any_of(slots_.begin(), slots_.end(),
                                      [](const CameraSlot& s) { return s.player && s.player->sourceGone(); });
        stepUnreadable(gone, first != slots_.end() ? first->problem->reason : QString(), resumeIfPlaying);
        return;
    }
    // Seek inside the current step: the step's own place, whatever the whole time line says.
    seekInStep(localTime, resumeIfPlaying, {});
}

// A cell that cannot be read shows no picture and says why; the time line follows another.
void MultiCameraPreviewController::markSlotUnreadable(int index) {
    if (index < 0 || size_t(index) >= slots_.size() || !slots_[size_t(index)].isLoading)
        return;
    CameraSlot& slot = slots_[size_t(index)];
    slot.problem = PlaybackProblem{true, 0, slot.player->problem()};
    chooseMaster();
}

// One camera's pictures ran out: it keeps its last one and says so while the others play on;
// when none is left playing, the whole grid stops there.
void MultiCameraPreviewController::cellStoppedShort(int index, double itemTime) {
    if (index < 0 || size_t(index) >= slots_.size() || !slots_[size_t(index)].player)
        return;
    CameraSlot& slot = slots_[size_t(index)];
    slot.problem = PlaybackProblem{
        false, VideoSegmentPlaylist::globalTime(currentStepIndex(), itemTime, stepDurations()),
        slot.player->problem()};
    emit cameraSlotsChanged();
    chooseMaster();
    if (std::none_of(slots_.begin(), slots_.end(),
                     [](const CameraSlot& s) { return s.player && !s.problem; }))
        stopShort(itemTime, slot.player->sourceGone(), slot.problem->reason);
}

// The cell whose clock drives the time line: one still showing pictures, else one stopped
// short (playing again restarts it); never one that cannot be read.
void MultiCameraPreviewController::chooseMaster() {
    AbstractMediaPlayer* chosen = nullptr;
    for (const bool acceptStopped : {false, true})
        for (const CameraSlot& slot : slots_)
            if (!chosen && slot.player && (!slot.problem || (acceptStopped && !slot.problem->unreadable)))
                chosen = slot.player.get();
    if (chosen == masterPlayer_)
        return;
    disconnect(timeObserver_);
    masterPlayer_ = chosen;
    setupTimeObserver();
}

void MultiCameraPreviewController::seekInStep(double localTime, bool resumeIfPlaying,
                                              std::function<void()> completion) {
    const double local = localTime > 0 ? localTime : 0;
    setCurrentTime(VideoSegmentPlaylist::globalTime(currentStepIndex(), local, stepDurations()));
    // Cells that stopped short play again from here, and are told again should they stop.
    bool cleared = false;
    for (CameraSlot& slot : slots_)
        if (slot.problem && !slot.problem->unreadable) {
            slot.problem.reset();
            cleared = true;
        }
    if (cleared) {
        chooseMaster();
        emit cameraSlotsChanged();
    }
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
    // others: held still, every cell starts from the same time in startPlayback.
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
            if (resumeIfPlaying)
                self->startPlayback();
            if (*shared)
                (*shared)();
        });
    }
}

void MultiCameraPreviewController::scrubInStep(double localTime) {
    for (const CameraSlot& slot : slots_) {
        if (!slot.player)
            continue;
        slot.player->cancelPendingSeeks();
        slot.player->seek(localTime, scrubTolerance, scrubTolerance);
    }
}

void MultiCameraPreviewController::setupTimeObserver() {
    if (!masterPlayer_)
        return;
    QPointer<MultiCameraPreviewController> self(this);
    timeObserver_ = connect(masterPlayer_, &AbstractMediaPlayer::periodicTime, this, [self](double itemTime) {
        if (self)
            self->showItemTime(itemTime);
    });
}

void MultiCameraPreviewController::lastStepEnded() {
    pausePlayers();
}

void MultiCameraPreviewController::nextStepLoading() {
    if (isPlaying())
        playPlayers();
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

void MultiCameraPreviewController::releasePlayers() {
    pausePlayers();
    for (const CameraSlot& slot : slots_)
        if (slot.player)
            slot.player->replaceCurrentItem({});
    stopObservers();
    replaceSlots(emptySlots(layout_));
    expectedLoadCount_ = 0;
}

} // namespace orvane
