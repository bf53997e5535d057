#pragma once
// Exporting what the preview or the merge editor shows: the export settings (quality, where the
// file goes), one cancellable export at a time with its phase texts and progress, and the result
// the result page shows. Interface thread only; the export runs on the application's export
// pool, and an export a newer one replaced never changes the state again.

#include "ExportJobRunner.h"
#include "ExportServices.h"
#include "ExportTimeline.h"
#include "LatestRequest.h"
#include "ProcessingJob.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QObject>
#include <QUrl>
#include <QVariant>
#include <QtQml/qqmlregistration.h>
#include <memory>
#include <optional>
#include <vector>

namespace orvane {

class AppMessages;
class MergeViewModel;
class PreviewViewModel;
struct ExportSelection;
struct TeslaClipEvent;

class ExportViewModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The application's MainViewModel owns the export")
    // Settings: "original"/"balanced" with the picker's description; where files go, the option
    // the picker shows ("photosLibrary"/"custom"), the folder ("" for the library) and its
    // readable form ("系统相册" for the library).
    Q_PROPERTY(QString exportQuality READ exportQuality WRITE setExportQuality NOTIFY exportQualityChanged)
    Q_PROPERTY(QString exportQualityDescription READ exportQualityDescription NOTIFY exportQualityChanged)
    // The preview's dashboard drawn into exported frames (off by default).
    Q_PROPERTY(bool showDashboard READ showDashboard WRITE setShowDashboard NOTIFY showDashboardChanged)
    // "隐去位置": incident reports leave out the place, coordinates and route.
    Q_PROPERTY(
        bool reportHidesPlace READ reportHidesPlace WRITE setReportHidesPlace NOTIFY reportHidesPlaceChanged)
    Q_PROPERTY(int exportSpeed READ exportSpeed WRITE setExportSpeed NOTIFY exportSpeedChanged)
    // The route map with the car drawn into exported frames.
    Q_PROPERTY(bool showMap READ showMap WRITE setShowMap NOTIFY showMapChanged)
    Q_PROPERTY(Destination outputDestination READ outputDestination NOTIFY outputDestinationChanged)
    Q_PROPERTY(QString outputLocationOption READ outputLocationOption NOTIFY outputDestinationChanged)
    Q_PROPERTY(QString outputFolder READ outputFolder NOTIFY outputDestinationChanged)
    Q_PROPERTY(QString outputFolderDisplayPath READ outputFolderDisplayPath NOTIFY outputDestinationChanged)
    // What "系统相册" is on this desktop: the Pictures folder, and where it is.
    Q_PROPERTY(QString photosLibraryHint READ photosLibraryHint CONSTANT)
    // The running export, for its overlay.
    Q_PROPERTY(bool isProcessing READ isProcessing NOTIFY isProcessingChanged)
    Q_PROPERTY(QString exportingFileName READ exportingFileName NOTIFY isProcessingChanged)
    Q_PROPERTY(double exportProgress READ exportProgress NOTIFY jobsChanged)
    Q_PROPERTY(QString exportTimeLeft READ exportTimeLeft NOTIFY jobsChanged)
    Q_PROPERTY(QString exportStatusMessage READ exportStatusMessage NOTIFY exportStatusMessageChanged)
    Q_PROPERTY(bool exportIsIndeterminate READ exportIsIndeterminate NOTIFY exportIsIndeterminateChanged)
    // The last export's result: the delivered file, where it went, the recording time of its
    // first frame (NaN when unknown) and its ExportTimeline, for the result page.
    Q_PROPERTY(QUrl exportResultURL READ exportResultURL NOTIFY exportResultChanged)
    Q_PROPERTY(Destination exportResultDestination READ exportResultDestination NOTIFY exportResultChanged)
    Q_PROPERTY(double exportResultStartDate READ exportResultStartDate NOTIFY exportResultChanged)
    Q_PROPERTY(QVariant exportResultTimeline READ exportResultTimeline NOTIFY exportResultChanged)
    // What the user should know about the result, a line each (footage left out or cut short).
    Q_PROPERTY(QStringList exportResultNotes READ exportResultNotes NOTIFY exportResultChanged)
    Q_PROPERTY(QString openOutputButtonTitle READ openOutputButtonTitle NOTIFY openOutputButtonTitleChanged)
    // The error alert offers the photo library's settings.
    Q_PROPERTY(bool showPhotosPrivacySettings READ showPhotosPrivacySettings WRITE
                   setShowPhotosPrivacySettings NOTIFY showPhotosPrivacySettingsChanged)

public:
    // Where an exported file goes: a folder, or the photo library (the Pictures folder).
    enum class Destination { Folder, PhotosLibrary };
    Q_ENUM(Destination)

    ExportViewModel(const ExportServices& services, AppMessages& messages, PreviewViewModel& preview,
                    MergeViewModel& merge, QObject* parent = nullptr);
    ~ExportViewModel() override;

    // --- Output location ---
    // "photosLibrary" or "custom"; custom on a folder asks the window for a folder
    // (outputDirectoryRequested), which answers with setCustomOutputDirectory.
    Q_INVOKABLE void selectOutputLocation(const QString& option);
    Q_INVOKABLE void setCustomOutputDirectory(const QUrl& folder);
    void setCustomOutputDirectoryPath(const QString& folder);
    void usePhotosLibraryOutput();
    void resetOutputDestinationToDefault();

    // --- Export ---
    // Exports the preview's minute or range, or the merge editor's splice while it is open.
    Q_INVOKABLE void startProcessing();
    // Exports the chosen camera, or the grid, from the preview's aroundEventBefore seconds before
    // the open event's moment to its aroundEventAfter seconds after it, across minutes. The minutes are
    // measured on the file pool first.
    Q_INVOKABLE void startAroundEventExport();
    // Plain copies of the open event's encrypted clips (unlocked this session) into the export
    // folder, with the export's progress and cancel; the result page shows the first.
    Q_INVOKABLE void saveDecryptedCopies();
    // The open event's incident report (PDF) at recording time `at` (NaN: the moment the car saved
    // the event) into the export folder, with the export's progress and cancel; opens it when done.
    void writeIncidentReport(double at);
    Q_INVOKABLE void cancelExport();
    // Whether the running export reads footage from under `folder`.
    bool readsFrom(const QString& folder) const;
    // Cancels the running export, which then fails with `reason` (its drive was removed, say).
    void stopExport(const QString& reason);
    // Cancels a running export and waits (bounded) until its temporary files are gone.
    void shutdown();

    // --- The result ---
    Q_INVOKABLE void revealOutputLocation();
    Q_INVOKABLE void openPhotosPrivacySettings();
    Q_INVOKABLE void clearExportResult();

    // --- Reads ---
    const WatermarkSettings& settings() const { return settings_; }
    QString exportQuality() const;
    QString exportQualityDescription() const;
    bool showDashboard() const { return settings_.showDashboard; }
    bool reportHidesPlace() const { return reportHidesPlace_; }
    // The timelapse speed of the next export (1: real time); values outside exportSpeeds are ignored.
    int exportSpeed() const { return settings_.speed; }
    void setExportSpeed(int speed);
    bool showMap() const { return settings_.showMap; }
    Destination outputDestination() const;
    QString outputLocationOption() const;
    QString outputFolder() const { return settings_.outputDestination.folder; }
    QString outputFolderDisplayPath() const;
    QString photosLibraryHint() const;
    // The folder exported files go to (the Pictures folder for the photo library), and whether
    // it may still have to be made (the default folder of a fresh account).
    QString outputFolderPath() const;
    bool createsOutputFolder() const;
    bool isProcessing() const { return isProcessing_; }
    QString exportingFileName() const;
    const std::vector<ProcessingJob>& jobs() const { return jobs_; }
    double exportProgress() const { return jobs_.empty() ? 0 : jobs_.front().progress; }
    // "剩余约 m:ss" once the pace of the running export says it; empty otherwise.
    QString exportTimeLeft() const;
    QString exportStatusMessage() const { return exportStatusMessage_; }
    bool exportIsIndeterminate() const { return exportIsIndeterminate_; }
    bool hasExportResult() const { return result_.has_value(); }
    std::optional<QString> exportResultPath() const {
        return result_ ? std::optional(result_->path) : std::nullopt;
    }
    QUrl exportResultURL() const;
    Destination exportResultDestination() const;
    double exportResultStartDate() const;
    QVariant exportResultTimeline() const;
    QStringList exportResultNotes() const { return result_ ? result_->notes : QStringList(); }
    QString openOutputButtonTitle() const { return openOutputButtonTitle_; }
    bool showPhotosPrivacySettings() const { return showPhotosPrivacySettings_; }
    // What the user has chosen to export now.
    ExportSelection selection() const;

    void setExportQuality(const QString& quality);
    void setShowDashboard(bool show);
    void setReportHidesPlace(bool hide);
    void setShowMap(bool show);
    // The tile address template the preview's map uses, for the map burned into exports.
    void setMapTiles(const QString& address) { settings_.mapTiles = address; }
    void setShowPhotosPrivacySettings(bool value);

signals:
    void exportQualityChanged();
    void showDashboardChanged();
    void reportHidesPlaceChanged();
    void exportSpeedChanged();
    void showMapChanged();
    void outputDestinationChanged();
    void isProcessingChanged();
    void jobsChanged();
    void exportStatusMessageChanged();
    void exportIsIndeterminateChanged();
    void exportResultChanged();
    void openOutputButtonTitleChanged();
    void showPhotosPrivacySettingsChanged();
    // The window should open a folder chooser and answer with setCustomOutputDirectory.
    void outputDirectoryRequested();

private:
    struct Task;
    struct Result {
        QString path;
        OutputDestination destination;
        std::optional<Instant> startDate;
        ExportTimeline timeline;
        QStringList notes;
    };

    void startPlan(const ExportSelection& current, const ExportPlan& plan, const QString& exportingFileName);
    void startTask(const std::shared_ptr<Task>& task, const TeslaVideoFile& primaryVideo);
    void beginExportWork(const std::shared_ptr<Task>& task);
    void applyExportUpdate(LatestRequest::Ticket ticket, const ExportUpdate& update);
    void finishExport(const std::shared_ptr<Task>& task);
    void showReport(const QString& path);
    // A job that replaces whatever runs (its ticket, name and destination set).
    std::shared_ptr<Task> newTask(const QString& exportingFileName);
    // A job over the open event's folder (not an export of a plan), its output in the export folder.
    std::shared_ptr<Task> eventFolderTask(const TeslaClipEvent& event, const QString& exportingFileName);
    void setOutputDestination(const OutputDestination& destination);
    void setProcessing(bool value);
    void setJobs(std::vector<ProcessingJob> jobs);
    void setExportStatusMessage(const QString& message);
    void setExportIndeterminate(bool value);
    void setExportResult(std::optional<Result> result);
    void refreshOpenOutputButtonTitle();
    void openFolder(const QString& folder);

    ExportServices services_;
    AppMessages& messages_;
    PreviewViewModel& preview_;
    MergeViewModel& merge_;
    WatermarkSettings settings_;
    LatestRequest exports_;
    std::shared_ptr<Task> task_;
    bool isProcessing_ = false;
    bool reportHidesPlace_ = false;
    std::vector<ProcessingJob> jobs_;
    // When the running export first reported progress, and that progress: its pace since.
    QElapsedTimer paceClock_;
    double paceFrom_ = 0;
    QString exportStatusMessage_ = QCoreApplication::translate("ExportViewModel", "正在导出视频");
    bool exportIsIndeterminate_ = false;
    std::optional<Result> result_;
    QString openOutputButtonTitle_;
    bool showPhotosPrivacySettings_ = false;
    LatestRequest aroundEventMeasure_;
};

} // namespace orvane
