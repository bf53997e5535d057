// Export orchestration: the plan of the current selection, one cancellable export task at a
// time, its phase texts and progress, and the result the result page shows.

#include "ExportOrchestration.h"
#include "MainViewModelPrivate.h"
#include "MultiCameraPreviewController.h"
#include "ObservableField.h"
#include "PhotosLibraryExporter.h"
#include "VideoPreviewController.h"

#include <QCoreApplication>
#include <QDir>
#include <QTimer>

#include <cmath>

namespace orvane {

// One export from start to end. Only the task held in exportTask_ may change the state; an
// older task that ends later leaves it alone.
struct MainViewModel::ExportTask {
    quint64 number = 0;
    CancellationToken cancel;
    ExportJobRequest request;
    QString exportingFileName;
    std::optional<ExportJobOutcome> outcome; // none when it was cancelled before it started
};

namespace {
const QString stagingPrefix = QStringLiteral("orvane-export-");
const QString cancelledStatus = QStringLiteral("已取消导出");
const QString failedStatus = QStringLiteral("导出失败");

QString stagingFolder() {
    return QDir(QDir::tempPath())
        .filePath(stagingPrefix + QUuid::createUuid().toString(QUuid::WithoutBraces));
}

bool sameJobs(const std::vector<ProcessingJob>& a, const std::vector<ProcessingJob>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const ProcessingJob& x, const ProcessingJob& y) {
                          return x.id == y.id && x.status == y.status && x.progress == y.progress &&
                                 x.outputURL == y.outputURL;
                      });
}
} // namespace

// --- Field writes ---

void MainViewModel::setProcessing(bool value) {
    assignAndNotify(isProcessing_, value, this, &MainViewModel::isProcessingChanged);
}

void MainViewModel::setJobs(std::vector<ProcessingJob> jobs) {
    if (sameJobs(jobs, jobs_))
        return;
    jobs_ = std::move(jobs);
    emit jobsChanged();
    touch();
}

void MainViewModel::setExportStatusMessage(const QString& message) {
    assignAndNotify(exportStatusMessage_, message, this, &MainViewModel::exportStatusMessageChanged);
}

void MainViewModel::setExportIndeterminate(bool value) {
    assignAndNotify(exportIsIndeterminate_, value, this, &MainViewModel::exportIsIndeterminateChanged);
}

void MainViewModel::setShowPhotosPrivacySettings(bool value) {
    assignAndNotify(showPhotosPrivacySettings_, value, this,
                    &MainViewModel::showPhotosPrivacySettingsChanged);
}

void MainViewModel::setExportResult(const std::optional<QString>& path,
                                    std::optional<OutputDestination> destination,
                                    std::optional<Instant> startDate, const ExportTimeline* timeline) {
    const std::optional<ExportTimeline> timelineValue = timeline ? std::optional(*timeline) : std::nullopt;
    const bool sameTimeline = timelineValue.has_value() == exportResultTimeline_.has_value() &&
                              (!timelineValue || timelineValue->pieces() == exportResultTimeline_->pieces());
    if (path == exportResultPath_ && destination == exportResultDestination_ &&
        startDate == exportResultStartDate_ && sameTimeline)
        return;
    exportResultPath_ = path;
    exportResultDestination_ = destination;
    exportResultStartDate_ = startDate;
    exportResultTimeline_ = timelineValue;
    emit exportResultChanged();
    touch();
}

// --- Reads ---

QVariantList MainViewModel::jobs() const {
    QVariantList list;
    for (const ProcessingJob& job : jobs_)
        list << QVariantMap{{QStringLiteral("jobID"), job.id.toString(QUuid::WithoutBraces)},
                            {QStringLiteral("fileName"), job.video.fileName},
                            {QStringLiteral("outputURL"), job.outputURL},
                            {QStringLiteral("status"), job.status.rawValue()},
                            {QStringLiteral("failureMessage"), job.status.message},
                            {QStringLiteral("progress"), job.progress}};
    return list;
}

QUrl MainViewModel::exportResultURL() const {
    return exportResultPath_ ? QUrl::fromLocalFile(*exportResultPath_) : QUrl();
}

QString MainViewModel::exportResultDestination() const {
    if (!exportResultDestination_)
        return {};
    return exportResultDestination_->isFolder() ? QStringLiteral("folder") : QStringLiteral("photosLibrary");
}

double MainViewModel::exportResultStartDate() const {
    return exportResultStartDate_.value_or(NAN);
}

QVariant MainViewModel::exportResultTimeline() const {
    return exportResultTimeline_ ? QVariant::fromValue(*exportResultTimeline_) : QVariant();
}

// --- Starting and ending ---

void MainViewModel::startProcessing() {
    const Batch batch(*this);
    const ExportSelection selection = exportSelection();
    const ExportPlan plan = ExportOrchestration::buildExportPlan(selection);
    if (plan.isEmpty()) {
        setOptionalError(ExportOrchestration::emptyPlanMessage(selection));
        return;
    }
    if (exportTask_)
        exportTask_->cancel.cancel();
    if (videoPreview_->isPlaying())
        videoPreview_->togglePlayPause();
    if (multiCameraPreview_->isPlaying())
        multiCameraPreview_->togglePlayPause();

    setProcessing(true);
    setOptionalError(std::nullopt);
    setOptionalSuccess(std::nullopt);
    setExportResult(std::nullopt, std::nullopt, std::nullopt, nullptr);
    setShowPhotosPrivacySettings(false);
    setExportIndeterminate(true);
    setExportStatusMessage(ExportJobRunner::preparingMessage);

    auto task = std::make_shared<ExportTask>();
    task->number = ++exportTaskCount_;
    task->exportingFileName = ExportOrchestration::exportingFileName(selection);
    task->request.plan = plan;
    task->request.destination = settings_.outputDestination;
    task->request.settings = settings_;
    task->request.outputPath =
        ExportOrchestration::outputPath(plan, task->request.destination, task->exportingFileName, stagingFolder());
    setJobs({ProcessingJob{QUuid::createUuid(), plan.primaryVideo(), task->request.outputPath, {}, 0}});
    exportTask_ = task;
    QTimer::singleShot(services_.exportStartDelayMilliseconds, this, [this, task] { beginExportWork(task); });
}

void MainViewModel::beginExportWork(const std::shared_ptr<ExportTask>& task) {
    if (task->cancel.isCancelled()) {
        finishExport(task);
        return;
    }
    const QPointer<MainViewModel> self(this);
    const quint64 number = task->number;
    // Reports travel through the application object, which outlives this one.
    auto report = [self, number](const ExportUpdate& update) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, number, update] {
                if (self)
                    self->applyExportUpdate(number, update);
            },
            Qt::QueuedConnection);
    };
    QFuture<ExportJobOutcome> work = QtConcurrent::run(
        exportPool_, [engine = services_.exportEngine, request = task->request, cancel = task->cancel,
                      report] { return ExportJobRunner::run(request, engine, cancel, report); });
    work.then(this, [this, task](const ExportJobOutcome& outcome) {
        task->outcome = outcome;
        finishExport(task);
    });
}

void MainViewModel::applyExportUpdate(quint64 taskNumber, const ExportUpdate& update) {
    if (!exportTask_ || exportTask_->number != taskNumber || jobs_.empty())
        return; // an export that a newer one replaced
    const Batch batch(*this);
    if (update.message)
        setExportStatusMessage(*update.message);
    if (update.indeterminate)
        setExportIndeterminate(*update.indeterminate);
    std::vector<ProcessingJob> jobs = jobs_;
    if (update.progress)
        jobs.front().progress = *update.progress;
    if (update.status)
        jobs.front().status = *update.status;
    setJobs(std::move(jobs));
}

void MainViewModel::finishExport(const std::shared_ptr<ExportTask>& task) {
    if (task != exportTask_)
        return; // a newer export owns the state now
    const Batch batch(*this);
    setProcessing(false);
    exportTask_.reset();
    const ExportJobOutcome outcome =
        task->outcome.value_or(ExportJobOutcome{{ProcessingStatus::Kind::cancelled, {}}, {}, {}, {}, false});
    const bool toLibrary = !task->request.destination.isFolder();
    switch (outcome.status.kind) {
    case ProcessingStatus::Kind::completed:
        setExportResult(outcome.deliveredPath, task->request.destination, outcome.startDate,
                        &outcome.timeline);
        setStatusMessage((toLibrary ? QStringLiteral("已保存到相册：") : QStringLiteral("导出完成：")) +
                         task->exportingFileName);
        setOptionalSuccess(toLibrary ? QStringLiteral("视频已成功保存到系统相册")
                                     : QStringLiteral("视频已成功导出"));
        break;
    case ProcessingStatus::Kind::cancelled:
        setStatusMessage(cancelledStatus);
        break;
    case ProcessingStatus::Kind::failed:
        setOptionalError(outcome.status.message);
        setStatusMessage(failedStatus);
        setShowPhotosPrivacySettings(outcome.showPhotosPrivacySettings);
        break;
    default:
        setStatusMessage(task->cancel.isCancelled() ? cancelledStatus : failedStatus);
    }
    setJobs({});
}

void MainViewModel::cancelExport() {
    if (exportTask_)
        exportTask_->cancel.cancel();
}

void MainViewModel::shutdown() {
    cancelExport();
    // Each cancelled export removes its temporary files before its work returns.
    exportPool_->waitForDone(services_.shutdownWaitMilliseconds);
}

// --- The result ---

void MainViewModel::revealOutputLocation() {
    const OutputDestination destination = exportResultDestination_.value_or(settings_.outputDestination);
    const QString folder =
        destination.isFolder() ? destination.folder : PhotosLibraryExporter::libraryFolder();
    services_.openUrl(QUrl::fromLocalFile(folder));
}

void MainViewModel::openPhotosPrivacySettings() {
    services_.openUrl(QUrl::fromLocalFile(PhotosLibraryExporter::libraryFolder()));
}

void MainViewModel::clearExportResult() {
    setExportResult(std::nullopt, std::nullopt, std::nullopt, nullptr);
}

} // namespace orvane
