#pragma once

// Re-encoding with the recording time burned into every frame: single files, joins and grids.
// Blocking: call it from a worker thread, which also runs the progress and frame callbacks.

#include "CancellationToken.h"
#include "ExportErrors.h"
#include "ExportPlan.h"
#include "ExportSettings.h"
#include "ExportTimeline.h"
#include "FFmpegTools.h"

#include <QString>

#include <functional>
#include <optional>
#include <string>

namespace orvane {

struct ExportCallbacks {
    ProgressCallback onProgress;  // 0…1, from the exporting thread
    CancellationToken cancel;
    // Every written frame: its index in the output and the recording time burned into it.
    std::function<void(int64_t frame, Instant recordedAt)> onFrame;
    std::string encoderPreset; // empty: our speed choice
};

struct ExportResult {
    QString path;
    // When each part of the output was recorded; its first frame's time is the true start.
    ExportTimeline timeline;
    std::optional<Instant> startDate() const { return timeline.instantAt(0); }
};

// One input of the exporter's core.
struct TimelineSource {
    QString inputPath;
    ExportTimeline timeline; // when each moment of the input was recorded
    bool gridLabels = false; // a composed grid: draw the cameras' names
    double trimStart = 0;    // seconds into the input
    double trimDuration = 0; // both 0: the whole file
};

// Re-encodes video with the recording time (and, for grids, the camera labels) burned into
// every frame. The output is written under a temporary name beside `outputPath` and moved over
// it only when complete: a failed or cancelled export leaves an earlier file of that name
// untouched and nothing else behind.
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
