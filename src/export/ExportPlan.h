#pragma once

// What an export cuts out of its files, and the planners that turn a playlist, its step lengths
// and a range into those cuts. Pure functions of their inputs; any thread may call them.

#include "Instant.h"
#include "PlaybackStep.h"
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

// The files of one minute's grid cameras (four, or six with the pillars), in grid order,
// trimmed alike.
struct GridExportSegment {
    std::vector<TeslaVideoFile> videos;
    double trimStart = 0;
    double trimDuration = 0;

    // The front camera's file, else the first; nothing when empty.
    std::optional<TeslaVideoFile> primaryVideo() const;
    // Six cells when a pillar camera's file is among the videos.
    Camera::GridLayout layout() const;
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

namespace ContinuousExportPlanner {
// Cuts [rangeStart, rangeEnd) of the playlist into per-file trims of the files in `videos`
// (one camera), matched to the steps by minute.
std::vector<ContinuousExportSegment> plan(const std::vector<TeslaVideoFile>& videos,
                                          const std::vector<PlaybackStep>& playlistSteps,
                                          const std::vector<double>& stepDurations,
                                          std::optional<double> rangeStart, std::optional<double> rangeEnd);
} // namespace ContinuousExportPlanner

namespace GridExportPlanner {
// Cuts [rangeStart, rangeEnd) of the playlist into grid pieces of each step's grid cameras.
std::vector<GridExportSegment> plan(const std::vector<PlaybackStep>& playlistSteps,
                                    const std::vector<double>& stepDurations,
                                    std::optional<double> rangeStart, std::optional<double> rangeEnd);
// The first file of each grid camera, in grid order: the six-camera grid's when a pillar
// camera's file is among them, else the four-camera grid's.
std::vector<TeslaVideoFile> gridVideos(const std::vector<TeslaVideoFile>& videos);
// Six cells when any segment has six; every piece of one export has the same layout.
Camera::GridLayout layoutOf(const std::vector<GridExportSegment>& segments);
} // namespace GridExportPlanner

} // namespace orvane
