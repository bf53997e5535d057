#include "MainViewModel.h"

#include "ClipDeletionService.h"
#include "ExportOrchestration.h"
#include "MainViewModelPrivate.h"
#include "MultiCameraPreviewController.h"
#include "ObservableField.h"
#include "PlaybackSegmentResolver.h"
#include "PreviewWatermark.h"
#include "VideoPreviewController.h"

#include <QDir>

#include <cmath>

namespace orvane {

namespace {
// Scans, loads and measuring: one at a time is best for a slow USB stick, a second keeps a
// quick load from waiting behind a long scan.
constexpr int workThreads = 2;
// An export superseded by a newer one may still be finishing while the newer one runs.
constexpr int exportThreads = 2;
// How long quitting waits for a scan, load or measuring still running.
constexpr int quitWaitForWorkMilliseconds = 500;

QVariantMap videoToVariantMap(const TeslaVideoFile& v) {
    return {{QStringLiteral("videoID"), v.id.toString(QUuid::WithoutBraces)},
            {QStringLiteral("url"), v.url},
            {QStringLiteral("fileName"), v.fileName},
            {QStringLiteral("startTime"), v.startTime},
            {QStringLiteral("camera"), v.cameraAngle ? Camera::rawValue(*v.cameraAngle) : QString()},
            {QStringLiteral("timestampKey"), TeslaVideoFile::timestampKey(v.fileName)}};
}
} // namespace

MainViewModel::MainViewModel(QObject* parent) : MainViewModel(ViewModelServices::standard(), parent) {
    // Qt trashes into the working folder when the user's data folder is missing.
    ClipDeletionService::ensureGenericDataFolder();
}

MainViewModel::MainViewModel(ViewModelServices services, QObject* parent)
    : QObject(parent), services_(std::move(services)), workPool_(new QThreadPool),
      exportPool_(new QThreadPool), videoPreview_(new VideoPreviewController(services_.preview, this)),
      multiCameraPreview_(new MultiCameraPreviewController(services_.preview, this)),
      mergePreview_(new VideoPreviewController(services_.preview, this)),
      eventsModel_(new EventListModel(this)), sectionsModel_(new DatedEventSectionModel(this)),
      groupsModel_(new VideoGroupListModel(this)), mergeItemsModel_(new MergeItemListModel(this)) {
    workPool_->setMaxThreadCount(workThreads);
    exportPool_->setMaxThreadCount(exportThreads);
    connect(videoPreview_, &VideoPreviewController::durationChanged, this, &MainViewModel::touch);
    connect(multiCameraPreview_, &MultiCameraPreviewController::durationChanged, this, &MainViewModel::touch);
    refreshDerived();
}

MainViewModel::~MainViewModel() {
    shutdown();
    // Work still running only reads the disk and holds no reference to this object; a scan of a
    // slow drive must not hold up quitting, so after a short wait its pool is let go.
    workPool_->clear();
    if (workPool_->waitForDone(quitWaitForWorkMilliseconds))
        delete workPool_;
    if (exportPool_->waitForDone(services_.shutdownWaitMilliseconds))
        delete exportPool_;
}

void MainViewModel::touch() {
    derivedDirty_ = true;
    if (batchDepth_ == 0)
        refreshDerived();
}

void MainViewModel::refreshDerived() {
    derivedDirty_ = false;
    Derived next;
    for (ClipCategory c : LibraryRules::availableCategories(importMode_, eventsByCategory_))
        next.availableCategories << Category::rawValue(c);
    if (const auto event = selectedEventValue())
        next.selectedEvent = eventToVariantMap(*event);
    if (const auto video = selectedVideoValue())
        next.selectedVideo = videoToVariantMap(*video);
    next.openOutputButtonTitle =
        LibraryRules::openOutputButtonTitle(exportResultDestination_, settings_.outputDestination);
    next.exportingFileName = ExportOrchestration::exportingFileName(exportSelection());
    next.exportRangeMaximum = activeDuration();
    next.allEventsSelectedForDeletion =
        LibraryRules::toggledSelectAll(eventsInSelectedCategoryList(), deleteSelectedEventIDs_).isEmpty();

    Derived& d = derived_;
    assignAndNotify(d.availableCategories, next.availableCategories, this,
                    &MainViewModel::availableCategoriesChanged);
    assignAndNotify(d.selectedEvent, next.selectedEvent, this, &MainViewModel::selectedEventChanged);
    assignAndNotify(d.selectedVideo, next.selectedVideo, this, &MainViewModel::selectedVideoChanged);
    assignAndNotify(d.openOutputButtonTitle, next.openOutputButtonTitle, this,
                    &MainViewModel::openOutputButtonTitleChanged);
    assignAndNotify(d.exportingFileName, next.exportingFileName, this,
                    &MainViewModel::exportingFileNameChanged);
    assignAndNotify(d.exportRangeMaximum, next.exportRangeMaximum, this,
                    &MainViewModel::exportRangeMaximumChanged);
    assignAndNotify(d.allEventsSelectedForDeletion, next.allEventsSelectedForDeletion, this,
                    &MainViewModel::allEventsSelectedForDeletionChanged);
    refreshModels();
}

void MainViewModel::refreshModels() {
    const std::vector<TeslaClipEvent>& events = eventsInSelectedCategoryList();
    const bool eventsChanged = !std::equal(
        events.begin(), events.end(), eventsModel_->events().begin(), eventsModel_->events().end(),
        [](const TeslaClipEvent& a, const TeslaClipEvent& b) { return a.id == b.id; });
    if (eventsChanged) {
        eventsModel_->setEvents(events);
        sectionsModel_->setSections(DatedEventSection::sections(events));
    }
    const EventMarks marks{deleteSelectedEventIDs_, mergeSelectedEventIDs_, selectedEventID_};
    eventsModel_->setMarks(marks);
    sectionsModel_->setMarks(marks);
    if (groupedVersion_ != videosVersion_) {
        groupsModel_->setGroups(VideoTimestampGroup::groups(videos_));
        groupedVersion_ = videosVersion_;
    }
    groupsModel_->setMarks(selectedTimestampKey(), mergeSelectedTimestampKeys_);
    mergeItemsModel_->setItems(mergeItems_);
}

double MainViewModel::activeDuration() const {
    return settings_.cameraFilter == CameraAngle::all ? multiCameraPreview_->duration()
                                                      : videoPreview_->duration();
}

ExportSelection MainViewModel::exportSelection() const {
    ExportSelection s;
    s.cameraFilter = settings_.cameraFilter;
    s.videos = videos_;
    s.selectedVideo = selectedVideoValue();
    s.selectedTimestampKey = selectedTimestampKey_;
    s.selectedEvent = selectedEventValue();
    s.continuousPlaylistSteps = continuousPlaylistSteps_;
    s.continuousStepDurations = continuousStepDurations_;
    s.rangeStart = exportRangeStart_;
    s.rangeEnd = exportRangeEnd_;
    s.isMergeEditorPresented = isMergeEditorPresented_;
    s.mergeItems = mergeItems_;
    s.mergeCameraAngle = mergeCameraAngle_;
    s.multiCameraDuration = multiCameraPreview_->duration();
    if (!jobs_.empty())
        s.job = jobs_.front();
    return s;
}

// --- Settings and output location ---

QString MainViewModel::cameraFilter() const {
    return Camera::rawValue(settings_.cameraFilter);
}
QString MainViewModel::exportQuality() const {
    return Quality::rawValue(settings_.exportQuality);
}
QString MainViewModel::exportQualityTitle() const {
    return Quality::title(settings_.exportQuality);
}
QString MainViewModel::exportQualityDescription() const {
    return Quality::description(settings_.exportQuality);
}

QString MainViewModel::outputDestinationKind() const {
    return settings_.outputDestination.isFolder() ? QStringLiteral("folder")
                                                  : QStringLiteral("photosLibrary");
}

QString MainViewModel::outputLocationOption() const {
    return OutputLocation::rawValue(settings_.outputDestination.isFolder()
                                        ? OutputLocationOption::custom
                                        : OutputLocationOption::photosLibrary);
}

QString MainViewModel::outputFolder() const {
    return settings_.outputDestination.folder;
}

QString MainViewModel::outputFolderDisplayPath() const {
    return settings_.outputDestination.isFolder() ? localizedFolderPath(settings_.outputDestination.folder)
                                                  : QStringLiteral("系统相册");
}

void MainViewModel::setShowTime(bool value) {
    if (settings_.showTime == value)
        return;
    settings_.showTime = value;
    emit showTimeChanged();
}

void MainViewModel::setCameraFilter(const QString& camera) {
    if (const auto parsed = Camera::fromRawValue(camera))
        setCameraFilter(*parsed);
}

void MainViewModel::setCameraFilter(CameraAngle camera) {
    if (settings_.cameraFilter == camera)
        return;
    settings_.cameraFilter = camera;
    emit cameraFilterChanged();
    touch();
}

void MainViewModel::setExportQuality(const QString& quality) {
    const auto parsed = Quality::fromRawValue(quality);
    if (!parsed || *parsed == settings_.exportQuality)
        return;
    settings_.exportQuality = *parsed;
    emit exportQualityChanged();
}

void MainViewModel::setOutputDestination(const OutputDestination& destination) {
    update(settings_.outputDestination, destination, &MainViewModel::outputDestinationChanged);
}

void MainViewModel::selectOutputLocation(const QString& option) {
    const auto parsed = OutputLocation::fromRawValue(option);
    if (parsed == OutputLocationOption::photosLibrary)
        usePhotosLibraryOutput();
    else if (parsed == OutputLocationOption::custom && !settings_.outputDestination.isFolder())
        resetOutputDestinationToDefault();
    else if (parsed == OutputLocationOption::custom)
        emit outputDirectoryRequested();
}

void MainViewModel::usePhotosLibraryOutput() {
    const Batch batch(*this);
    setOutputDestination(OutputDestination::photosLibrary());
    setStatusMessage(LibraryRules::photosLibraryStatus());
}

void MainViewModel::setCustomOutputDirectory(const QUrl& folder) {
    setCustomOutputDirectoryPath(folder.isLocalFile() ? folder.toLocalFile() : folder.toString());
}

void MainViewModel::setCustomOutputDirectoryPath(const QString& folder) {
    if (folder.isEmpty())
        return;
    const Batch batch(*this);
    setOutputDestination(OutputDestination::inFolder(QDir::cleanPath(folder)));
    setStatusMessage(LibraryRules::outputDirectoryStatus(settings_.outputDestination));
}

void MainViewModel::resetOutputDestinationToDefault() {
    const Batch batch(*this);
    setOutputDestination(OutputDestination::defaultDestination());
    setStatusMessage(LibraryRules::outputDirectoryStatus(settings_.outputDestination));
}

// --- Messages ---

void MainViewModel::setStatusMessage(const QString& message) {
    assignAndNotify(statusMessage_, message, this, &MainViewModel::statusMessageChanged);
}

void MainViewModel::setOptionalError(const std::optional<QString>& message) {
    assignAndNotify(errorMessage_, message, this, &MainViewModel::errorMessageChanged);
}

void MainViewModel::setOptionalSuccess(const std::optional<QString>& message) {
    assignAndNotify(successMessage_, message, this, &MainViewModel::successMessageChanged);
}

void MainViewModel::setErrorMessage(const QString& message) {
    setOptionalError(message.isEmpty() ? std::nullopt : std::optional(message));
}

void MainViewModel::setSuccessMessage(const QString& message) {
    setOptionalSuccess(message.isEmpty() ? std::nullopt : std::optional(message));
}

// --- Reads ---

QVariantMap MainViewModel::eventCountsByCategory() const {
    QVariantMap counts;
    for (const auto& [category, events] : eventsByCategory_)
        counts.insert(Category::rawValue(category), int(events.size()));
    return counts;
}

QString MainViewModel::selectedCategory() const {
    return selectedCategory_ ? Category::rawValue(*selectedCategory_) : QString();
}

const std::vector<TeslaClipEvent>& MainViewModel::eventsInSelectedCategoryList() const {
    static const std::vector<TeslaClipEvent> none;
    if (!selectedCategory_)
        return none;
    const auto found = eventsByCategory_.find(*selectedCategory_);
    return found == eventsByCategory_.end() ? none : found->second;
}

std::optional<TeslaClipEvent> MainViewModel::selectedEventValue() const {
    if (!selectedEventID_)
        return std::nullopt;
    for (const TeslaClipEvent& e : eventsInSelectedCategoryList())
        if (e.id == *selectedEventID_)
            return e;
    return std::nullopt;
}

std::optional<TeslaVideoFile> MainViewModel::selectedVideoValue() const {
    if (!selectedVideoID_)
        return std::nullopt;
    for (const TeslaVideoFile& v : videos_)
        if (v.id == *selectedVideoID_)
            return v;
    return std::nullopt;
}

QString MainViewModel::selectedEventID() const {
    return uuidText(selectedEventID_);
}
QString MainViewModel::selectedVideoID() const {
    return uuidText(selectedVideoID_);
}
QObject* MainViewModel::videoPreviewObject() const {
    return videoPreview_;
}
QObject* MainViewModel::multiCameraPreviewObject() const {
    return multiCameraPreview_;
}
QObject* MainViewModel::mergePreviewObject() const {
    return mergePreview_;
}

QObject* MainViewModel::activePreview() const {
    if (settings_.cameraFilter == CameraAngle::all)
        return multiCameraPreview_;
    return videoPreview_;
}

double MainViewModel::exportRangeStart() const {
    return exportRangeStart_.value_or(NAN);
}
double MainViewModel::exportRangeEnd() const {
    return exportRangeEnd_.value_or(NAN);
}

QList<double> MainViewModel::continuousStepDurations() const {
    return QList<double>(continuousStepDurations_.begin(), continuousStepDurations_.end());
}

QStringList MainViewModel::mergeSelectedEventIDs() const {
    QStringList ids;
    for (const QUuid& id : mergeSelectedEventIDs_)
        ids << uuidText(id);
    return ids;
}

double MainViewModel::mergeTotalDuration() const {
    double total = 0;
    for (const VideoMergeItem& item : mergeItems_)
        total += std::max(item.keptDuration(), 0.0);
    return total;
}

QString MainViewModel::mergeCameraAngle() const {
    return Camera::rawValue(mergeCameraAngle_);
}

QStringList MainViewModel::deleteSelectedEventIDs() const {
    QStringList ids;
    for (const TeslaClipEvent& e : eventsInSelectedCategoryList())
        if (deleteSelectedEventIDs_.contains(e.id))
            ids << uuidText(e.id);
    return ids;
}

// --- Telemetry source and texts ---

std::optional<PlaybackSegmentContext> MainViewModel::playbackSegment(double time) const {
    return PlaybackSegmentResolver::playbackSegment(time, continuousPlaylistSteps_, continuousStepDurations_,
                                                    selectedVideoValue(), activeDuration());
}

std::optional<PlaybackSegmentContext> MainViewModel::nextPlaybackSegment(double time) const {
    return PlaybackSegmentResolver::nextPlaybackSegment(
        time, continuousPlaylistSteps_, continuousStepDurations_, selectedVideoValue(), activeDuration());
}

std::optional<TeslaVideoFile> MainViewModel::telemetryVideo(const std::vector<TeslaVideoFile>& files) {
    return PlaybackSegmentResolver::telemetryVideo(files);
}

QString MainViewModel::watermarkText(double t) const {
    const auto event = selectedEventValue();
    return PreviewWatermark::text(playbackSegment(t), event ? &*event : nullptr,
                                  PreviewWatermark::currentInstant());
}

QString MainViewModel::categoryDisplayName(const QString& category) const {
    const auto parsed = Category::fromRawValue(category);
    return parsed ? Category::displayName(*parsed) : QString();
}

QString MainViewModel::cameraDisplayName(const QString& camera) const {
    const auto parsed = Camera::fromRawValue(camera);
    return parsed ? Camera::displayName(*parsed) : QString();
}

} // namespace orvane
