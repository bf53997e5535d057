#include "ExportJobRunner.h"

#include "DecryptedCopies.h"
#include "ExportManifest.h"
#include "FileDelivery.h"
#include "FileName.h"
#include "PhotosLibraryExporter.h"
#include "PlaybackTimeFormat.h"
#include "TeslaClipEvent.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cmath>

namespace orvane {

ExportEngine ExportEngine::standard() {
    ExportEngine engine;
    engine.exportGrid = GPUVideoExporter::exportGrid;
    engine.exportContinuous = GPUVideoExporter::exportContinuous;
    engine.exportSync = GPUVideoExporter::exportSync;
    engine.localInput = VideoExportPreparer::localInput;
    engine.isSlowSource = [](const QString& path) { return VolumeInfo::shouldCopyLocally(path); };
    engine.importVideoToLibrary = PhotosLibraryExporter::importVideo;
    return engine;
}

namespace ExportJobRunner {

namespace {

// Progress is reported in steps of this size; finer steps would only flood the interface.
constexpr double progressStep = 0.001;
// Less than this short of what was asked is the rounding of cuts to frames, not missing footage.
constexpr double shortfallTolerance = 1.0;

struct Leftovers {
    QStringList files;
    QString folder; // a staging folder, removed when empty
    ~Leftovers() {
        for (const QString& f : files)
            QFile::remove(f);
        if (!folder.isEmpty())
            QDir().rmdir(folder);
    }
};

// Hands progress on only when it has moved a visible step (or reached the end).
class ProgressThrottle {
public:
    explicit ProgressThrottle(std::function<void(double)> forward) : forward_(std::move(forward)) {}
    void operator()(double p) {
        const long step = std::lround(p / progressStep);
        if (step == last_)
            return;
        last_ = step;
        forward_(p);
    }

private:
    std::function<void(double)> forward_;
    long last_ = -1;
};

template <typename Segments, typename VideosOf>
bool anySlow(const Segments& segments, const ExportEngine& engine, VideosOf videosOf) {
    for (const auto& segment : segments)
        for (const TeslaVideoFile& video : videosOf(segment))
            if (engine.isSlowSource(video.url))
                return true;
    return false;
}

ExportResult runGrid(const ExportJobRequest& r, const ExportEngine& engine, ExportCallbacks callbacks,
                     const Reporter& report) {
    const bool slow =
        anySlow(r.plan.gridSegments, engine, [](const GridExportSegment& s) { return s.videos; });
    const Camera::GridLayout layout = GridExportPlanner::layoutOf(r.plan.gridSegments);
    report({gridMessage(slow, layout), slow, {}, {}});
    const ExportQuality quality = r.settings.exportQuality;
    callbacks.onProgress = ProgressThrottle([&report, quality, layout](double p) {
        report({gridProgressMessage(p, quality, layout), false, p, {}});
    });
    return engine.exportGrid(r.plan.gridSegments, r.outputPath, r.settings, callbacks);
}

ExportResult runContinuous(const ExportJobRequest& r, const ExportEngine& engine, ExportCallbacks callbacks,
                           const Reporter& report) {
    const bool slow = anySlow(r.plan.segments, engine, [](const ContinuousExportSegment& s) {
        return std::vector<TeslaVideoFile>{s.video};
    });
    report({mergeMessage(slow), slow, {}, {}});
    const ExportQuality quality = r.settings.exportQuality;
    callbacks.onProgress = ProgressThrottle([&report, slow, quality](double p) {
        report({continuousProgressMessage(p, slow, quality), false, p, {}});
    });
    return engine.exportContinuous(r.plan.segments, r.outputPath, r.settings, callbacks);
}

ExportResult runSingle(const ExportJobRequest& r, const ExportEngine& engine, ExportCallbacks callbacks,
                       const Reporter& report, Leftovers& leftovers) {
    const ContinuousExportSegment& segment = r.plan.segments.front();
    const PreparedInput input = engine.localInput(segment.video, false, callbacks.cancel);
    if (input.cleanupPath)
        leftovers.files << *input.cleanupPath;
    report({encodingMessage(r.settings.exportQuality), false, {}, {}});
    callbacks.onProgress = ProgressThrottle([&report](double p) { report({{}, {}, p, {}}); });
    return engine.exportSync(segment.video, input.path, r.outputPath, r.settings, segment.trimStart,
                             segment.trimDuration, callbacks);
}

// An export named after its time window is named after the frames it holds.
void nameByFrames(const QString& outputPath, ExportCallbacks& callbacks) {
    const QString planned = QFileInfo(outputPath).fileName();
    if (TeslaClipEvent::retimedOutputFileName(planned, 0, 0))
        callbacks.nameForFrames = [planned](Instant first, Instant last) {
            return TeslaClipEvent::retimedOutputFileName(planned, first, last).value_or(QString());
        };
}

// The library's copy keeps the manifest the staging file was exported with.
void keepManifestBeside(const QString& staged, const QString& delivered) {
    const QString manifest = ExportManifest::pathFor(staged);
    if (!QFileInfo::exists(manifest))
        return;
    const QFileInfo target(ExportManifest::pathFor(delivered));
    FileDelivery::copyToFreeName(manifest, target.path(), target.fileName());
}

// Why the export holds less than was asked: unrecorded time in the window asked for, footage
// that cannot be read or ends early.
QStringList shortfallOf(const ExportJobRequest& r, const ExportResult& result) {
    QStringList reasons;
    if (r.askedLength && *r.askedLength > result.requestedLength + shortfallTolerance)
        reasons << QCoreApplication::translate("ExportJobRunner", "所选的 %1 秒中只有 %2 秒有录像")
                       .arg(*r.askedLength, 0, 'f', 0)
                       .arg(result.requestedLength, 0, 'f', 0);
    if (const QString title = result.shortfallTitle(); !title.isEmpty())
        reasons << title << result.skippedLines();
    return reasons;
}

void fillOutcome(ExportJobOutcome& outcome, const ExportJobRequest& r, const ExportResult& result) {
    outcome.startDate = result.startDate() ? result.startDate() : r.plan.exportStartDate();
    outcome.endDate = result.endDate;
    outcome.timeline = result.timeline;
    outcome.skipped = result.skipped;
    outcome.exportedLength = result.exportedLength;
    outcome.encoder = result.encoder;
    outcome.requestedLength = std::max(r.askedLength.value_or(0), result.requestedLength);
    outcome.notes = shortfallOf(r, result);
    if (const QString dashboard = result.dashboardNotice(); !dashboard.isEmpty())
        outcome.notes.prepend(dashboard);
}

} // namespace

QString gridMessage(bool slow, Camera::GridLayout layout) {
    return slow ? QCoreApplication::translate("ExportJobRunner", "正在合成%1（外置 U 盘较慢）...")
                      .arg(Camera::gridTitle(layout))
                : QCoreApplication::translate("ExportJobRunner", "正在合成%1...")
                      .arg(Camera::gridTitle(layout));
}

QString mergeMessage(bool slow) {
    return slow ? QCoreApplication::translate("ExportJobRunner", "正在合并视频片段（外置 U 盘较慢）...")
                : QCoreApplication::translate("ExportJobRunner", "正在合并视频片段...");
}

QString encodingMessage(ExportQuality quality) {
    return QCoreApplication::translate("ExportJobRunner", "正在添加水印并编码（%1）...")
        .arg(Quality::title(quality));
}

QString gridProgressMessage(double p, ExportQuality quality, Camera::GridLayout layout) {
    return p >= gridEncodingStart ? encodingMessage(quality) : gridMessage(false, layout);
}

QString continuousProgressMessage(double p, bool slow, ExportQuality quality) {
    return p >= continuousEncodingStart ? encodingMessage(quality) : mergeMessage(slow);
}

void checkDestination(const OutputDestination& destination) {
    if (!destination.isFolder()) {
        const auto status =
            PhotosLibraryExporter::authorizationStatus(PhotosLibraryExporter::libraryFolder());
        if (status != PhotosLibraryExporter::Status::authorized &&
            status != PhotosLibraryExporter::Status::limited)
            throw PhotosLibraryExporterError::accessDenied(status);
        return;
    }
    // A fresh account has no download folder yet; a folder the user chose is never made up.
    if (destination == OutputDestination::defaultDestination() && !QDir().mkpath(destination.folder))
        throw FileSystemError(QCoreApplication::translate("ExportJobRunner", "无法创建输出目录: ") +
                              destination.folder);
}

ExportJobOutcome run(const ExportJobRequest& r, const ExportEngine& engine, const CancellationToken& cancel,
                     const Reporter& report) {
    ExportJobOutcome outcome;
    Leftovers leftovers;
    const bool toLibrary = !r.destination.isFolder();
    if (toLibrary) {
        leftovers.files << r.outputPath;
        leftovers.folder = QFileInfo(r.outputPath).path();
    }
    report({{}, {}, 0.0, ProcessingStatus{ProcessingStatus::Kind::processing, {}}});
    try {
        cancel.check();
        checkDestination(r.destination);
        if (toLibrary && !QDir().mkpath(leftovers.folder))
            throw FileSystemError(QCoreApplication::translate("ExportJobRunner", "无法创建临时文件夹: ") +
                                  leftovers.folder);
        ExportCallbacks callbacks;
        callbacks.cancel = cancel;
        nameByFrames(r.outputPath, callbacks);
        ExportResult result;
        if (!r.plan.gridSegments.empty())
            result = runGrid(r, engine, callbacks, report);
        else if (r.plan.isContinuous)
            result = runContinuous(r, engine, callbacks, report);
        else
            result = runSingle(r, engine, callbacks, report, leftovers);
        if (toLibrary) // the staging file, under the name its frames gave it, and its manifest
            leftovers.files << result.path << ExportManifest::pathFor(result.path);
        // A file the exporter finished in the user's folder is delivered: a cancel arriving now
        // comes too late to undo it, and saying otherwise would hide a file that is there.
        outcome.deliveredPath = result.path;
        if (toLibrary) {
            cancel.check();
            report({savingToLibraryMessage, true, {}, {}});
            outcome.deliveredPath = engine.importVideoToLibrary(result.path);
            keepManifestBeside(result.path, outcome.deliveredPath);
        }
        fillOutcome(outcome, r, result);
        outcome.status = {ProcessingStatus::Kind::completed, {}};
        report({{}, {}, 1.0, outcome.status});
    } catch (const OperationCancelled&) {
        outcome.status = {ProcessingStatus::Kind::cancelled, {}};
    } catch (const std::exception& e) {
        if (cancel.isCancelled()) {
            outcome.status = {ProcessingStatus::Kind::cancelled, {}};
        } else {
            const auto* userFacing = dynamic_cast<const UserFacingError*>(&e);
            const auto* library = dynamic_cast<const PhotosLibraryExporterError*>(&e);
            outcome.status = ProcessingStatus::failed(userFacing ? userFacing->description()
                                                                 : QString::fromLocal8Bit(e.what()));
            outcome.showPhotosPrivacySettings = library && library->isRestrictedOrDenied();
        }
    }
    if (outcome.status.kind != ProcessingStatus::Kind::completed)
        report({{}, {}, {}, outcome.status});
    return outcome;
}

namespace {
QStringList copiesNotes(const DecryptedCopies::Plan& plan, const DecryptedCopies::Outcome& done,
                        const QString& outDir) {
    const auto isClip = [&](const DecryptedCopies::Copy& c) {
        return std::any_of(plan.clips.begin(), plan.clips.end(),
                           [&](const DecryptedCopies::Copy& clip) { return clip.source == c.source; });
    };
    const int clips = int(std::count_if(done.written.begin(), done.written.end(), isClip));
    QStringList notes{
        QCoreApplication::translate("ExportJobRunner", "已在 %2 保存 %n 个解密副本", nullptr, clips)
            .arg(QDir::toNativeSeparators(outDir))};
    for (const auto& [source, why] : done.failures)
        notes << why;
    return notes;
}
} // namespace

namespace {
// Runs `work` for a job that is not an export of a plan: cancellation and the user's errors become
// the outcome's status, which is reported last.
ExportJobOutcome attempt(const Reporter& report, const std::function<void(ExportJobOutcome&)>& work) {
    ExportJobOutcome outcome;
    try {
        work(outcome);
    } catch (const OperationCancelled&) {
        outcome.status = {ProcessingStatus::Kind::cancelled, {}};
    } catch (const UserFacingError& e) {
        outcome.status = ProcessingStatus::failed(e.description());
    }
    report({{}, {}, {}, outcome.status});
    return outcome;
}
} // namespace

ExportJobOutcome saveDecryptedCopies(const QString& eventFolder, const QString& outDir,
                                     const CancellationToken& cancel, const Reporter& report) {
    return attempt(report, [&](ExportJobOutcome& outcome) {
        const DecryptedCopies::Plan plan = DecryptedCopies::plan({eventFolder}, outDir);
        if (plan.clips.empty())
            throw FileSystemError(QCoreApplication::translate("ExportJobRunner", "这个事件没有加密的录像"));
        report({QCoreApplication::translate("ExportJobRunner", "正在保存解密副本..."), false, 0.0, {}});
        const DecryptedCopies::Outcome done = DecryptedCopies::write(plan, cancel, [&](double p) {
            report({{}, {}, p, {}});
        });
        outcome.notes = copiesNotes(plan, done, outDir);
        const auto first = std::find_if(done.written.begin(), done.written.end(), [](const auto& c) {
            return c.target.endsWith(QLatin1String(".mp4"), Qt::CaseInsensitive);
        });
        if (first == done.written.end()) {
            outcome.status = ProcessingStatus::failed(outcome.notes.mid(1).join(QLatin1Char('\n')));
        } else {
            outcome.deliveredPath = first->target;
            outcome.status = {ProcessingStatus::Kind::completed, {}};
        }
    });
}

ExportJobOutcome writeIncidentReport(IncidentReportRequest request, const QString& outDir,
                                     const QString& fileName, const CancellationToken& cancel,
                                     const Reporter& report) {
    return attempt(report, [&](ExportJobOutcome& outcome) {
        report({QCoreApplication::translate("ExportJobRunner", "正在生成事故报告..."), false, 0.0, {}});
        if (!QDir().mkpath(outDir))
            throw FileSystemError(QCoreApplication::translate("ExportJobRunner", "无法创建文件夹：") +
                                  FileName::display(outDir));
        request.outputPath = FileDelivery::availablePath(outDir, fileName);
        request.cancel = cancel;
        request.onProgress = [&](double p) { report({{}, {}, p, {}}); };
        IncidentReport::write(request);
        outcome.deliveredPath = request.outputPath;
        outcome.status = {ProcessingStatus::Kind::completed, {}};
    });
}

std::optional<double> secondsLeft(double elapsed, double from, double progress) {
    // Below these the first moments' set-up (opening, the first key frames) sets the pace.
    constexpr double paceSeconds = 2;
    constexpr double paceProgress = 0.01;
    const double done = progress - from;
    if (elapsed < paceSeconds || done < paceProgress || progress >= 1)
        return std::nullopt;
    return elapsed * (1 - progress) / done;
}

QString timeLeftText(std::optional<double> seconds) {
    if (!seconds)
        return {};
    return QCoreApplication::translate("ExportJobRunner", "剩余约 %1")
        .arg(PlaybackTimeFormat::format(std::ceil(*seconds)));
}

} // namespace ExportJobRunner
} // namespace orvane
