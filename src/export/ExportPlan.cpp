#include "ExportPlan.h"

#include "MinuteGroups.h"

#include <QHash>
#include <algorithm>

namespace orvane {

std::optional<TeslaVideoFile> GridExportSegment::primaryVideo() const {
    for (const TeslaVideoFile& v : videos)
        if (v.cameraAngle == CameraAngle::front)
            return v;
    if (videos.empty())
        return std::nullopt;
    return videos.front();
}

Camera::GridLayout GridExportSegment::layout() const {
    return gridLayoutOf(videos);
}

TeslaVideoFile ExportPlan::primaryVideo() const {
    if (!gridSegments.empty())
        if (auto primary = gridSegments.front().primaryVideo())
            return *primary;
    return segments.empty() ? TeslaVideoFile{} : segments.front().video;
}

std::optional<Instant> ExportPlan::exportStartDate() const {
    if (!gridSegments.empty())
        if (auto primary = gridSegments.front().primaryVideo())
            return primary->startTime + gridSegments.front().trimStart;
    if (!segments.empty())
        return segments.front().video.startTime + segments.front().trimStart;
    return std::nullopt;
}

namespace {

struct Window {
    double start;
    double end;
};

std::optional<Window> rangeWindow(const std::vector<double>& durations, std::optional<double> rangeStart,
                                  std::optional<double> rangeEnd) {
    double total = 0;
    for (double d : durations)
        total += d;
    const double start = rangeStart && *rangeStart > 0 ? *rangeStart : 0.0;
    const double end = std::min(rangeEnd ? *rangeEnd : total, total);
    if (start >= end)
        return std::nullopt;
    return Window{start, end};
}

// Calls take(step, localStart, localLength) for every step overlapping the window.
template <typename Take>
void walkSteps(const std::vector<PlaybackStep>& steps, const std::vector<double>& durations, Window w,
               Take take) {
    const size_t count = std::min(steps.size(), durations.size());
    double stepStart = 0;
    for (size_t i = 0; i < count; ++i) {
        const double d = durations[i];
        const double stepEnd = stepStart + d;
        if (!(w.end <= stepStart || stepEnd <= w.start)) {
            const double localStart = std::max(w.start - stepStart, 0.0);
            const double localEnd = std::min(w.end - stepStart, d);
            if (localEnd - localStart > 0)
                take(steps[i], localStart, localEnd - localStart);
        }
        stepStart += d;
    }
}

} // namespace

namespace ContinuousExportPlanner {

std::vector<ContinuousExportSegment> plan(const std::vector<TeslaVideoFile>& videos,
                                          const std::vector<PlaybackStep>& playlistSteps,
                                          const std::vector<double>& stepDurations,
                                          std::optional<double> rangeStart, std::optional<double> rangeEnd) {
    std::vector<ContinuousExportSegment> result;
    if (videos.empty() || stepDurations.empty() || playlistSteps.empty())
        return result;
    QHash<QString, TeslaVideoFile> byKey;
    for (const MinuteGroup<TeslaVideoFile>& minute : groupByMinute(videos))
        byKey.insert(minute.key, minute.items.front()); // a duplicate minute keeps its first file
    const auto window = rangeWindow(stepDurations, rangeStart, rangeEnd);
    if (!window)
        return result;
    walkSteps(playlistSteps, stepDurations, *window,
              [&](const PlaybackStep& step, double start, double length) {
                  const std::optional<TeslaVideoFile> reference = step.primaryVideo();
                  if (!reference)
                      return;
                  auto it = byKey.constFind(TeslaVideoFile::timestampKey(reference->fileName));
                  if (it == byKey.constEnd())
                      return;
                  result.push_back({*it, start, length});
              });
    return result;
}

} // namespace ContinuousExportPlanner

namespace GridExportPlanner {

std::vector<TeslaVideoFile> gridVideos(const std::vector<TeslaVideoFile>& videos) {
    std::vector<TeslaVideoFile> grid;
    for (CameraAngle camera : Camera::gridCameras(gridLayoutOf(videos))) {
        auto it = std::find_if(videos.begin(), videos.end(),
                               [camera](const TeslaVideoFile& v) { return v.cameraAngle == camera; });
        if (it != videos.end())
            grid.push_back(*it);
    }
    return grid;
}

Camera::GridLayout layoutOf(const std::vector<GridExportSegment>& segments) {
    for (const GridExportSegment& segment : segments)
        if (segment.layout() == Camera::GridLayout::six)
            return Camera::GridLayout::six;
    return Camera::GridLayout::four;
}

std::vector<GridExportSegment> plan(const std::vector<PlaybackStep>& playlistSteps,
                                    const std::vector<double>& stepDurations,
                                    std::optional<double> rangeStart, std::optional<double> rangeEnd) {
    std::vector<GridExportSegment> result;
    if (playlistSteps.empty() || stepDurations.empty())
        return result;
    const auto window = rangeWindow(stepDurations, rangeStart, rangeEnd);
    if (!window)
        return result;
    walkSteps(playlistSteps, stepDurations, *window,
              [&](const PlaybackStep& step, double start, double length) {
                  auto grid = gridVideos(step.files());
                  if (!grid.empty())
                      result.push_back({std::move(grid), start, length});
              });
    return result;
}

} // namespace GridExportPlanner

} // namespace orvane
