#pragma once
// The application's state as the screens see it: the imported library, the selected category,
// event, minute and file, the export settings and range, the export, the merge editor and the
// deletion of events, with the status and error lines. One instance lives for the whole process.
// Interface thread only: blocking work runs on its own pools and comes back here; a result
// that a newer request superseded is dropped.

#include "EventListModel.h"
#include "ExportSettings.h"
#include "ExportTimeline.h"
#include "LibraryRules.h"
#include "MergeItemListModel.h"
#include "PlaybackSegmentSource.h"
#include "ProcessingJob.h"
#include "VideoGroupListModel.h"
#include "VideoMergeItem.h"
#include "ViewModelServices.h"

#include <QObject>
#include <QThreadPool>
#include <QUrl>
#include <QUuid>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

#include <memory>
#include <optional>
#include <vector>

namespace orvane {

class MultiCameraPreviewController;
class VideoPreviewController;
struct ExportSelection;
struct ExportUpdate;
template <typename T> struct Attempt;

class MainViewModel : public QObject, public PlaybackSegmentSource {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The application creates the one MainViewModel")
    // Settings (raw values: cameras "front" … "all", qualities "original"/"balanced").
    Q_PROPERTY(bool showTime READ showTime WRITE setShowTime NOTIFY showTimeChanged)
    Q_PROPERTY(QString cameraFilter READ cameraFilter WRITE setCameraFilter NOTIFY cameraFilterChanged)
    Q_PROPERTY(QString exportQuality READ exportQuality WRITE setExportQuality NOTIFY exportQualityChanged)
    Q_PROPERTY(QString exportQualityTitle READ exportQualityTitle NOTIFY exportQualityChanged)
    Q_PROPERTY(QString exportQualityDescription READ exportQualityDescription NOTIFY exportQualityChanged)
    // "folder" or "photosLibrary"; the option the output picker shows ("photosLibrary"/"custom");
    // the folder's path ("" for the library) and its readable form ("系统相册" for the library).
    Q_PROPERTY(QString outputDestinationKind READ outputDestinationKind NOTIFY outputDestinationChanged)
    Q_PROPERTY(QString outputLocationOption READ outputLocationOption NOTIFY outputDestinationChanged)
    Q_PROPERTY(QString outputFolder READ outputFolder NOTIFY outputDestinationChanged)
    Q_PROPERTY(QString outputFolderDisplayPath READ outputFolderDisplayPath NOTIFY outputDestinationChanged)
    // Library and selection. Ids are text; "" means none.
    Q_PROPERTY(QString importMode READ importMode NOTIFY importModeChanged)
    Q_PROPERTY(bool isImporting READ isImporting NOTIFY isImportingChanged)
    Q_PROPERTY(QVariantMap eventCountsByCategory READ eventCountsByCategory NOTIFY eventsByCategoryChanged)
    Q_PROPERTY(QStringList availableCategories READ availableCategories NOTIFY availableCategoriesChanged)
    Q_PROPERTY(QString selectedCategory READ selectedCategory NOTIFY selectedCategoryChanged)
    Q_PROPERTY(orvane::EventListModel* eventsInSelectedCategory READ eventsInSelectedCategory CONSTANT)
    Q_PROPERTY(orvane::DatedEventSectionModel* datedEventSections READ datedEventSections CONSTANT)
    Q_PROPERTY(QString selectedEventID READ selectedEventID NOTIFY selectedEventIDChanged)
    Q_PROPERTY(QVariantMap selectedEvent READ selectedEvent NOTIFY selectedEventChanged)
    Q_PROPERTY(bool hasSelectedEvent READ hasSelectedEvent NOTIFY selectedEventChanged)
    Q_PROPERTY(QString selectedVideoID READ selectedVideoID NOTIFY selectedVideoIDChanged)
    Q_PROPERTY(QVariantMap selectedVideo READ selectedVideo NOTIFY selectedVideoChanged)
    Q_PROPERTY(bool hasSelectedVideo READ hasSelectedVideo NOTIFY selectedVideoChanged)
    Q_PROPERTY(QString selectedTimestampKey READ selectedTimestampKey NOTIFY selectedTimestampKeyChanged)
    Q_PROPERTY(int videoCount READ videoCount NOTIFY videosChanged)
    Q_PROPERTY(orvane::VideoGroupListModel* videoGroups READ videoGroups CONSTANT)
    Q_PROPERTY(bool isLoadingEvent READ isLoadingEvent NOTIFY isLoadingEventChanged)
    Q_PROPERTY(QString eventLoadToken READ eventLoadToken NOTIFY eventLoadTokenChanged)
    // The two players of the preview page, and the one the camera filter makes active.
    Q_PROPERTY(QObject* videoPreview READ videoPreviewObject CONSTANT)
    Q_PROPERTY(QObject* multiCameraPreview READ multiCameraPreviewObject CONSTANT)
    Q_PROPERTY(QObject* activePreview READ activePreview NOTIFY cameraFilterChanged)
    // The merge editor's own player (loadMergePreview fills it).
    Q_PROPERTY(QObject* mergePreview READ mergePreviewObject CONSTANT)
    // Messages. Writing "" clears (the alert's button).
    Q_PROPERTY(QString statusMessage READ statusMessage NOTIFY statusMessageChanged)
    Q_PROPERTY(QString errorMessage READ errorMessage WRITE setErrorMessage NOTIFY errorMessageChanged)
    Q_PROPERTY(
        QString successMessage READ successMessage WRITE setSuccessMessage NOTIFY successMessageChanged)
    // Export range on the current preview's time line, seconds; NaN when not set.
    Q_PROPERTY(double exportRangeStart READ exportRangeStart NOTIFY exportRangeStartChanged)
    Q_PROPERTY(bool hasExportRangeStart READ hasExportRangeStart NOTIFY exportRangeStartChanged)
    Q_PROPERTY(double exportRangeEnd READ exportRangeEnd WRITE setExportRangeEnd NOTIFY exportRangeEndChanged)
    Q_PROPERTY(bool hasExportRangeEnd READ hasExportRangeEnd NOTIFY exportRangeEndChanged)
    Q_PROPERTY(double exportRangeMaximum READ exportRangeMaximum NOTIFY exportRangeMaximumChanged)
    Q_PROPERTY(QList<double> continuousStepDurations READ continuousStepDurations NOTIFY
                   continuousStepDurationsChanged)
    Q_PROPERTY(int continuousPlaylistStepCount READ continuousPlaylistStepCount NOTIFY
                   continuousPlaylistStepsChanged)
    // Export.
    Q_PROPERTY(bool isProcessing READ isProcessing NOTIFY isProcessingChanged)
    Q_PROPERTY(QVariantList jobs READ jobs NOTIFY jobsChanged)
    Q_PROPERTY(double exportProgress READ exportProgress NOTIFY jobsChanged)
    Q_PROPERTY(QString exportStatusMessage READ exportStatusMessage NOTIFY exportStatusMessageChanged)
    Q_PROPERTY(bool exportIsIndeterminate READ exportIsIndeterminate NOTIFY exportIsIndeterminateChanged)
    Q_PROPERTY(QString exportingFileName READ exportingFileName NOTIFY exportingFileNameChanged)
    Q_PROPERTY(QString exportCameraAngle READ cameraFilter NOTIFY cameraFilterChanged)
    // The last export's result: the delivered file (a local file URL and its path), "folder" or
    // "photosLibrary", the recording time of its first frame (NaN when unknown) and its timeline.
    Q_PROPERTY(QUrl exportResultURL READ exportResultURL NOTIFY exportResultChanged)
    Q_PROPERTY(QString exportResultPath READ exportResultPath NOTIFY exportResultChanged)
    Q_PROPERTY(QString exportResultDestination READ exportResultDestination NOTIFY exportResultChanged)
    Q_PROPERTY(double exportResultStartDate READ exportResultStartDate NOTIFY exportResultChanged)
    Q_PROPERTY(QVariant exportResultTimeline READ exportResultTimeline NOTIFY exportResultChanged)
    Q_PROPERTY(bool hasExportResult READ hasExportResult NOTIFY exportResultChanged)
    Q_PROPERTY(QString openOutputButtonTitle READ openOutputButtonTitle NOTIFY openOutputButtonTitleChanged)
    Q_PROPERTY(bool showPhotosPrivacySettings READ showPhotosPrivacySettings WRITE
                   setShowPhotosPrivacySettings NOTIFY showPhotosPrivacySettingsChanged)
    // Merge editor.
    Q_PROPERTY(bool isMergeSelectionMode READ isMergeSelectionMode NOTIFY isMergeSelectionModeChanged)
    Q_PROPERTY(bool isSegmentMergeSelectionMode READ isSegmentMergeSelectionMode NOTIFY
                   isSegmentMergeSelectionModeChanged)
    Q_PROPERTY(
        QStringList mergeSelectedEventIDs READ mergeSelectedEventIDs NOTIFY mergeSelectedEventIDsChanged)
    Q_PROPERTY(QStringList mergeSelectedTimestampKeys READ mergeSelectedTimestampKeys NOTIFY
                   mergeSelectedTimestampKeysChanged)
    Q_PROPERTY(orvane::MergeItemListModel* mergeItems READ mergeItems CONSTANT)
    Q_PROPERTY(double mergeTotalDuration READ mergeTotalDuration NOTIFY mergeItemsChanged)
    Q_PROPERTY(QString mergeCameraAngle READ mergeCameraAngle NOTIFY mergeCameraAngleChanged)
    Q_PROPERTY(bool isMergeEditorPresented READ isMergeEditorPresented NOTIFY isMergeEditorPresentedChanged)
    Q_PROPERTY(bool isPreparingMerge READ isPreparingMerge NOTIFY isPreparingMergeChanged)
    // Deletion.
    Q_PROPERTY(bool isDeleteSelectionMode READ isDeleteSelectionMode WRITE setDeleteSelectionMode NOTIFY
                   isDeleteSelectionModeChanged)
    Q_PROPERTY(
        QStringList deleteSelectedEventIDs READ deleteSelectedEventIDs NOTIFY deleteSelectedEventIDsChanged)
    Q_PROPERTY(int deleteSelectedCount READ deleteSelectedCount NOTIFY deleteSelectedEventIDsChanged)
    Q_PROPERTY(bool allEventsSelectedForDeletion READ allEventsSelectedForDeletion NOTIFY
                   allEventsSelectedForDeletionChanged)
    Q_PROPERTY(bool isDeletingEvents READ isDeletingEvents NOTIFY isDeletingEventsChanged)

public:
    explicit MainViewModel(QObject* parent = nullptr);
    explicit MainViewModel(ViewModelServices services, QObject* parent = nullptr);
    ~MainViewModel() override;
    // --- Import and selection ---
    // The folders (or files) the folder chooser returned.
    Q_INVOKABLE void importTeslaCamFolders(const QList<QUrl>& urls);
    void importTeslaCamPaths(const QStringList& paths);
    Q_INVOKABLE void selectCategory(const QString& category);
    void selectCategory(ClipCategory category);
    Q_INVOKABLE void selectEvent(const QString& eventID);
    void selectEvent(const TeslaClipEvent& event);
    Q_INVOKABLE void selectVideoGroup(const QString& timestampKey);
    Q_INVOKABLE void closeEventPreview();
    // After the preview page changed cameraFilter: reload keeping the minute, time and play state.
    // `playbackRate` may be undefined.
    Q_INVOKABLE void applyCameraFilterChange(double preservingTime, bool wasPlaying,
                                             const QVariant& playbackRate);
    void applyCameraFilterChange(double preservingTime, bool wasPlaying, std::optional<float> playbackRate);
    // The camera tabs: sets the filter and carries the active player's time, play state and rate.
    Q_INVOKABLE void switchCameraFilter(const QString& camera);
    // --- Export range ---
    Q_INVOKABLE void setExportRangeStart(double seconds);
    Q_INVOKABLE void clearExportRange();
    // The range buttons of the preview page at the active player's time: {message, isError}.
    Q_INVOKABLE QVariantMap recordExportRangeStart();
    Q_INVOKABLE QVariantMap recordExportRangeEnd();
    // --- Output location ---
    // "photosLibrary" or "custom"; custom on a folder asks the window for a folder
    // (outputDirectoryRequested), which answers with setCustomOutputDirectory.
    Q_INVOKABLE void selectOutputLocation(const QString& option);
    Q_INVOKABLE void usePhotosLibraryOutput();
    Q_INVOKABLE void setCustomOutputDirectory(const QUrl& folder);
    void setCustomOutputDirectoryPath(const QString& folder);
    Q_INVOKABLE void resetOutputDestinationToDefault();
    // --- Export ---
    Q_INVOKABLE void startProcessing();
    Q_INVOKABLE void cancelExport();
    Q_INVOKABLE void revealOutputLocation();
    Q_INVOKABLE void clearExportResult();
    Q_INVOKABLE void openPhotosPrivacySettings();
    // Cancels a running export and waits (bounded) until its temporary files are gone.
    Q_INVOKABLE void shutdown();
    // --- Merge editor ---
    Q_INVOKABLE void startMergeSelection();
    Q_INVOKABLE void toggleMergeEvent(const QString& eventID);
    void toggleMergeEvent(const TeslaClipEvent& event);
    Q_INVOKABLE void cancelMergeSelection();
    Q_INVOKABLE void startSegmentMergeSelection();
    Q_INVOKABLE void toggleMergeSegment(const QString& timestampKey);
    Q_INVOKABLE void cancelSegmentMergeSelection();
    Q_INVOKABLE void prepareMergeEditor();
    Q_INVOKABLE void closeMergeEditor();
    Q_INVOKABLE void setMergeCameraAngle(const QString& camera);
    Q_INVOKABLE void moveMergeItemUp(const QString& itemID);
    Q_INVOKABLE void moveMergeItemDown(const QString& itemID);
    Q_INVOKABLE void setMergeRangeStart(double seconds, const QString& itemID);
    Q_INVOKABLE void setMergeRangeEnd(double seconds, const QString& itemID);
    // Plays an item's files in mergePreview from `initialTime` (on the item's own time line).
    Q_INVOKABLE void loadMergePreview(const QString& itemID, double initialTime, bool resumePlayback);
    // --- Deletion ---
    // "批量删除": leaves merge selection and starts an empty deletion selection.
    Q_INVOKABLE void startDeleteSelection();
    Q_INVOKABLE void cancelDeleteSelection();
    Q_INVOKABLE void toggleDeleteEvent(const QString& eventID);
    void toggleDeleteEvent(const TeslaClipEvent& event);
    Q_INVOKABLE void toggleSelectAllEventsForDeletion();
    Q_INVOKABLE void deleteSelectedEvents();
    // --- Texts ---
    // The preview's time watermark for global playback time `t`, as exports burn it in.
    Q_INVOKABLE QString watermarkText(double t) const;
    Q_INVOKABLE QString categoryDisplayName(const QString& category) const;
    Q_INVOKABLE QString cameraDisplayName(const QString& camera) const;
    // --- Telemetry source (PlaybackSegmentSource) ---
    std::optional<PlaybackSegmentContext> playbackSegment(double time) const override;
    std::optional<PlaybackSegmentContext> nextPlaybackSegment(double time) const override;
    static std::optional<TeslaVideoFile> telemetryVideo(const std::vector<TeslaVideoFile>& files);
    // --- Property reads ---
    bool showTime() const { return settings_.showTime; }
    QString cameraFilter() const;
    QString exportQuality() const;
    QString exportQualityTitle() const;
    QString exportQualityDescription() const;
    QString outputDestinationKind() const;
    QString outputLocationOption() const;
    QString outputFolder() const;
    QString outputFolderDisplayPath() const;
    QString importMode() const { return LibraryRules::rawValue(importMode_); }
    bool isImporting() const { return isImporting_; }
    QVariantMap eventCountsByCategory() const;
    QStringList availableCategories() const { return derived_.availableCategories; }
    QString selectedCategory() const;
    EventListModel* eventsInSelectedCategory() const { return eventsModel_; }
    DatedEventSectionModel* datedEventSections() const { return sectionsModel_; }
    QString selectedEventID() const;
    QVariantMap selectedEvent() const { return derived_.selectedEvent; }
    bool hasSelectedEvent() const { return !derived_.selectedEvent.isEmpty(); }
    QString selectedVideoID() const;
    QVariantMap selectedVideo() const { return derived_.selectedVideo; }
    bool hasSelectedVideo() const { return !derived_.selectedVideo.isEmpty(); }
    QString selectedTimestampKey() const { return selectedTimestampKey_.value_or(QString()); }
    int videoCount() const { return int(videos_.size()); }
    VideoGroupListModel* videoGroups() const { return groupsModel_; }
    bool isLoadingEvent() const { return isLoadingEvent_; }
    QString eventLoadToken() const { return eventLoadToken_.toString(QUuid::WithoutBraces); }
    QObject* videoPreviewObject() const;
    QObject* multiCameraPreviewObject() const;
    QObject* activePreview() const;
    QObject* mergePreviewObject() const;
    QString statusMessage() const { return statusMessage_; }
    QString errorMessage() const { return errorMessage_.value_or(QString()); }
    QString successMessage() const { return successMessage_.value_or(QString()); }
    double exportRangeStart() const;
    bool hasExportRangeStart() const { return exportRangeStart_.has_value(); }
    double exportRangeEnd() const;
    bool hasExportRangeEnd() const { return exportRangeEnd_.has_value(); }
    double exportRangeMaximum() const { return derived_.exportRangeMaximum; }
    QList<double> continuousStepDurations() const;
    int continuousPlaylistStepCount() const { return int(continuousPlaylistSteps_.size()); }
    bool isProcessing() const { return isProcessing_; }
    QVariantList jobs() const;
    double exportProgress() const { return jobs_.empty() ? 0 : jobs_.front().progress; }
    QString exportStatusMessage() const { return exportStatusMessage_; }
    bool exportIsIndeterminate() const { return exportIsIndeterminate_; }
    QString exportingFileName() const { return derived_.exportingFileName; }
    QUrl exportResultURL() const;
    QString exportResultPath() const { return exportResultPath_.value_or(QString()); }
    QString exportResultDestination() const;
    double exportResultStartDate() const;
    QVariant exportResultTimeline() const;
    bool hasExportResult() const { return exportResultPath_.has_value(); }
    QString openOutputButtonTitle() const { return derived_.openOutputButtonTitle; }
    bool showPhotosPrivacySettings() const { return showPhotosPrivacySettings_; }
    bool isMergeSelectionMode() const { return isMergeSelectionMode_; }
    bool isSegmentMergeSelectionMode() const { return isSegmentMergeSelectionMode_; }
    QStringList mergeSelectedEventIDs() const;
    QStringList mergeSelectedTimestampKeys() const { return mergeSelectedTimestampKeys_; }
    MergeItemListModel* mergeItems() const { return mergeItemsModel_; }
    double mergeTotalDuration() const;
    QString mergeCameraAngle() const;
    bool isMergeEditorPresented() const { return isMergeEditorPresented_; }
    bool isPreparingMerge() const { return isPreparingMerge_; }
    bool isDeleteSelectionMode() const { return isDeleteSelectionMode_; }
    QStringList deleteSelectedEventIDs() const;
    int deleteSelectedCount() const { return int(deleteSelectedEventIDs_.size()); }
    bool allEventsSelectedForDeletion() const { return derived_.allEventsSelectedForDeletion; }
    bool isDeletingEvents() const { return isDeletingEvents_; }
    // --- Property writes ---
    void setShowTime(bool value);
    void setCameraFilter(const QString& camera);
    void setCameraFilter(CameraAngle camera);
    void setExportQuality(const QString& quality);
    void setErrorMessage(const QString& message);
    void setSuccessMessage(const QString& message);
    void setExportRangeEnd(double seconds);
    void setShowPhotosPrivacySettings(bool value);
    void setDeleteSelectionMode(bool value);
    // --- For C++ callers and tests ---
    const WatermarkSettings& settings() const { return settings_; }
    const EventsByCategory& eventsByCategory() const { return eventsByCategory_; }
    const std::vector<TeslaClipEvent>& eventsInSelectedCategoryList() const;
    std::optional<TeslaClipEvent> selectedEventValue() const;
    std::optional<TeslaVideoFile> selectedVideoValue() const;
    const std::vector<TeslaVideoFile>& videos() const { return videos_; }
    const std::vector<VideoMergeItem>& mergeItemList() const { return mergeItems_; }
    VideoPreviewController* videoPreview() const { return videoPreview_; }
    MultiCameraPreviewController* multiCameraPreview() const { return multiCameraPreview_; }
    VideoPreviewController* mergePreview() const { return mergePreview_; }

signals:
    void showTimeChanged();
    void cameraFilterChanged();
    void exportQualityChanged();
    void outputDestinationChanged();
    void importModeChanged();
    void isImportingChanged();
    void eventsByCategoryChanged();
    void availableCategoriesChanged();
    void selectedCategoryChanged();
    void selectedEventIDChanged();
    void selectedEventChanged();
    void selectedVideoIDChanged();
    void selectedVideoChanged();
    void selectedTimestampKeyChanged();
    void videosChanged();
    void isLoadingEventChanged();
    void eventLoadTokenChanged();
    void statusMessageChanged();
    void errorMessageChanged();
    void successMessageChanged();
    void exportRangeStartChanged();
    void exportRangeEndChanged();
    void exportRangeMaximumChanged();
    void continuousStepDurationsChanged();
    void continuousPlaylistStepsChanged();
    void isProcessingChanged();
    void jobsChanged();
    void exportStatusMessageChanged();
    void exportIsIndeterminateChanged();
    void exportingFileNameChanged();
    void exportResultChanged();
    void openOutputButtonTitleChanged();
    void showPhotosPrivacySettingsChanged();
    void isMergeSelectionModeChanged();
    void isSegmentMergeSelectionModeChanged();
    void mergeSelectedEventIDsChanged();
    void mergeSelectedTimestampKeysChanged();
    void mergeItemsChanged();
    void mergeCameraAngleChanged();
    void isMergeEditorPresentedChanged();
    void isPreparingMergeChanged();
    void isDeleteSelectionModeChanged();
    void deleteSelectedEventIDsChanged();
    void allEventsSelectedForDeletionChanged();
    void isDeletingEventsChanged();
    // The window should open a folder chooser and answer with setCustomOutputDirectory.
    void outputDirectoryRequested();

private:
    struct ExportTask;
    struct Derived {
        QStringList availableCategories;
        QVariantMap selectedEvent;
        QVariantMap selectedVideo;
        QString openOutputButtonTitle;
        QString exportingFileName;
        double exportRangeMaximum = 0;
        bool allEventsSelectedForDeletion = false;
    };
    class Batch; // MainViewModelPrivate.h

    // MainViewModel.cpp
    void touch();
    // Assigns a field that derived values read; publishes only a real change.
    template <typename T> void update(T& field, T value, void (MainViewModel::*changed)());
    void refreshDerived();
    void refreshModels();
    double activeDuration() const;
    ExportSelection exportSelection() const;
    void setOutputDestination(const OutputDestination& destination);
    void setStatusMessage(const QString& message);
    void setOptionalError(const std::optional<QString>& message);
    void setOptionalSuccess(const std::optional<QString>& message);
    template <typename Work, typename Apply> void runInBackground(QThreadPool* pool, Work work, Apply apply);

    // MainViewModelImport.cpp
    void setImportMode(ImportMode mode);
    void setImporting(bool value);
    void setEventsByCategory(EventsByCategory events);
    void setSelectedCategory(std::optional<ClipCategory> category);
    void setSelectedEventID(std::optional<QUuid> id);
    void setSelectedVideoID(std::optional<QUuid> id);
    void setSelectedTimestampKey(std::optional<QString> key);
    void setVideos(std::vector<TeslaVideoFile> videos);
    void setLoadingEvent(bool value);
    void renewEventLoadToken();
    void setExportRangeStartValue(std::optional<double> value);
    void setExportRangeEndValue(std::optional<double> value);
    void clearContinuousPlaylist();
    void applyImport(const LibraryRules::ImportChoice& choice, const Attempt<EventsByCategory>& scan);
    void loadSelectedEvent(double resumeAt, bool resumePlayback, std::optional<float> playbackRate,
                           bool preservePreview, const std::optional<QString>& preferredVideoURL);
    void applyLoadedVideos(const TeslaClipEvent& event, std::vector<TeslaVideoFile> loaded, double resumeAt,
                           bool resumePlayback, std::optional<float> playbackRate,
                           const std::optional<QString>& preferredVideoURL);
    void loadGridMinute(const std::vector<TeslaVideoFile>& minute,
                        const std::optional<QString>& preferredVideoURL, double resumeAt, bool resumePlayback,
                        std::optional<float> playbackRate);
    void playInSingleView(const VideoSegmentPlaylist& playlist, double resumeAt, bool resumePlayback);
    void loadVideoForPlayback();
    void stopPreviews();
    QVariantMap rangeFeedback(const QString& message, bool isError) const;

    // MainViewModelExport.cpp
    void setProcessing(bool value);
    void setJobs(std::vector<ProcessingJob> jobs);
    void setExportStatusMessage(const QString& message);
    void setExportIndeterminate(bool value);
    void setExportResult(const std::optional<QString>& path, std::optional<OutputDestination> destination,
                         std::optional<Instant> startDate, const ExportTimeline* timeline);
    void beginExportWork(const std::shared_ptr<ExportTask>& task);
    void applyExportUpdate(quint64 taskNumber, const ExportUpdate& update);
    void finishExport(const std::shared_ptr<ExportTask>& task);

    // MainViewModelMerge.cpp
    void setMergeSelectionMode(bool value);
    void setSegmentMergeSelectionMode(bool value);
    void setMergeSelectedEventIDs(std::vector<QUuid> ids);
    void setMergeSelectedTimestampKeys(QStringList keys);
    void setMergeItems(std::vector<VideoMergeItem> items);
    void setMergeCameraAngleValue(CameraAngle camera);
    void setMergeEditorPresented(bool value);
    void setPreparingMerge(bool value);
    // Marks a new preparation as the wanted one (earlier ones' results are then dropped).
    QUuid beginMergePreparation();
    void prepareEventMerge();
    void prepareSegmentMerge();
    VideoMergeItem* findMergeItem(const QString& itemID);

    // MainViewModelDeletion.cpp
    void setDeleteSelectedEventIDs(QSet<QUuid> ids);
    void setDeletingEvents(bool value);
    void removeDeletedEventsFromLibrary(const QSet<QUuid>& ids, ClipCategory category);

    ViewModelServices services_;
    // Scans, loads, measuring and trash moves; exports run on their own pool so a long export
    // never holds up a load.
    QThreadPool* workPool_;
    QThreadPool* exportPool_;
    int batchDepth_ = 0;
    bool derivedDirty_ = false;
    Derived derived_;

    WatermarkSettings settings_;
    ImportMode importMode_ = ImportMode::none;
    bool isImporting_ = false;
    QUuid importToken_;
    EventsByCategory eventsByCategory_;
    std::optional<ClipCategory> selectedCategory_;
    std::optional<QUuid> selectedEventID_;
    std::optional<QUuid> selectedVideoID_;
    std::optional<QString> selectedTimestampKey_;
    std::vector<TeslaVideoFile> videos_;
    quint64 videosVersion_ = 0;
    quint64 groupedVersion_ = ~quint64(0); // the videos the minute list was built from
    std::vector<ProcessingJob> jobs_;
    VideoPreviewController* videoPreview_;
    MultiCameraPreviewController* multiCameraPreview_;
    VideoPreviewController* mergePreview_;
    bool isProcessing_ = false;
    bool isLoadingEvent_ = false;
    QString statusMessage_ = LibraryRules::startMessage;
    std::optional<QString> errorMessage_;
    std::optional<QString> successMessage_;
    std::optional<QString> exportResultPath_;
    std::optional<OutputDestination> exportResultDestination_;
    std::optional<Instant> exportResultStartDate_;
    std::optional<ExportTimeline> exportResultTimeline_;
    bool showPhotosPrivacySettings_ = false;
    bool isMergeSelectionMode_ = false;
    bool isSegmentMergeSelectionMode_ = false;
    std::vector<QUuid> mergeSelectedEventIDs_;
    QStringList mergeSelectedTimestampKeys_;
    std::vector<VideoMergeItem> mergeItems_;
    CameraAngle mergeCameraAngle_ = CameraAngle::front;
    bool isMergeEditorPresented_ = false;
    bool isPreparingMerge_ = false;
    QUuid mergePreparationToken_;
    bool isDeleteSelectionMode_ = false;
    QSet<QUuid> deleteSelectedEventIDs_;
    bool isDeletingEvents_ = false;
    std::shared_ptr<ExportTask> exportTask_;
    quint64 exportTaskCount_ = 0;
    QUuid eventLoadToken_ = QUuid::createUuid();
    std::vector<double> continuousStepDurations_;
    std::vector<PlaybackStep> continuousPlaylistSteps_;
    std::optional<double> exportRangeStart_;
    std::optional<double> exportRangeEnd_;
    QString exportStatusMessage_ = QStringLiteral("正在导出视频");
    bool exportIsIndeterminate_ = false;
    EventListModel* eventsModel_;
    DatedEventSectionModel* sectionsModel_;
    VideoGroupListModel* groupsModel_;
    MergeItemListModel* mergeItemsModel_;
};

} // namespace orvane
