#include "PreviewViewModel.h"

#include "AppMessages.h"
#include "AppPools.h"
#include "Attempt.h"
#include "DashboardPresentation.h"
#include "LibraryViewModel.h"
#include "MinuteGroups.h"
#include "ObservableField.h"
#include "PlaybackSegmentResolver.h"
#include "PlaybackTimeFormat.h"
#include "PreviewWatermark.h"
#include "ProcessMemory.h"
#include "TileLoader.h"
#include "TranslatedText.h"

#include <QHash>
#include <QTimer>
#include <cmath>

namespace orvane {

namespace {

constexpr TranslatedText notReadyMessage{"PreviewViewModel",
                                         QT_TRANSLATE_NOOP("PreviewViewModel", "视频尚未准备好，请稍后再试")};
constexpr TranslatedText endBeforeStartMessage{"PreviewViewModel",
                                               QT_TRANSLATE_NOOP("PreviewViewModel", "结束点必须晚于开始点")};

// The position clamped to the video's length; none while the video is not ready.
std::optional<double> readyPosition(double duration, double current) {
    if (!std::isfinite(duration) || duration <= 0 || !std::isfinite(current))
        return std::nullopt;
    return std::min(std::max(current, 0.0), duration);
}

// Files read again take the ids they had before (same path), so nothing that shows them sees a
// different file.
void keepIdentities(std::vector<TeslaVideoFile>& files, const std::vector<TeslaVideoFile>& before) {
    QHash<QString, QUuid> idOfPath;
    for (const TeslaVideoFile& v : before)
        idOfPath.insert(v.url, v.id);
    for (TeslaVideoFile& v : files)
        v.id = idOfPath.value(v.url, v.id);
}

} // namespace

PreviewViewModel::PreviewViewModel(const PreviewServices& services, AppMessages& messages,
                                   LibraryViewModel& library, QObject* parent)
    : PlaybackSegmentSource(parent), services_(services), messages_(messages), library_(library),
      videoPreview_(new VideoPreviewController(services_.preview, this)),
      multiCameraPreview_(new MultiCameraPreviewController(services_.preview, this)),
      groupsModel_(new VideoGroupListModel(this)) {
    for (PreviewController* player :
         std::initializer_list<PreviewController*>{videoPreview_, multiCameraPreview_})
        connect(player, &PreviewController::currentStepIndexChanged, this, &PreviewViewModel::followStep);
}

// --- Opening and closing ---

void PreviewViewModel::selectEvent(const QString& eventID) {
    if (const auto event = library_.findEvent(QUuid(eventID)))
        selectEvent(*event);
}

void PreviewViewModel::selectEvent(const TeslaClipEvent& event) {
    library_.showCategory(event.category);
    inspection_.supersede();
    clipKinds_.clear();
    setSelectedEventID(event.id);
    setSelectedVideoID(std::nullopt);
    setSelectedTimestampKey(std::nullopt);
    loadSelectedEvent({});
}

void PreviewViewModel::closeEventPreview() {
    stopPlayers();
    emit eventPreviewClosed();
    eventLoad_.supersede(); // a load still running would otherwise reopen the closed event
    setSelectedEventID(std::nullopt);
    showNothing();
    releaseMemorySoon();
}

// The players close their decoders on their own threads, and the page's pictures go with the
// page: once they are gone, the pages they were in go back to the system, so a long session
// stays the size of one event.
void PreviewViewModel::releaseMemorySoon() {
    QTimer::singleShot(memoryReleaseDelayMs, this,
                       [] { AppPools::files()->start([] { ProcessMemory::releaseFreedMemory(); }); });
}

void PreviewViewModel::closeEventAmong(const QSet<QUuid>& ids) {
    if (selectedEventID_ && ids.contains(*selectedEventID_))
        closeEventPreview();
}

void PreviewViewModel::showNothing() {
    eventTimeline_.reset();
    setSelectedVideoID(std::nullopt);
    setSelectedTimestampKey(std::nullopt);
    setVideos({});
    setLoadingEvent(false);
}

void PreviewViewModel::stopPlayers() {
    videoPreview_->stop();
    multiCameraPreview_->stop();
}

void PreviewViewModel::pausePlayers() {
    for (PreviewController* player :
         std::initializer_list<PreviewController*>{videoPreview_, multiCameraPreview_})
        if (player->isPlaying())
            player->togglePlayPause();
}

void PreviewViewModel::loadSelectedEvent(const PlaybackResume& resume) {
    if (!resume.keepPlayers)
        stopPlayers();
    const auto event = selectedEvent();
    if (!event) {
        eventLoad_.supersede(); // an older load must not fill the emptied preview
        showNothing();
        return;
    }
    if (!resume.keepPlayers)
        setSelectedVideoID(std::nullopt);
    clearExportRange();
    setLoadingEvent(!resume.keepPlayers);
    eventLoad_.run(
        AppPools::files(), this,
        [load = services_.loadVideos, event = *event] {
            return attempt([&] { return load(event, CameraAngle::all); });
        },
        [this, event = *event, resume](const Attempt<std::vector<TeslaVideoFile>>& loaded) {
            if (!loaded.value) {
                messages_.setError(loaded.error);
                messages_.setStatus(LibraryRules::loadFailedStatus);
                setVideos({});
                setLoadingEvent(false);
                return;
            }
            std::vector<TeslaVideoFile> files = *loaded.value;
            if (resume.keepPlayers) // the files on screen keep their identity, so their players stay
                keepIdentities(files, videos_);
            applyLoadedVideos(event, std::move(files), resume);
        });
}

void PreviewViewModel::applyLoadedVideos(const TeslaClipEvent& event, std::vector<TeslaVideoFile> loaded,
                                         const PlaybackResume& resume) {
    setVideos(std::move(loaded));
    setLoadingEvent(false);
    if (videos_.empty()) {
        setSelectedVideoID(std::nullopt);
        messages_.setStatus(LibraryRules::noMatchingVideoStatus(event));
        return;
    }
    if (!selectedTimestampKey_ || filesOfMinute(videos_, *selectedTimestampKey_).empty())
        setSelectedTimestampKey(VideoTimestampGroup::groups(videos_).front().id);
    const std::vector<TeslaVideoFile> minute = filesOfMinute(videos_, *selectedTimestampKey_);
    PlaybackResume starting = resume;
    if (!resume.keepPlayers)
        preferTriggerCamera(event, starting);
    if (groupsModel_->count() > 1)
        loadEventTimeline(starting);
    else if (isGrid())
        loadGridMinute(minute, starting);
    else
        loadSingleMinute(minute, starting);
    // The whole event: its time line passes from minute to minute without a new load.
    inspectFiles(videos_);
    messages_.setStatus(LibraryRules::loadedEventStatus(event, int(videos_.size())));
}

void PreviewViewModel::preferTriggerCamera(const TeslaClipEvent& event, PlaybackResume& resume) {
    const auto camera = event.metadata ? event.metadata->triggerCamera() : std::nullopt;
    if (!camera)
        return;
    const auto file = std::find_if(videos_.begin(), videos_.end(),
                                   [&](const TeslaVideoFile& v) { return v.cameraAngle == camera; });
    if (file == videos_.end())
        return;
    if (isGrid())
        resume.preferredVideoURL = TeslaVideoFile::timestampKey(file->fileName) == selectedTimestampKey_
                                       ? std::optional(file->url)
                                       : std::nullopt;
    else
        setCameraFilter(*camera);
}

void PreviewViewModel::inspectFiles(const std::vector<TeslaVideoFile>& files) {
    QStringList unknown;
    for (const TeslaVideoFile& v : files)
        if (!clipKinds_.contains(v.url))
            unknown << v.url;
    if (unknown.isEmpty())
        return;
    inspection_.run(
        AppPools::files(), this,
        [unknown] {
            std::vector<std::pair<QString, media::ClipKind>> kinds;
            for (const QString& url : unknown)
                kinds.emplace_back(url, media::ClipSource::inspect(url));
            return kinds;
        },
        [this](const std::vector<std::pair<QString, media::ClipKind>>& kinds) {
            bool noteworthy = false;
            for (const auto& [url, kind] : kinds) {
                clipKinds_.insert(url, kind);
                noteworthy = noteworthy || kind != media::ClipKind::mp4;
            }
            // Plain footage changes nothing on screen; refreshing the page would rebuild its
            // cells while their first pictures arrive.
            if (!noteworthy)
                return;
            refreshGroups();
            emit clipKindsChanged();
            if (const QStringList locked = lockedFiles(); !locked.isEmpty())
                emit lockedFilesFound(locked);
        });
}

QStringList PreviewViewModel::lockedFiles() const {
    QStringList locked;
    for (const TeslaVideoFile& v : videos_)
        if (clipKind(v.url) == media::ClipKind::encrypted)
            locked << v.url;
    return locked;
}

void PreviewViewModel::filesUnlocked(const QStringList& files) {
    const bool shown = std::any_of(files.begin(), files.end(),
                                   [this](const QString& url) { return clipKinds_.contains(url); });
    if (!shown || !selectedEvent())
        return;
    // The players, step lengths and clip kinds of locked files all change: open the event afresh
    // on the minute shown.
    inspection_.supersede();
    clipKinds_.clear();
    emit clipKindsChanged();
    emit footageUnlocked();
    loadSelectedEvent({});
}

void PreviewViewModel::loadGridMinute(const std::vector<TeslaVideoFile>& minute,
                                      const PlaybackResume& resume) {
    const auto grid = MultiCameraPreviewController::videosForGrid(minute, std::nullopt);
    auto focused = std::find_if(grid.begin(), grid.end(),
                                [&](const TeslaVideoFile& v) { return v.url == resume.preferredVideoURL; });
    const std::optional<TeslaVideoFile> focus =
        focused != grid.end() ? std::optional(*focused) : LibraryRules::preferredExportVideo(grid);
    setSelectedVideoID(focus ? std::optional(focus->id) : std::nullopt);
    if (resume.rate)
        multiCameraPreview_->setPlaybackRate(*resume.rate);
    if (!focus)
        return;
    const auto playlist =
        VideoSegmentPlaylist::multiCamera(MultiCameraPreviewController::videosForGrid(minute, focus));
    // The same minute already open (the grid was only hidden): move it to the time kept.
    if (multiCameraPreview_->loadedPlaylistSignature() == playlist.signature)
        multiCameraPreview_->seekAll(resume.time, resume.playing);
    else
        multiCameraPreview_->loadPlaylist(playlist, resume.time, resume.playing);
}

void PreviewViewModel::loadSingleMinute(const std::vector<TeslaVideoFile>& minute,
                                        const PlaybackResume& resume) {
    const CameraAngle camera = cameraFilter_;
    auto chosen = std::find_if(minute.begin(), minute.end(), [&](const TeslaVideoFile& v) {
        return v.url == resume.preferredVideoURL && v.cameraAngle == camera;
    });
    if (chosen == minute.end())
        chosen = std::find_if(minute.begin(), minute.end(),
                              [&](const TeslaVideoFile& v) { return v.cameraAngle == camera; });
    setSelectedVideoID(chosen == minute.end() ? std::nullopt : std::optional(chosen->id));
    if (resume.rate)
        videoPreview_->setPlaybackRate(*resume.rate);
    if (chosen == minute.end()) {
        videoPreview_->stop();
        return;
    }
    const VideoSegmentPlaylist playlist = VideoSegmentPlaylist::singleCamera({*chosen});
    if (videoPreview_->loadedPlaylistSignature() == playlist.signature)
        videoPreview_->seek(resume.time, resume.playing);
    else
        videoPreview_->loadPlaylist(playlist, resume.time, resume.playing);
}

void PreviewViewModel::selectVideoGroup(const QString& timestampKey, double time) {
    if (filesOfMinute(videos_, timestampKey).empty())
        return;
    if (eventTimeline_) {
        if (const auto step = stepOfMinute(timestampKey)) {
            PreviewController* player = activePreview();
            if (player->loadedPlaylistSignature() == eventTimeline_->signature)
                player->seekStep(*step, time, player->isPlaying());
            else
                player->loadPlaylist(*eventTimeline_, time, false, *step);
            return;
        }
    }
    setSelectedTimestampKey(timestampKey);
    clearExportRange();
    // A minute chosen starts paused; the players reload its files.
    const std::vector<TeslaVideoFile> minute = filesOfMinute(videos_, timestampKey);
    if (isGrid()) {
        const auto focus = LibraryRules::preferredExportVideo(minute);
        setSelectedVideoID(focus ? std::optional(focus->id) : std::nullopt);
        if (focus)
            multiCameraPreview_->loadPlaylist(
                VideoSegmentPlaylist::multiCamera(MultiCameraPreviewController::videosForGrid(minute, focus)),
                time, false);
        return;
    }
    const auto file = std::find_if(minute.begin(), minute.end(),
                                   [&](const TeslaVideoFile& v) { return v.cameraAngle == cameraFilter_; });
    if (file == minute.end()) {
        setSelectedVideoID(std::nullopt);
        videoPreview_->stop();
        return;
    }
    setSelectedVideoID(file->id);
    videoPreview_->loadPlaylist(VideoSegmentPlaylist::singleCamera({*file}), time, false);
}

bool PreviewViewModel::showInstant(Instant instant) {
    // The latest minute that started at or before the moment holds it.
    for (const VideoTimestampGroup& group : VideoTimestampGroup::groups(videos_)) {
        if (group.startTime > instant)
            continue;
        const double local = instant - group.startTime;
        // On the event's time line the minute's step is sought; a lone minute is sought in place.
        if (eventTimeline_ || group.id != selectedTimestampKey_)
            selectVideoGroup(group.id, local);
        else
            seekShown(local, activePreview()->isPlaying());
        return true;
    }
    return false;
}

VideoSegmentPlaylist PreviewViewModel::eventPlaylist() const {
    if (isGrid())
        return VideoSegmentPlaylist::multiCamera(videos_);
    std::vector<TeslaVideoFile> files;
    std::copy_if(videos_.begin(), videos_.end(), std::back_inserter(files),
                 [&](const TeslaVideoFile& v) { return v.cameraAngle == cameraFilter_; });
    return VideoSegmentPlaylist::singleCamera(files);
}

void PreviewViewModel::loadEventTimeline(const PlaybackResume& resume) {
    const VideoSegmentPlaylist playlist = eventPlaylist();
    PreviewController* player = activePreview();
    if (resume.rate)
        player->setPlaybackRate(*resume.rate);
    eventTimeline_ = playlist;
    const auto step = stepOfMinute(*selectedTimestampKey_);
    if (playlist.steps.empty() || !step) { // the camera shows nothing of this event or minute
        eventTimeline_.reset();
        setSelectedVideoID(std::nullopt);
        player->stop();
        return;
    }
    followStep();
    // A camera change keeps the time on the whole time line; a new event starts at the minute picked.
    const bool shown = player->loadedPlaylistSignature() == playlist.signature; // only hidden meanwhile
    if (resume.keepPlayers && shown)
        seekShown(resume.time, resume.playing);
    else if (resume.keepPlayers)
        player->loadPlaylist(playlist, resume.time, resume.playing);
    else if (shown)
        player->seekStep(*step, resume.time, resume.playing);
    else
        player->loadPlaylist(playlist, resume.time, resume.playing, *step);
}

std::optional<int> PreviewViewModel::stepOfMinute(const QString& timestampKey) const {
    if (!eventTimeline_)
        return std::nullopt;
    const auto& steps = eventTimeline_->steps;
    for (size_t i = 0; i < steps.size(); ++i)
        if (const auto video = steps[i].primaryVideo();
            video && TeslaVideoFile::timestampKey(video->fileName) == timestampKey)
            return int(i);
    return std::nullopt;
}

// The minute list and the file shown follow the time line from one minute into the next.
void PreviewViewModel::followStep() {
    const PreviewController* player = activePreview();
    if (!eventTimeline_ || player->loadedPlaylistSignature() != eventTimeline_->signature)
        return;
    const auto index = size_t(player->currentStepIndex());
    if (index >= eventTimeline_->steps.size())
        return;
    const std::vector<TeslaVideoFile>& files = eventTimeline_->steps[index].files();
    const auto shown =
        isGrid() ? LibraryRules::preferredExportVideo(files) : eventTimeline_->steps[index].primaryVideo();
    if (!shown)
        return;
    setSelectedTimestampKey(TeslaVideoFile::timestampKey(shown->fileName));
    setSelectedVideoID(shown->id);
}

const std::vector<PlaybackStep>& PreviewViewModel::continuousPlaylistSteps() const {
    static const std::vector<PlaybackStep> none;
    return eventTimeline_ ? eventTimeline_->steps : none;
}

const std::vector<double>& PreviewViewModel::continuousStepDurations() const {
    static const std::vector<double> none;
    const PreviewController* player = activePreview();
    return eventTimeline_ && player->loadedPlaylistSignature() == eventTimeline_->signature
               ? player->stepDurations()
               : none;
}

void PreviewViewModel::seekShown(double time, bool playing) {
    if (isGrid())
        multiCameraPreview_->seekAll(time, playing);
    else
        videoPreview_->seek(time, playing);
}

void PreviewViewModel::setMapShown(bool shown) {
    if (shown == mapShown_)
        return;
    mapShown_ = shown;
    emit mapShownChanged();
}

TileLoader* PreviewViewModel::mapTiles() {
    if (!mapTiles_)
        mapTiles_ = new TileLoader(TileLoader::standardCacheFolder(), this);
    return mapTiles_;
}

void PreviewViewModel::setSpeedUnit(const QString& unit) {
    const QString known = DashboardPresentation::rawValue(DashboardPresentation::speedUnitFromRawValue(unit));
    if (known == speedUnit_)
        return;
    speedUnit_ = known;
    emit speedUnitChanged();
}

// --- Camera filter ---

void PreviewViewModel::setCameraFilter(CameraAngle camera) {
    if (cameraFilter_ == camera)
        return;
    cameraFilter_ = camera;
    emit cameraFilterChanged();
}

void PreviewViewModel::applyCameraFilterChange(const PlaybackResume& resume) {
    if (!library_.hasImported())
        return;
    // The player no longer shown lets go of its files, decoders and pictures: a hidden grid kept
    // beside the front camera (or the reverse) held a second event's worth of memory, and
    // switching back opens the files again for little more than the seek it needs anyway.
    PreviewController* hidden =
        isGrid() ? static_cast<PreviewController*>(videoPreview_) : multiCameraPreview_;
    hidden->stop();
    releaseMemorySoon();
    if (!selectedEvent()) {
        showNothing();
        return;
    }
    PlaybackResume keeping = resume;
    keeping.keepPlayers = true;
    loadSelectedEvent(keeping);
}

void PreviewViewModel::switchCameraFilter(const QString& camera) {
    const auto parsed = Camera::fromRawValue(camera);
    if (!parsed || *parsed == cameraFilter_)
        return;
    const PreviewController* shown = activePreview();
    const PlaybackResume resume{shown->currentTime(), shown->isPlaying(), shown->playbackRate(), true, {}};
    setCameraFilter(*parsed);
    emit cameraChosen();
    applyCameraFilterChange(resume);
}

// --- Export range ---

void PreviewViewModel::setExportRange(std::optional<double> start, std::optional<double> end) {
    if (start == exportRangeStart_ && end == exportRangeEnd_)
        return;
    exportRangeStart_ = start;
    exportRangeEnd_ = end;
    emit exportRangeChanged();
}

void PreviewViewModel::setExportRangeStart(double seconds) {
    const double value = std::min(std::max(seconds, 0.0), activeDuration());
    setExportRange(value, exportRangeEnd_ && *exportRangeEnd_ <= value ? std::nullopt : exportRangeEnd_);
}

void PreviewViewModel::setExportRangeEnd(double seconds) {
    setExportRange(exportRangeStart_, std::isfinite(seconds) ? std::optional(seconds) : std::nullopt);
}

void PreviewViewModel::clearExportRange() {
    setExportRange(std::nullopt, std::nullopt);
}

RangeFeedback PreviewViewModel::recordExportRangeStart() {
    const auto t = readyPosition(activeDuration(), activeTime());
    if (!t)
        return {notReadyMessage, true};
    const auto previousEnd = exportRangeEnd_;
    setExportRangeStart(*t);
    QString message = QCoreApplication::translate("PreviewViewModel", "已设置开始点 %1")
                          .arg(PlaybackTimeFormat::format(*t));
    if (previousEnd && *previousEnd <= *t)
        message += QCoreApplication::translate("PreviewViewModel", "，原结束点已清除");
    return {message, false};
}

RangeFeedback PreviewViewModel::recordExportRangeEnd() {
    const auto t = readyPosition(activeDuration(), activeTime());
    if (!t)
        return {notReadyMessage, true};
    if (exportRangeStart_ && *t <= *exportRangeStart_)
        return {endBeforeStartMessage, true};
    setExportRangeEnd(std::min(*t, activeDuration()));
    return {QCoreApplication::translate("PreviewViewModel", "已设置结束点 %1")
                .arg(PlaybackTimeFormat::format(*t)),
            false};
}

// --- Reads ---

PreviewController* PreviewViewModel::activePreview() const {
    if (isGrid())
        return multiCameraPreview_;
    return videoPreview_;
}

double PreviewViewModel::activeDuration() const {
    return activePreview()->duration();
}

double PreviewViewModel::activeTime() const {
    return activePreview()->currentTime();
}

std::optional<TeslaClipEvent> PreviewViewModel::selectedEvent() const {
    if (!selectedEventID_)
        return std::nullopt;
    for (const TeslaClipEvent& e : library_.eventsInSelectedCategoryList())
        if (e.id == *selectedEventID_)
            return e;
    return std::nullopt;
}

std::optional<TeslaVideoFile> PreviewViewModel::selectedVideo() const {
    if (!selectedVideoID_)
        return std::nullopt;
    for (const TeslaVideoFile& v : videos_)
        if (v.id == *selectedVideoID_)
            return v;
    return std::nullopt;
}

QString PreviewViewModel::watermarkText(double t) const {
    const auto event = selectedEvent();
    return PreviewWatermark::text(playbackSegment(t), event ? &*event : nullptr,
                                  PreviewWatermark::currentInstant());
}

std::optional<PlaybackSegmentContext> PreviewViewModel::playbackSegment(double time) const {
    return PlaybackSegmentResolver::playbackSegment(
        time, continuousPlaylistSteps(), continuousStepDurations(), selectedVideo(), activeDuration());
}

std::optional<PlaybackSegmentContext> PreviewViewModel::nextPlaybackSegment(double time) const {
    return PlaybackSegmentResolver::nextPlaybackSegment(
        time, continuousPlaylistSteps(), continuousStepDurations(), selectedVideo(), activeDuration());
}

void PreviewViewModel::setAroundEventBefore(double seconds) {
    if (!(seconds >= 0) || seconds == aroundEventBefore_)
        return;
    aroundEventBefore_ = seconds;
    emit aroundEventChanged();
}

void PreviewViewModel::setAroundEventAfter(double seconds) {
    if (!(seconds >= 0) || seconds == aroundEventAfter_)
        return;
    aroundEventAfter_ = seconds;
    emit aroundEventChanged();
}

void PreviewViewModel::setMinutePicks(bool picking, const QStringList& timestampKeys) {
    if (picking == isPickingMinutes_ && timestampKeys == pickedMinutes_)
        return;
    isPickingMinutes_ = picking;
    pickedMinutes_ = timestampKeys;
    refreshGroups();
    emit minutePicksChanged();
}

void PreviewViewModel::setExportBusy(bool busy) {
    assignAndNotify(isExportBusy_, busy, this, &PreviewViewModel::exportBusyChanged);
}

void PreviewViewModel::setOutputFolder(const QString& folder, bool createWhenMissing) {
    if (folder == outputFolder_ && createWhenMissing == createsOutputFolder_)
        return;
    outputFolder_ = folder;
    createsOutputFolder_ = createWhenMissing;
    emit outputFolderChanged();
}

std::optional<media::ClipKind> PreviewViewModel::clipKind(const QString& url) const {
    const auto found = clipKinds_.constFind(url);
    return found == clipKinds_.constEnd() ? std::nullopt : std::optional(*found);
}

std::optional<Instant> PreviewViewModel::eventMoment() const {
    const auto event = selectedEvent();
    return event && event->metadata ? event->metadata->eventTime() : std::nullopt;
}

std::optional<double> PreviewViewModel::timelineTimeOf(Instant instant) const {
    const std::vector<double>& durations = continuousStepDurations();
    if (durations.empty()) { // one minute shown alone: its own time line
        const auto video = selectedVideo();
        const double local = video ? instant - video->startTime : NAN;
        return local >= 0 && local <= activeDuration() ? std::optional(local) : std::nullopt;
    }
    // The latest minute that starts at or before the moment holds it, when it lasts that long.
    const auto& steps = eventTimeline_->steps;
    for (size_t i = std::min(steps.size(), durations.size()); i-- > 0;) {
        const auto video = steps[i].primaryVideo();
        if (!video || video->startTime > instant)
            continue;
        const double local = instant - video->startTime;
        return local <= durations[i]
                   ? std::optional(VideoSegmentPlaylist::globalTime(int(i), local, durations))
                   : std::nullopt;
    }
    return std::nullopt;
}

// --- Field writes ---

void PreviewViewModel::setSelectedEventID(std::optional<QUuid> id) {
    assignAndNotify(selectedEventID_, id, this, &PreviewViewModel::selectedEventChanged);
}

void PreviewViewModel::setSelectedVideoID(std::optional<QUuid> id) {
    assignAndNotify(selectedVideoID_, id, this, &PreviewViewModel::selectedVideoChanged);
}

void PreviewViewModel::setSelectedTimestampKey(std::optional<QString> key) {
    if (selectedTimestampKey_ == key)
        return;
    selectedTimestampKey_ = std::move(key);
    emit selectedTimestampKeyChanged();
    refreshGroups();
}

void PreviewViewModel::setVideos(std::vector<TeslaVideoFile> videos) {
    const bool same =
        std::equal(videos.begin(), videos.end(), videos_.begin(), videos_.end(),
                   [](const TeslaVideoFile& a, const TeslaVideoFile& b) { return a.id == b.id; });
    if (same)
        return;
    videos_ = std::move(videos);
    groupsModel_->setGroups(VideoTimestampGroup::groups(videos_));
    emit videosChanged();
    refreshGroups();
}

void PreviewViewModel::setLoadingEvent(bool value) {
    assignAndNotify(isLoadingEvent_, value, this, &PreviewViewModel::isLoadingEventChanged);
}

void PreviewViewModel::refreshGroups() {
    groupsModel_->setMarks(selectedTimestampKey_.value_or(QString()), pickedMinutes_);
    // A minute the car encrypted, or one that holds nothing but power-cut stubs, says so.
    QHash<QString, QString> notes;
    for (const VideoTimestampGroup& group : groupsModel_->groups()) {
        bool encrypted = false, allStubs = !group.videos.empty();
        for (const TeslaVideoFile& v : group.videos) {
            const auto kind = clipKind(v.url);
            encrypted = encrypted || kind == media::ClipKind::encrypted;
            allStubs = allStubs && kind == media::ClipKind::stub;
        }
        if (encrypted || allStubs)
            notes.insert(group.id,
                         encrypted ? media::ClipSource::encryptedNote() : media::ClipSource::stubNote());
    }
    groupsModel_->setNotes(notes);
}

} // namespace orvane
