#pragma once
// Runs one export from its plan to the delivered file: prepares slow sources, runs the right
// exporter, reports phase texts and progress, delivers to the folder or the photo library and
// removes every temporary file on the way out. Blocking: call it off the interface thread;
// reports come from that thread too.

#include "ExportPlan.h"
#include "ExportSettings.h"
#include "ExportTimeline.h"
#include "GPUVideoExporter.h"
#include "IncidentReport.h"
#include "ProcessingJob.h"
#include "TranslatedText.h"
#include "VideoExportPreparer.h"

#include <QString>
#include <functional>
#include <optional>

namespace orvane {

// The work an export is made of, replaceable in tests.
struct ExportEngine {
    std::function<ExportResult(const std::vector<GridExportSegment>&, const QString& output,
                               const WatermarkSettings&, const ExportCallbacks&)>
        exportGrid;
    std::function<ExportResult(const std::vector<ContinuousExportSegment>&, const QString& output,
                               const WatermarkSettings&, const ExportCallbacks&)>
        exportContinuous;
    std::function<ExportResult(const TeslaVideoFile&, const QString& input, const QString& output,
                               const WatermarkSettings&, double trimStart, double trimDuration,
                               const ExportCallbacks&)>
        exportSync;
    std::function<PreparedInput(const TeslaVideoFile&, bool forceCopy, const CancellationToken&)> localInput;
    // A source on a removable or network volume.
    std::function<bool(const QString& path)> isSlowSource;
    // Copies a finished video into the photo library; returns the library's copy.
    std::function<QString(const QString& path)> importVideoToLibrary;

    // GPUVideoExporter, VideoExportPreparer, the volume check and PhotosLibraryExporter.
    static ExportEngine standard();
};

// What changed in the overlay; unset fields stay as they were.
struct ExportUpdate {
    std::optional<QString> message;
    std::optional<bool> indeterminate;
    std::optional<double> progress;
    std::optional<ProcessingStatus> status;
};

struct ExportJobRequest {
    ExportPlan plan;
    QString outputPath; // a staging file for the photo library
    OutputDestination destination;
    WatermarkSettings settings;
    // Seconds the user asked for when that may be more than the plan holds (a window around the
    // event's moment that the car did not record all of); none: the plan's own length.
    std::optional<double> askedLength = std::nullopt;
};

struct ExportJobOutcome {
    ProcessingStatus status;
    QString deliveredPath;            // the file the user gets (in the library for the photo library)
    std::optional<Instant> startDate; // recording time of the first exported frame
    ExportTimeline timeline;
    bool showPhotosPrivacySettings = false;
    // What the user should know about a completed export, a line each: frames without the
    // dashboard, then why it is shorter than asked (what was asked and found, then each camera
    // file left out or cut short).
    QStringList notes = {};
    // Every camera file left out (it cannot be read) or cut short, for the result page to list.
    SkippedList skipped = {};
    // The recording time of the last frame written (startDate: the first's); the delivered file is
    // named after both when its planned name was a time window's.
    std::optional<Instant> endDate = {};
    double exportedLength = 0;  // seconds written
    double requestedLength = 0; // seconds asked for (askedLength, else the plan's)
    QString encoder = {};       // FFmpeg's name of the encoder that wrote the video
};

namespace ExportJobRunner {

using Reporter = std::function<void(const ExportUpdate&)>;

ExportJobOutcome run(const ExportJobRequest& request, const ExportEngine& engine,
                     const CancellationToken& cancel, const Reporter& report);
// Plain copies of the encrypted clips under `eventFolder` (their keys in the session) into
// `outDir`, laid out as a plain drive; delivers the first copy, notes say where and what failed.
// Blocks: call it on a worker thread.
ExportJobOutcome saveDecryptedCopies(const QString& eventFolder, const QString& outDir,
                                     const CancellationToken& cancel, const Reporter& report);

// The incident report of `request`'s events into a free name beside `fileName` in `outDir` (made
// when missing); delivers the PDF. Blocks: call it on a worker thread.
ExportJobOutcome writeIncidentReport(IncidentReportRequest request, const QString& outDir,
                                     const QString& fileName, const CancellationToken& cancel,
                                     const Reporter& report);

// Before any work: the photo library takes files, or the folder exists (the desktop's download
// folder is made when missing). Throws the error the user sees.
void checkDestination(const OutputDestination& destination);

inline constexpr TranslatedText preparingMessage{"ExportJobRunner",
                                                 QT_TRANSLATE_NOOP("ExportJobRunner", "正在准备导出...")};
inline constexpr TranslatedText savingToLibraryMessage{
    "ExportJobRunner", QT_TRANSLATE_NOOP("ExportJobRunner", "正在保存到相册...")};
// The progress at which a grid's composition, and a join's merging, give way to encoding.
inline constexpr double gridEncodingStart = 0.7;
inline constexpr double continuousEncodingStart = 0.4;

// "正在合成四宫格..." (or 六宫格 for a car with pillar cameras).
QString gridMessage(bool slow, Camera::GridLayout layout = Camera::GridLayout::four);
QString mergeMessage(bool slow);
QString encodingMessage(ExportQuality quality);
// The overlay's line for progress `p` of a grid or a join (the weights of the exporters).
QString gridProgressMessage(double p, ExportQuality quality,
                            Camera::GridLayout layout = Camera::GridLayout::four);
QString continuousProgressMessage(double p, bool slow, ExportQuality quality);
// Seconds the export still needs at `progress`, at the pace it went from `from` to there in
// `elapsed` seconds; none until that pace means something (paceSeconds and paceProgress made).
std::optional<double> secondsLeft(double elapsed, double from, double progress);
// "剩余约 m:ss" for secondsLeft, or empty.
QString timeLeftText(std::optional<double> seconds);

} // namespace ExportJobRunner
} // namespace orvane
