#include "ExportViewModel.h"

#include "AppMessages.h"
#include "AppPools.h"
#include "ExportOrchestration.h"
#include "ExportPlanner.h"
#include "FileName.h"
#include "LibraryRules.h"
#include "MergeViewModel.h"
#include "ObservableField.h"
#include "OwnedFiles.h"
#include "PhotosLibraryExporter.h"
#include "PreviewViewModel.h"
#include "TeslaClipEvent.h"
#include "TranslatedText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <cmath>

namespace orvane {

// One export from start to end.
struct ExportViewModel::Task {
    LatestRequest::Ticket ticket = 0;
    CancellationToken cancel;
    ExportJobRequest request;
    QString exportingFileName;
    std::optional<ExportJobOutcome> outcome; // none when it was cancelled before it started
    // Work other than an export of the plan (saving decrypted copies); runs in its place.
    std::function<ExportJobOutcome(const CancellationToken&, const ExportJobRunner::Reporter&)> work;
    QString workFolder; // the event folder `work` reads
    // Why it was stopped, said in place of the cancellation or of a read that then failed.
    std::optional<QString> stopReason;
    // What a completed job delivered is a document, opened rather than shown on the result page.
    bool deliversDocument = false;
};

namespace {
constexpr TranslatedText cancelledStatus{"ExportViewModel",
                                         QT_TRANSLATE_NOOP("ExportViewModel", "已取消导出")};
constexpr TranslatedText failedStatus{"ExportViewModel", QT_TRANSLATE_NOOP("ExportViewModel", "导出失败")};

bool sameJobs(const std::vector<ProcessingJob>& a, const std::vector<ProcessingJob>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const ProcessingJob& x, const ProcessingJob& y) {
                          return x.id == y.id && x.status == y.status && x.progress == y.progress &&
                                 x.outputURL == y.outputURL;
                      });
}
} // namespace

ExportViewModel::ExportViewModel(const ExportServices& services, AppMessages& messages,
                                 PreviewViewModel& preview, MergeViewModel& merge, QObject* parent)
    : QObject(parent), services_(services), messages_(messages), preview_(preview), merge_(merge) {
    refreshOpenOutputButtonTitle();
}

ExportViewModel::~ExportViewModel() {
    shutdown();
}

// --- Settings and output location ---

QString ExportViewModel::exportQuality() const {
    return Quality::rawValue(settings_.exportQuality);
}

QString ExportViewModel::exportQualityDescription() const {
    return Quality::description(settings_.exportQuality);
}

void ExportViewModel::setExportQuality(const QString& quality) {
    const auto parsed = Quality::fromRawValue(quality);
    if (!parsed || *parsed == settings_.exportQuality)
        return;
    settings_.exportQuality = *parsed;
    emit exportQualityChanged();
}

void ExportViewModel::setShowDashboard(bool show) {
    if (show == settings_.showDashboard)
        return;
    settings_.showDashboard = show;
    emit showDashboardChanged();
}

void ExportViewModel::setReportHidesPlace(bool hide) {
    if (hide == reportHidesPlace_)
        return;
    reportHidesPlace_ = hide;
    emit reportHidesPlaceChanged();
}

void ExportViewModel::setExportSpeed(int speed) {
    if (speed == settings_.speed ||
        std::find(exportSpeeds.begin(), exportSpeeds.end(), speed) == exportSpeeds.end())
        return;
    settings_.speed = speed;
    emit exportSpeedChanged();
}

void ExportViewModel::setShowMap(bool show) {
    if (show == settings_.showMap)
        return;
    settings_.showMap = show;
    emit showMapChanged();
}

ExportViewModel::Destination ExportViewModel::outputDestination() const {
    return settings_.outputDestination.isFolder() ? Destination::Folder : Destination::PhotosLibrary;
}

QString ExportViewModel::outputLocationOption() const {
    return OutputLocation::rawValue(settings_.outputDestination.isFolder()
                                        ? OutputLocationOption::custom
                                        : OutputLocationOption::photosLibrary);
}

QString ExportViewModel::outputFolderDisplayPath() const {
    return settings_.outputDestination.isFolder()
               ? localizedFolderPath(settings_.outputDestination.folder)
               : QCoreApplication::translate("ExportViewModel", "系统相册");
}

QString ExportViewModel::photosLibraryHint() const {
    return QCoreApplication::translate("ExportViewModel", "即“图片”文件夹：") +
           localizedFolderPath(PhotosLibraryExporter::libraryFolder());
}

QString ExportViewModel::outputFolderPath() const {
    const OutputDestination& destination = settings_.outputDestination;
    return destination.isFolder() ? destination.folder : PhotosLibraryExporter::libraryFolder();
}

bool ExportViewModel::createsOutputFolder() const {
    return settings_.outputDestination == OutputDestination::defaultDestination();
}

void ExportViewModel::setOutputDestination(const OutputDestination& destination) {
    if (settings_.outputDestination == destination)
        return;
    settings_.outputDestination = destination;
    emit outputDestinationChanged();
    refreshOpenOutputButtonTitle();
}

void ExportViewModel::selectOutputLocation(const QString& option) {
    const auto parsed = OutputLocation::fromRawValue(option);
    if (parsed == OutputLocationOption::photosLibrary)
        usePhotosLibraryOutput();
    else if (parsed == OutputLocationOption::custom && !settings_.outputDestination.isFolder())
        resetOutputDestinationToDefault();
    else if (parsed == OutputLocationOption::custom)
        emit outputDirectoryRequested();
}

void ExportViewModel::usePhotosLibraryOutput() {
    setOutputDestination(OutputDestination::photosLibrary());
    messages_.setStatus(LibraryRules::photosLibraryStatus());
}

void ExportViewModel::setCustomOutputDirectory(const QUrl& folder) {
    setCustomOutputDirectoryPath(FileName::fromUrl(folder));
}

void ExportViewModel::setCustomOutputDirectoryPath(const QString& folder) {
    if (folder.isEmpty())
        return;
    setOutputDestination(OutputDestination::inFolder(QDir::cleanPath(folder)));
    messages_.setStatus(LibraryRules::outputDirectoryStatus(settings_.outputDestination));
}

void ExportViewModel::resetOutputDestinationToDefault() {
    setOutputDestination(OutputDestination::defaultDestination());
    messages_.setStatus(LibraryRules::outputDirectoryStatus(settings_.outputDestination));
}

// --- Reads ---

ExportSelection ExportViewModel::selection() const {
    ExportSelection s;
    s.cameraFilter = preview_.cameraFilterValue();
    s.videos = preview_.videos();
    s.selectedVideo = preview_.selectedVideo();
    s.selectedTimestampKey = preview_.selectedTimestampKey();
    s.selectedEvent = preview_.selectedEvent();
    s.continuousPlaylistSteps = preview_.continuousPlaylistSteps();
    s.continuousStepDurations = preview_.continuousStepDurations();
    s.rangeStart = preview_.exportRangeStart();
    s.rangeEnd = preview_.exportRangeEnd();
    s.isMergeEditorPresented = merge_.isMergeEditorPresented();
    s.mergeItems = merge_.mergeItems();
    s.mergeCameraAngle = merge_.mergeCameraAngleValue();
    s.multiCameraDuration = preview_.multiCameraPreview()->duration();
    return s;
}

QString ExportViewModel::exportingFileName() const {
    return task_ ? FileName::display(task_->exportingFileName) : QString();
}

QUrl ExportViewModel::exportResultURL() const {
    return result_ ? FileName::toUrl(result_->path) : QUrl();
}

ExportViewModel::Destination ExportViewModel::exportResultDestination() const {
    return result_ && !result_->destination.isFolder() ? Destination::PhotosLibrary : Destination::Folder;
}

double ExportViewModel::exportResultStartDate() const {
    return result_ && result_->startDate ? *result_->startDate : NAN;
}

QVariant ExportViewModel::exportResultTimeline() const {
    return result_ ? QVariant::fromValue(result_->timeline) : QVariant();
}

void ExportViewModel::refreshOpenOutputButtonTitle() {
    const QString title = LibraryRules::openOutputButtonTitle(
        result_ ? std::optional(result_->destination) : std::nullopt, settings_.outputDestination);
    assignAndNotify(openOutputButtonTitle_, title, this, &ExportViewModel::openOutputButtonTitleChanged);
}

// --- Starting and ending ---

void ExportViewModel::startProcessing() {
    ExportSelection current = selection();
    const ExportPlan plan = ExportOrchestration::buildExportPlan(current);
    if (plan.isEmpty()) {
        messages_.setError(ExportOrchestration::emptyPlanMessage(current));
        return;
    }
    startPlan(current, plan, ExportOrchestration::exportingFileName(current));
}

void ExportViewModel::startAroundEventExport() {
    const ExportSelection current = selection();
    const auto moment = preview_.eventMoment();
    if (!moment || !current.selectedEvent || current.videos.empty()) {
        messages_.setError(QCoreApplication::translate("ExportViewModel", "这个事件没有记录事件时刻"));
        return;
    }
    const ExportRequest request = ExportOrchestration::aroundEventRequest(current);
    const double before = preview_.aroundEventBefore(), after = preview_.aroundEventAfter();
    using Measured = std::pair<VideoSegmentPlaylist, std::vector<double>>;
    aroundEventMeasure_.run(
        AppPools::files(), this,
        [request] {
            VideoSegmentPlaylist playlist = ExportPlanner::playlist(request);
            std::vector<double> durations = VideoSegmentPlaylist::loadStepDurations(playlist.steps);
            return Measured{std::move(playlist), std::move(durations)};
        },
        [this, current, request, moment, before, after](const Measured& measured) {
            const auto& [playlist, durations] = measured;
            const auto range = ExportPlanner::rangeAround(playlist.steps, durations, *moment, before, after);
            ExportRequest ranged = request;
            ranged.rangeStart = range ? std::optional(range->first) : std::nullopt;
            ranged.rangeEnd = range ? std::optional(range->second) : std::nullopt;
            const ExportPlan plan =
                range ? ExportPlanner::plan(ranged, playlist.steps, durations) : ExportPlan{};
            if (plan.isEmpty()) {
                messages_.setError(
                    QCoreApplication::translate("ExportViewModel", "事件时刻前后没有可导出的录像"));
                return;
            }
            startPlan(current, plan,
                      ExportOrchestration::aroundEventFileName(*current.selectedEvent, current.cameraFilter,
                                                               *moment - before, *moment + after));
        });
}

void ExportViewModel::startPlan(const ExportSelection& current, const ExportPlan& plan,
                                const QString& exportingFileName) {
    auto task = newTask(exportingFileName);
    task->request.plan = plan;
    task->request.settings = settings_;
    task->request.settings.cameraFilter = current.cameraFilter;
    task->request.settings.speedUnit = DashboardReadout::speedUnitFromRawValue(preview_.speedUnit());
    task->request.outputPath =
        ExportOrchestration::outputPath(plan, task->request.destination, task->exportingFileName,
                                        OwnedFiles::temporaryPath(OwnedFiles::stagingFolderPrefix));
    startTask(task, plan.primaryVideo());
}

std::shared_ptr<ExportViewModel::Task> ExportViewModel::newTask(const QString& exportingFileName) {
    // One job at a time: whatever runs gives way, and the picture stops for the overlay.
    if (task_)
        task_->cancel.cancel();
    preview_.pausePlayers();
    auto task = std::make_shared<Task>();
    task->ticket = exports_.start();
    task->exportingFileName = exportingFileName;
    task->request.destination = settings_.outputDestination;
    return task;
}

std::shared_ptr<ExportViewModel::Task> ExportViewModel::eventFolderTask(const TeslaClipEvent& event,
                                                                        const QString& exportingFileName) {
    auto task = newTask(exportingFileName);
    task->request.outputPath = outputFolderPath();
    task->workFolder = event.folderURL;
    return task;
}

void ExportViewModel::saveDecryptedCopies() {
    const auto event = preview_.selectedEvent();
    if (!event)
        return;
    if (!settings_.outputDestination.isFolder()) {
        messages_.setError(QCoreApplication::translate(
            "ExportViewModel", "解密副本只能保存到文件夹：请先把导出位置设为一个文件夹"));
        return;
    }
    auto task = eventFolderTask(*event, event->folderName);
    task->work = [folder = event->folderURL, outDir = outputFolderPath(), create = createsOutputFolder()](
                     const CancellationToken& cancel, const ExportJobRunner::Reporter& report) {
        if (create)
            QDir().mkpath(outDir);
        return ExportJobRunner::saveDecryptedCopies(folder, outDir, cancel, report);
    };
    startTask(task, {});
}

void ExportViewModel::writeIncidentReport(double at) {
    const auto event = preview_.selectedEvent();
    if (!event)
        return;
    IncidentReportRequest request;
    request.eventFolders = {event->folderURL};
    if (std::isfinite(at))
        request.at = at;
    request.hidePlace = reportHidesPlace_;
    request.speedUnit = DashboardReadout::speedUnitFromRawValue(preview_.speedUnit());
    const QString fileName = event->folderName + QStringLiteral("_report.pdf");
    auto task = eventFolderTask(*event, fileName);
    task->deliversDocument = true;
    task->work = [request, outDir = outputFolderPath(), fileName](const CancellationToken& cancel,
                                                                  const ExportJobRunner::Reporter& report) {
        return ExportJobRunner::writeIncidentReport(request, outDir, fileName, cancel, report);
    };
    startTask(task, {});
}

void ExportViewModel::showReport(const QString& path) {
    const QString saved = QCoreApplication::translate("ExportViewModel", "事故报告已保存：");
    messages_.setStatus(saved + QFileInfo(path).fileName());
    // A desktop without a PDF viewer still has the file: the user is told where it is.
    messages_.setSuccess(services_.openUrl(FileName::toUrl(path))
                             ? QCoreApplication::translate("ExportViewModel", "事故报告已生成")
                             : saved + FileName::display(path));
}

void ExportViewModel::startTask(const std::shared_ptr<Task>& task, const TeslaVideoFile& primaryVideo) {
    task_ = task;
    paceClock_.invalidate();
    setProcessing(true);
    messages_.setError(std::nullopt);
    messages_.setSuccess(std::nullopt);
    setExportResult(std::nullopt);
    setShowPhotosPrivacySettings(false);
    setExportIndeterminate(true);
    setExportStatusMessage(ExportJobRunner::preparingMessage);
    setJobs({ProcessingJob{QUuid::createUuid(), primaryVideo, task->request.outputPath, {}, 0}});
    QTimer::singleShot(services_.exportStartDelayMilliseconds, this, [this, task] { beginExportWork(task); });
}

void ExportViewModel::beginExportWork(const std::shared_ptr<Task>& task) {
    if (task->cancel.isCancelled()) {
        finishExport(task);
        return;
    }
    const QPointer<ExportViewModel> self(this);
    const LatestRequest::Ticket ticket = task->ticket;
    // Reports travel through the application object, which outlives this one.
    auto report = [self, ticket](const ExportUpdate& update) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [self, ticket, update] {
                if (self)
                    self->applyExportUpdate(ticket, update);
            },
            Qt::QueuedConnection);
    };
    exports_.runAs(
        ticket, AppPools::exports(), this,
        [engine = services_.exportEngine, request = task->request, cancel = task->cancel, report,
         work = task->work] {
            return work ? work(cancel, report) : ExportJobRunner::run(request, engine, cancel, report);
        },
        [this, task](const ExportJobOutcome& outcome) {
            task->outcome = outcome;
            finishExport(task);
        });
}

QString ExportViewModel::exportTimeLeft() const {
    if (jobs_.empty() || !paceClock_.isValid())
        return {};
    return ExportJobRunner::timeLeftText(
        ExportJobRunner::secondsLeft(double(paceClock_.elapsed()) / 1000, paceFrom_, jobs_.front().progress));
}

void ExportViewModel::applyExportUpdate(LatestRequest::Ticket ticket, const ExportUpdate& update) {
    if (!exports_.isLatest(ticket) || jobs_.empty())
        return; // an export that a newer one replaced
    if (update.message)
        setExportStatusMessage(*update.message);
    if (update.indeterminate)
        setExportIndeterminate(*update.indeterminate);
    std::vector<ProcessingJob> jobs = jobs_;
    if (update.progress && !paceClock_.isValid()) {
        paceClock_.start();
        paceFrom_ = *update.progress;
    }
    if (update.progress)
        jobs.front().progress = *update.progress;
    if (update.status)
        jobs.front().status = *update.status;
    setJobs(std::move(jobs));
}

void ExportViewModel::finishExport(const std::shared_ptr<Task>& task) {
    if (!exports_.isLatest(task->ticket))
        return; // a newer export owns the state now
    ExportJobOutcome cancelled;
    cancelled.status = {ProcessingStatus::Kind::cancelled, {}};
    ExportJobOutcome outcome = task->outcome.value_or(cancelled);
    if (task->stopReason && outcome.status.kind != ProcessingStatus::Kind::completed)
        outcome.status = {ProcessingStatus::Kind::failed, *task->stopReason};
    const bool toLibrary = !task->request.destination.isFolder();
    switch (outcome.status.kind) {
    case ProcessingStatus::Kind::completed:
        if (task->deliversDocument) {
            showReport(outcome.deliveredPath);
            break;
        }
        setExportResult(Result{outcome.deliveredPath, task->request.destination, outcome.startDate,
                               outcome.timeline, outcome.notes});
        messages_.setStatus((toLibrary ? QCoreApplication::translate("ExportViewModel", "已保存到相册：")
                                       : QCoreApplication::translate("ExportViewModel", "导出完成：")) +
                            task->exportingFileName);
        messages_.setSuccess(task->work ? QCoreApplication::translate("ExportViewModel", "解密副本已保存")
                             : toLibrary
                                 ? QCoreApplication::translate("ExportViewModel", "视频已成功保存到系统相册")
                                 : QCoreApplication::translate("ExportViewModel", "视频已成功导出"));
        break;
    case ProcessingStatus::Kind::cancelled:
        messages_.setStatus(cancelledStatus);
        break;
    case ProcessingStatus::Kind::failed:
        messages_.setError(outcome.status.message);
        messages_.setStatus(failedStatus);
        setShowPhotosPrivacySettings(outcome.showPhotosPrivacySettings);
        break;
    default:
        messages_.setStatus(task->cancel.isCancelled() ? cancelledStatus : failedStatus);
    }
    setJobs({});
    task_.reset();
    setProcessing(false);
}

void ExportViewModel::cancelExport() {
    if (task_)
        task_->cancel.cancel();
}

bool ExportViewModel::readsFrom(const QString& folder) const {
    if (!task_)
        return false;
    const auto onIt = [&](const TeslaVideoFile& video) { return FileName::liesIn(video.url, folder); };
    const ExportPlan& plan = task_->request.plan;
    return FileName::liesIn(task_->workFolder, folder) ||
           std::any_of(plan.segments.begin(), plan.segments.end(),
                       [&](const ContinuousExportSegment& s) { return onIt(s.video); }) ||
           std::any_of(plan.gridSegments.begin(), plan.gridSegments.end(), [&](const GridExportSegment& g) {
               return std::any_of(g.videos.begin(), g.videos.end(), onIt);
           });
}

void ExportViewModel::stopExport(const QString& reason) {
    if (!task_)
        return;
    task_->stopReason = reason;
    task_->cancel.cancel();
}

void ExportViewModel::shutdown() {
    cancelExport();
    // Each cancelled export removes its temporary files before its work returns.
    AppPools::exports()->waitForDone(services_.shutdownWaitMilliseconds);
}

// --- The result ---

void ExportViewModel::revealOutputLocation() {
    const OutputDestination destination = result_ ? result_->destination : settings_.outputDestination;
    const QString folder =
        destination.isFolder() ? destination.folder : PhotosLibraryExporter::libraryFolder();
    openFolder(folder);
}

void ExportViewModel::openPhotosPrivacySettings() {
    openFolder(PhotosLibraryExporter::libraryFolder());
}

void ExportViewModel::openFolder(const QString& folder) {
    // A desktop without a file manager opens nothing: the user is told where to look instead.
    if (!services_.openUrl(FileName::toUrl(folder)))
        messages_.setError(
            QCoreApplication::translate("ExportViewModel", "没有可以打开文件夹的程序。文件在：") +
            FileName::display(folder));
}

void ExportViewModel::clearExportResult() {
    setExportResult(std::nullopt);
}

// --- Field writes ---

void ExportViewModel::setProcessing(bool value) {
    assignAndNotify(isProcessing_, value, this, &ExportViewModel::isProcessingChanged);
}

void ExportViewModel::setJobs(std::vector<ProcessingJob> jobs) {
    if (sameJobs(jobs, jobs_))
        return;
    jobs_ = std::move(jobs);
    emit jobsChanged();
}

void ExportViewModel::setExportStatusMessage(const QString& message) {
    assignAndNotify(exportStatusMessage_, message, this, &ExportViewModel::exportStatusMessageChanged);
}

void ExportViewModel::setExportIndeterminate(bool value) {
    assignAndNotify(exportIsIndeterminate_, value, this, &ExportViewModel::exportIsIndeterminateChanged);
}

void ExportViewModel::setShowPhotosPrivacySettings(bool value) {
    assignAndNotify(showPhotosPrivacySettings_, value, this,
                    &ExportViewModel::showPhotosPrivacySettingsChanged);
}

void ExportViewModel::setExportResult(std::optional<Result> result) {
    const auto same = [](const Result& a, const Result& b) {
        return a.path == b.path && a.destination == b.destination && a.startDate == b.startDate &&
               a.timeline.pieces() == b.timeline.pieces() && a.notes == b.notes;
    };
    if (result.has_value() == result_.has_value() && (!result || same(*result, *result_)))
        return;
    result_ = std::move(result);
    emit exportResultChanged();
    refreshOpenOutputButtonTitle();
}

} // namespace orvane
