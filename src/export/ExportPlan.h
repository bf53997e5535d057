#pragma once

#include "Instant.h"
#include "TeslaVideoFile.h"

#include <optional>
#include <vector>

namespace orvane {

// `trimDuration` seconds of `video` from `trimStart` (seconds into the file).
struct ContinuousExportSegment {
    TeslaVideoFile video;
    double trimStart = 0;
    double trimDuration = 0;
};

// Up to four files of one minute, in grid order, trimmed alike.
struct GridExportSegment {
    std::vector<TeslaVideoFile> videos;
    double trimStart = 0;
    double trimDuration = 0;

    // The front camera's file, else the first; nothing when empty.
    std::optional<TeslaVideoFile> primaryVideo() const;
};

struct ExportPlan {
    std::vector<ContinuousExportSegment> segments;
    std::vector<GridExportSegment> gridSegments;
    bool isContinuous = false;

    bool isEmpty() const { return segments.empty() && gridSegments.empty(); }
    // Callers ask only for non-empty plans.
    TeslaVideoFile primaryVideo() const;
    // The requested wall-clock time of the first exported frame. The exporters report the
    // measured time of every frame (ExportTimeline); prefer that once an export has run.
    std::optional<Instant> exportStartDate() const;
};

// One step of the playback playlist as the planners see it: the file of a single-camera step,
// or the files of one minute for a multi-camera step.
struct ExportStep {
    enum class Kind { single, multiCamera };
    Kind kind = Kind::single;
    std::vector<TeslaVideoFile> videos;

    static ExportStep single(const TeslaVideoFile& video) { return {Kind::single, {video}}; }
    static ExportStep multiCamera(std::vector<TeslaVideoFile> videos) { return {Kind::multiCamera, std::move(videos)}; }
};

namespace ContinuousExportPlanner {
// Cuts [rangeStart, rangeEnd) of the playlist into per-file trims of the files in `videos`
// (one camera), matched to the steps by minute.
std::vector<ContinuousExportSegment> plan(const std::vector<TeslaVideoFile>& videos,
                                          const std::vector<ExportStep>& playlistSteps,
                                          const std::vector<double>& stepDurations, std::optional<double> rangeStart,
                                          std::optional<double> rangeEnd);
} // namespace ContinuousExportPlanner

namespace GridExportPlanner {
std::vector<GridExportSegment> plan(const std::vector<ExportStep>& playlistSteps,
                                    const std::vector<double>& stepDurations, std::optional<double> rangeStart,
                                    std::optional<double> rangeEnd);
// The first file of each of front, back, left and right repeater, in that order.
std::vector<TeslaVideoFile> gridVideos(const std::vector<TeslaVideoFile>& videos);
} // namespace GridExportPlanner

} // namespace orvane
