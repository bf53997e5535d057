// Importing a drive, choosing a category, an event and a minute, the camera filter and the
// export range.

#include "MainViewModelPrivate.h"
#include "MinuteGroups.h"
#include "MultiCameraPreviewController.h"
#include "ObservableField.h"
#include "PlaybackTimeFormat.h"
#include "VideoPreviewController.h"

#include <QHash>

#include <cmath>

namespace orvane {

namespace {

struct ImportWork {
    LibraryRules::ImportChoice choice;
    Attempt<EventsByCategory> scan;
};

const QString notReadyMessage = QStringLiteral("视频尚未准备好，请稍后再试");
const QString endBeforeStartMessage = QStringLiteral("结束点必须晚于开始点");

// The position of the player the camera filter shows.
double activeTime(const VideoPreviewController& single, const MultiCameraPreviewController& grid,
                  const WatermarkSettings& settings) {
    return settings.cameraFilter == CameraAngle::all ? grid.currentTime() : single.currentTime();
}

// The position clamped to the video's length; none while the video is not ready.
std::optional<double> readyPosition(double duration, double current) {
    if (!std::isfinite(duration) || duration <= 0 || !std::isfinite(current))
        return std::nullopt;
    return std::min(std::max(current, 0.0), duration);
}

// Files read again take the ids they had before (same path), so nothing that shows them
// sees a different file.
void keepIdentities(std::vector<TeslaVideoFile>& files, const std::vector<TeslaVideoFile>& before) {
    QHash<QString, QUuid> idOfPath;
    for (const TeslaVideoFile& v : before)
        idOfPath.insert(v.url, v.id);
    for (TeslaVideoFile& v : files)
        v.id = idOfPath.value(v.url, v.id);
}

} // namespace

// --- Field writes ---

void MainViewModel::setImportMode(ImportMode mode) {
    update(importMode_, std::move(mode), &MainViewModel::importModeChanged);
}

void MainViewModel::setImporting(bool value) {
    assignAndNotify(isImporting_, value, this, &MainViewModel::isImportingChanged);
}

void MainViewModel::setEventsByCategory(EventsByCategory events) {
    eventsByCategory_ = std::move(events);
    emit eventsByCategoryChanged(); // a new scan is new content even when it reads the same
    touch();
}

void MainViewModel::setSelectedCategory(std::optional<ClipCategory> category) {
    update(selectedCategory_, std::move(category), &MainViewModel::selectedCategoryChanged);
}

void MainViewModel::setSelectedEventID(std::optional<QUuid> id) {
    update(selectedEventID_, std::move(id), &MainViewModel::selectedEventIDChanged);
}

void MainViewModel::setSelectedVideoID(std::optional<QUuid> id) {
    update(selectedVideoID_, std::move(id), &MainViewModel::selectedVideoIDChanged);
}

void MainViewModel::setSelectedTimestampKey(std::optional<QString> key) {
    update(selectedTimestampKey_, std::move(key), &MainViewModel::selectedTimestampKeyChanged);
}

void MainViewModel::setVideos(std::vector<TeslaVideoFile> videos) {
    const bool same =
        std::equal(videos.begin(), videos.end(), videos_.begin(), videos_.end(),
                   [](const TeslaVideoFile& a, const TeslaVideoFile& b) { return a.id == b.id; });
    if (same)
        return;
    videos_ = std::move(videos);
    ++videosVersion_;
    emit videosChanged();
    touch();
}

void MainViewModel::setLoadingEvent(bool value) {
    assignAndNotify(isLoadingEvent_, value, this, &MainViewModel::isLoadingEventChanged);
}

void MainViewModel::renewEventLoadToken() {
    eventLoadToken_ = QUuid::createUuid();
    emit eventLoadTokenChanged();
}

void MainViewModel::setExportRangeStartValue(std::optional<double> value) {
    update(exportRangeStart_, std::move(value), &MainViewModel::exportRangeStartChanged);
}

void MainViewModel::setExportRangeEndValue(std::optional<double> value) {
    update(exportRangeEnd_, std::move(value), &MainViewModel::exportRangeEndChanged);
}

void MainViewModel::setExportRangeEnd(double seconds) {
    setExportRangeEndValue(std::isfinite(seconds) ? std::optional(seconds) : std::nullopt);
}

void MainViewModel::clearContinuousPlaylist() {
    if (!continuousStepDurations_.empty()) {
        continuousStepDurations_.clear();
        emit continuousStepDurationsChanged();
    }
    if (!continuousPlaylistSteps_.empty()) {
        continuousPlaylistSteps_.clear();
        emit continuousPlaylistStepsChanged();
    }
}

void MainViewModel::stopPreviews() {
    videoPreview_->stop();
    multiCameraPreview_->stop();
}

// --- Import ---

void MainViewModel::importTeslaCamFolders(const QList<QUrl>& urls) {
    QStringList paths;
    for (const QUrl& url : urls)
        paths << (url.isLocalFile() ? url.toLocalFile() : url.toString());
    importTeslaCamPaths(paths);
}

void MainViewModel::importTeslaCamPaths(const QStringList& paths) {
    const Batch batch(*this);
    setOptionalError(std::nullopt);
    stopPreviews();
    if (paths.isEmpty())
        return;
    const QUuid token = QUuid::createUuid();
    importToken_ = token;
    setImporting(true);
    runInBackground(
        workPool_,
        [check = services_.checkImportChoice, scan = services_.scanLibrary, paths] {
            ImportWork work;
            work.choice = check(paths);
            if (!work.choice.rejection)
                work.scan = attempt([&] { return scan(work.choice.folders); });
            return work;
        },
        [this, token](const ImportWork& work) {
            if (token != importToken_)
                return; // a newer import replaced this one
            applyImport(work.choice, work.scan);
        });
}

void MainViewModel::applyImport(const LibraryRules::ImportChoice& choice,
                                const Attempt<EventsByCategory>& scan) {
    const Batch batch(*this);
    setImporting(false);
    if (choice.rejection) {
        setOptionalError(choice.rejection);
        setStatusMessage(LibraryRules::startMessage);
        return;
    }
    if (!scan.value) {
        setOptionalError(scan.error);
        setStatusMessage(LibraryRules::importFailedStatus);
        setImportMode(ImportMode::none);
        return;
    }
    setImportMode(ImportMode::teslaCam);
    setEventsByCategory(*scan.value);
    if (!isProcessing_) // the running export's job stays until that export ends
        setJobs({});
    setVideos({});
    setSelectedVideoID(std::nullopt);
    if (eventsByCategory_.empty()) {
        setOptionalError(LibraryRules::noClipsMessage);
        setStatusMessage(LibraryRules::startMessage);
        setSelectedCategory(std::nullopt);
        setSelectedEventID(std::nullopt);
        setImportMode(ImportMode::none);
        return;
    }
    setStatusMessage(LibraryRules::scannedStatus(eventsByCategory_));
    if (const auto preferred = LibraryRules::preferredCategory(eventsByCategory_))
        selectCategory(*preferred);
}

// --- Selection ---

void MainViewModel::selectCategory(const QString& category) {
    if (const auto parsed = Category::fromRawValue(category))
        selectCategory(*parsed);
}

void MainViewModel::selectCategory(ClipCategory category) {
    const Batch batch(*this);
    setDeleteSelectionMode(false);
    setDeleteSelectedEventIDs({});
    if (category != ClipCategory::saved)
        cancelMergeSelection();
    setSelectedCategory(category);
    setSelectedEventID(std::nullopt);
    loadSelectedEvent(0, false, std::nullopt, false, std::nullopt);
}

void MainViewModel::selectEvent(const QString& eventID) {
    const QUuid id(eventID);
    for (const auto& [category, events] : eventsByCategory_)
        for (const TeslaClipEvent& e : events)
            if (e.id == id) {
                selectEvent(e);
                return;
            }
}

void MainViewModel::selectEvent(const TeslaClipEvent& event) {
    const Batch batch(*this);
    setSelectedCategory(event.category);
    setSelectedEventID(event.id);
    setSelectedVideoID(std::nullopt);
    setSelectedTimestampKey(std::nullopt);
    loadSelectedEvent(0, false, std::nullopt, false, std::nullopt);
}

void MainViewModel::closeEventPreview() {
    const Batch batch(*this);
    stopPreviews();
    cancelSegmentMergeSelection();
    renewEventLoadToken(); // a load still running would otherwise reopen the closed event
    setSelectedEventID(std::nullopt);
    setSelectedVideoID(std::nullopt);
    setSelectedTimestampKey(std::nullopt);
    setVideos({});
    setLoadingEvent(false);
}

void MainViewModel::loadSelectedEvent(double resumeAt, bool resumePlayback, std::optional<float> playbackRate,
                                      bool preservePreview, const std::optional<QString>& preferredVideoURL) {
    const Batch batch(*this);
    if (!preservePreview)
        stopPreviews();
    const auto event = selectedEventValue();
    renewEventLoadToken(); // also without an event: an older load must not fill the emptied preview
    if (!event) {
        setVideos({});
        setSelectedVideoID(std::nullopt);
        setSelectedTimestampKey(std::nullopt);
        setLoadingEvent(false);
        return;
    }
    const QUuid token = eventLoadToken_;
    if (!isProcessing_)
        setJobs({});
    if (!preservePreview)
        setSelectedVideoID(std::nullopt);
    clearExportRange();
    clearContinuousPlaylist();
    setLoadingEvent(!preservePreview);
    runInBackground(
        workPool_,
        [load = services_.loadVideos, event = *event] {
            return attempt([&] { return load(event, CameraAngle::all); });
        },
        [=, this](const Attempt<std::vector<TeslaVideoFile>>& loaded) {
            if (token != eventLoadToken_)
                return; // the user moved on meanwhile
            const Batch inner(*this);
            if (!loaded.value) {
                setOptionalError(loaded.error);
                setStatusMessage(LibraryRules::loadFailedStatus);
                setVideos({});
                setLoadingEvent(false);
                return;
            }
            std::vector<TeslaVideoFile> files = *loaded.value;
            if (preservePreview) // the files on screen keep their identity, so their players stay
                keepIdentities(files, videos_);
            applyLoadedVideos(*event, std::move(files), resumeAt, resumePlayback, playbackRate,
                              preferredVideoURL);
        });
}

void MainViewModel::applyLoadedVideos(const TeslaClipEvent& event, std::vector<TeslaVideoFile> loaded,
                                      double resumeAt, bool resumePlayback, std::optional<float> playbackRate,
                                      const std::optional<QString>& preferredVideoURL) {
    setVideos(std::move(loaded));
    setLoadingEvent(false);
    if (videos_.empty()) {
        setSelectedVideoID(std::nullopt);
        setStatusMessage(LibraryRules::noMatchingVideoStatus(event));
        return;
    }
    if (!selectedTimestampKey_ || filesOfMinute(videos_, *selectedTimestampKey_).empty())
        setSelectedTimestampKey(VideoTimestampGroup::groups(videos_).front().id);
    const std::vector<TeslaVideoFile> minute = filesOfMinute(videos_, *selectedTimestampKey_);
    if (settings_.cameraFilter == CameraAngle::all) {
        loadGridMinute(minute, preferredVideoURL, resumeAt, resumePlayback, playbackRate);
    } else {
        const CameraAngle camera = settings_.cameraFilter;
        auto chosen = std::find_if(minute.begin(), minute.end(), [&](const TeslaVideoFile& v) {
            return v.url == preferredVideoURL && v.cameraAngle == camera;
        });
        if (chosen == minute.end())
            chosen = std::find_if(minute.begin(), minute.end(),
                                  [&](const TeslaVideoFile& v) { return v.cameraAngle == camera; });
        setSelectedVideoID(chosen == minute.end() ? std::nullopt : std::optional(chosen->id));
        if (playbackRate)
            videoPreview_->setPlaybackRate(*playbackRate);
        if (chosen == minute.end())
            videoPreview_->stop();
        else
            playInSingleView(VideoSegmentPlaylist::singleCamera({*chosen}), resumeAt, resumePlayback);
    }
    setStatusMessage(LibraryRules::loadedEventStatus(event, int(videos_.size())));
}

void MainViewModel::loadGridMinute(const std::vector<TeslaVideoFile>& minute,
                                   const std::optional<QString>& preferredVideoURL, double resumeAt,
                                   bool resumePlayback, std::optional<float> playbackRate) {
    const auto grid = MultiCameraPreviewController::videosForGrid(minute, std::nullopt);
    auto focused = std::find_if(grid.begin(), grid.end(),
                                [&](const TeslaVideoFile& v) { return v.url == preferredVideoURL; });
    const std::optional<TeslaVideoFile> focus =
        focused != grid.end() ? std::optional(*focused) : LibraryRules::preferredExportVideo(grid);
    setSelectedVideoID(focus ? std::optional(focus->id) : std::nullopt);
    if (playbackRate)
        multiCameraPreview_->setPlaybackRate(*playbackRate);
    if (!focus)
        return;
    const auto playlist =
        VideoSegmentPlaylist::multiCamera(MultiCameraPreviewController::videosForGrid(minute, focus));
    // The same minute already open (the grid was only hidden): move it to the time kept.
    if (multiCameraPreview_->loadedPlaylistSignature() == playlist.signature)
        multiCameraPreview_->seekAll(resumeAt, resumePlayback);
    else
        multiCameraPreview_->loadPlaylist(playlist, resumeAt, resumePlayback);
}

void MainViewModel::playInSingleView(const VideoSegmentPlaylist& playlist, double resumeAt,
                                     bool resumePlayback) {
    if (videoPreview_->loadedPlaylistSignature() == playlist.signature)
        videoPreview_->seek(resumeAt, resumePlayback);
    else
        videoPreview_->loadPlaylist(playlist, resumeAt, resumePlayback);
}

void MainViewModel::selectVideoGroup(const QString& timestampKey) {
    const auto groups = VideoTimestampGroup::groups(videos_);
    const auto group = std::find_if(groups.begin(), groups.end(),
                                    [&](const VideoTimestampGroup& g) { return g.id == timestampKey; });
    if (group == groups.end())
        return;
    const Batch batch(*this);
    setSelectedTimestampKey(group->id);
    clearExportRange();
    if (settings_.cameraFilter == CameraAngle::all) {
        const auto focus = LibraryRules::preferredExportVideo(group->videos);
        setSelectedVideoID(focus ? std::optional(focus->id) : std::nullopt);
        if (focus)
            multiCameraPreview_->loadPlaylist(
                VideoSegmentPlaylist::multiCamera(
                    MultiCameraPreviewController::videosForGrid(group->videos, focus)),
                0, false);
        return;
    }
    const auto file = std::find_if(group->videos.begin(), group->videos.end(), [&](const TeslaVideoFile& v) {
        return v.cameraAngle == settings_.cameraFilter;
    });
    if (file == group->videos.end()) {
        setSelectedVideoID(std::nullopt);
        videoPreview_->stop();
        return;
    }
    setSelectedVideoID(file->id);
    loadVideoForPlayback();
}

void MainViewModel::loadVideoForPlayback() {
    if (settings_.cameraFilter == CameraAngle::all)
        return;
    if (const auto video = selectedVideoValue())
        videoPreview_->loadPlaylist(VideoSegmentPlaylist::singleCamera({*video}), 0, false);
    else
        videoPreview_->stop();
}

// --- Camera filter ---

void MainViewModel::applyCameraFilterChange(double preservingTime, bool wasPlaying,
                                            const QVariant& playbackRate) {
    bool ok = false;
    const float rate = playbackRate.toFloat(&ok);
    applyCameraFilterChange(preservingTime, wasPlaying, ok && rate > 0 ? std::optional(rate) : std::nullopt);
}

void MainViewModel::applyCameraFilterChange(double preservingTime, bool wasPlaying,
                                            std::optional<float> playbackRate) {
    if (importMode_ != ImportMode::teslaCam)
        return;
    const Batch batch(*this);
    // The player no longer shown pauses rather than decode unseen; it keeps its files open, so
    // switching back costs only a seek.
    if (settings_.cameraFilter == CameraAngle::all && videoPreview_->isPlaying())
        videoPreview_->togglePlayPause();
    else if (settings_.cameraFilter != CameraAngle::all && multiCameraPreview_->isPlaying())
        multiCameraPreview_->togglePlayPause();
    if (!selectedEventValue()) {
        setVideos({});
        setSelectedVideoID(std::nullopt);
        setSelectedTimestampKey(std::nullopt);
        return;
    }
    loadSelectedEvent(preservingTime, wasPlaying, playbackRate, true, std::nullopt);
}

void MainViewModel::switchCameraFilter(const QString& camera) {
    const auto parsed = Camera::fromRawValue(camera);
    if (!parsed || *parsed == settings_.cameraFilter)
        return;
    const bool grid = settings_.cameraFilter == CameraAngle::all;
    const double time = activeTime(*videoPreview_, *multiCameraPreview_, settings_);
    const bool playing = grid ? multiCameraPreview_->isPlaying() : videoPreview_->isPlaying();
    const float rate = grid ? multiCameraPreview_->playbackRate() : videoPreview_->playbackRate();
    const Batch batch(*this);
    setCameraFilter(*parsed);
    applyCameraFilterChange(time, playing, std::optional(rate));
}

// --- Export range ---

void MainViewModel::setExportRangeStart(double seconds) {
    const Batch batch(*this);
    const double value = std::min(std::max(seconds, 0.0), activeDuration());
    setExportRangeStartValue(value);
    if (exportRangeEnd_ && *exportRangeEnd_ <= value)
        setExportRangeEndValue(std::nullopt);
}

void MainViewModel::clearExportRange() {
    const Batch batch(*this);
    setExportRangeStartValue(std::nullopt);
    setExportRangeEndValue(std::nullopt);
}

QVariantMap MainViewModel::rangeFeedback(const QString& message, bool isError) const {
    return {{QStringLiteral("message"), message}, {QStringLiteral("isError"), isError}};
}

QVariantMap MainViewModel::recordExportRangeStart() {
    const auto t = readyPosition(activeDuration(), activeTime(*videoPreview_, *multiCameraPreview_, settings_));
    if (!t)
        return rangeFeedback(notReadyMessage, true);
    const auto previousEnd = exportRangeEnd_;
    setExportRangeStart(*t);
    QString message = QStringLiteral("已设置开始点 ") + PlaybackTimeFormat::format(*t);
    if (previousEnd && *previousEnd <= *t)
        message += QStringLiteral("，原结束点已清除");
    return rangeFeedback(message, false);
}

QVariantMap MainViewModel::recordExportRangeEnd() {
    const auto t = readyPosition(activeDuration(), activeTime(*videoPreview_, *multiCameraPreview_, settings_));
    if (!t)
        return rangeFeedback(notReadyMessage, true);
    if (exportRangeStart_ && *t <= *exportRangeStart_)
        return rangeFeedback(endBeforeStartMessage, true);
    setExportRangeEndValue(std::min(*t, activeDuration()));
    return rangeFeedback(QStringLiteral("已设置结束点 ") + PlaybackTimeFormat::format(*t), false);
}

} // namespace orvane
