#pragma once

// Re-encoding with the recording time burned into every frame: single files, joins and grids.
// Blocking: call it from a worker thread, which also runs the progress and frame callbacks.

#include "CancellationToken.h"
#include "ExportErrors.h"
#include "ExportManifest.h"
#include "ExportPlan.h"
#include "ExportSettings.h"
#include "ExportTimeline.h"
#include "FFmpegTools.h"
#include "SkippedFootage.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace orvane {

struct ExportCallbacks {
    ProgressCallback onProgress; // 0…1, from the exporting thread
    CancellationToken cancel;
    // Every written frame: its index in the output and the recording time burned into it.
    std::function<void(int64_t frame, Instant recordedAt)> onFrame;
    std::string encoderPreset; // empty: our speed choice
    // The name (in the output's folder) to deliver under, given the recording times of the first
    // and last frames written; empty or not set: the output path's own name.
    std::function<QString(Instant first, Instant last)> nameForFrames;
    // False only to measure what the manifest costs: no hashing, no manifest.
    bool writeManifest = true;
    // Bytes free for new files in a folder; not set: what the file system says (tests replace it).
    std::function<qint64(const QString& folder)> freeSpace;
};

struct ExportResult {
    QString path;
    // When each part of the output was recorded; its first frame's time is the true start.
    ExportTimeline timeline;
    // Seconds of video written.
    double exportedLength = 0;
    // A source ended early (cut short while it was read) or was damaged part-way: what could
    // be read was exported, and the output is shorter than asked.
    bool truncated = false;
    // Frames drawn without the dashboard because their minute has no driving record.
    int64_t framesWithoutDashboard = 0;
    // Every camera file left out (it cannot be read) or cut short, in the order of the footage.
    SkippedList skipped;
    // Seconds of footage the plan asked for.
    double requestedLength = 0;
    // The recording time of the last frame written.
    std::optional<Instant> endDate;
    // FFmpeg's name of the encoder that wrote the video ("libx264", "hevc_vaapi", …).
    QString encoder;

    // The recording time of the first frame written.
    std::optional<Instant> startDate() const { return timeline.instantAt(0); }
    // The notice to show when frames went without the dashboard asked for (empty otherwise).
    QString dashboardNotice() const;
    // One line per file left out or cut short: when it was recorded, its camera, what became of
    // it and why.
    QStringList skippedLines() const;
    // What the export's notes open with when footage was left out or cut short (empty otherwise);
    // skippedLines() follow it.
    QString shortfallTitle() const;
    // The notice to show with a truncated result (empty otherwise).
    QString truncationWarning() const;
};

// One input of the exporter's core.
struct TimelineSource {
    QString inputPath;
    ExportTimeline timeline;     // when each moment of the input was recorded
    bool gridLabels = false;     // a composed grid: draw the cameras' names
    double trimStart = 0;        // seconds into the input
    double trimDuration = 0;     // both 0: the whole file
    QStringList sources;         // the footage the input was made from: never overwritten
    bool sourceCutShort = false; // a source ended early before it reached the input
    Camera::GridLayout gridLayout = Camera::GridLayout::four; // where the labels go
    // Raw pictures from a pipe instead of `inputPath`'s file (which then only names the input).
    std::optional<media::RawVideoStream> frames = std::nullopt;
    // Runs once the input is read through, before the output is delivered; throws to fail it.
    std::function<void()> afterReading = nullptr;
    // The recording each piece of the timeline was cut from, in order: its minute's driving
    // record feeds the dashboard.
    std::vector<TeslaVideoFile> minutes = {};
    // Footage the input was made without, or made of less than asked.
    SkippedList skipped = {};
    // Seconds of footage asked for; 0: the part of the input cut.
    double asked = 0;
    // What the manifest calls the export: single, range, continuous, grid.
    QString kind = QStringLiteral("single");
    // Hashes `sources` while they are read; started by the export when not given.
    std::shared_ptr<SourceHashing> hashing = nullptr;
};

// Re-encodes video with the recording time (and, for grids, the camera labels) burned into
// every frame. A camera file that cannot be read is left out and one cut short gives what it
// holds (ExportResult::skipped names them); only footage that cannot be read at all fails, in
// our words (never ffmpeg's). Before any work, an output that is one of the sources (also
// through links) or is not a regular file is refused, and leftovers of killed exports in the
// output's folder and the temporary folder are removed. The output is written under a hidden name beside
// `outputPath` (marked with this process) and moved over it only when complete: a failed or
// cancelled export leaves an earlier file of that name untouched and nothing else behind.
// Beside the output goes its manifest (ExportManifest::pathFor), which never replaces a file: an
// export whose manifest's name is taken fails before anything is delivered.
// Throws GPUVideoExporterError, FFmpeg*Error, FileSystemError, OperationCancelled.
namespace GPUVideoExporter {

ExportResult exportContinuous(const std::vector<ContinuousExportSegment>& segments, const QString& outputPath,
                              const WatermarkSettings& settings, const ExportCallbacks& callbacks);

ExportResult exportGrid(const std::vector<GridExportSegment>& segments, const QString& outputPath,
                        const WatermarkSettings& settings, const ExportCallbacks& callbacks);

// One file: `video` gives the recording time of the source's first frame and the camera
// (`all` means a grid: labels are drawn); `inputPath` is the file read. trimStart and
// trimDuration both 0 export the whole file.
ExportResult exportSync(const TeslaVideoFile& video, const QString& inputPath, const QString& outputPath,
                        const WatermarkSettings& settings, double trimStart, double trimDuration,
                        const ExportCallbacks& callbacks);

// The core: one input, when each moment of it was recorded, and which part of it to export.
ExportResult exportWithTimeline(const TimelineSource& source, const QString& outputPath,
                                const WatermarkSettings& settings, const ExportCallbacks& callbacks);

} // namespace GPUVideoExporter
} // namespace orvane
