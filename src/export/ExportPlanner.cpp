#include "ExportPlanner.h"

#include <algorithm>

namespace orvane::ExportPlanner {

VideoSegmentPlaylist playlist(const ExportRequest& request) {
    switch (request.kind) {
    case ExportRequest::Kind::singleFile:
        return {};
    case ExportRequest::Kind::continuous:
        return VideoSegmentPlaylist::singleCamera(request.videos);
    case ExportRequest::Kind::grid:
        return VideoSegmentPlaylist::multiCamera(request.videos);
    }
    return {};
}

ExportPlan plan(const ExportRequest& request, const std::vector<PlaybackStep>& steps,
                const std::vector<double>& stepDurations) {
    ExportPlan result;
    switch (request.kind) {
    case ExportRequest::Kind::singleFile:
        if (!request.videos.empty()) {
            // The exporter reads a start below 0 as 0 and a length of 0 as "to the end".
            const double start = request.rangeStart.value_or(0);
            const double length = request.rangeEnd ? std::max(*request.rangeEnd - start, 0.0) : 0.0;
            result.segments.push_back({request.videos.front(), start, length});
        }
        break;
    case ExportRequest::Kind::continuous:
        result.segments = ContinuousExportPlanner::plan(request.videos, steps, stepDurations,
                                                        request.rangeStart, request.rangeEnd);
        result.isContinuous = true;
        break;
    case ExportRequest::Kind::grid:
        result.gridSegments =
            GridExportPlanner::plan(steps, stepDurations, request.rangeStart, request.rangeEnd);
        result.isContinuous = !steps.empty();
        break;
    }
    return result;
}

std::optional<std::pair<double, double>> rangeAround(const std::vector<PlaybackStep>& steps,
                                                     const std::vector<double>& stepDurations, Instant moment,
                                                     double before, double after) {
    const Instant from = moment - std::max(before, 0.0), until = moment + std::max(after, 0.0);
    std::optional<double> start, end;
    double offset = 0;
    for (size_t i = 0; i < std::min(steps.size(), stepDurations.size()); ++i) {
        const double length = stepDurations[i];
        const auto first = steps[i].primaryVideo();
        if (first && first->startTime < until && first->startTime + length > from) {
            if (!start)
                start = offset + std::max(from - first->startTime, 0.0);
            end = offset + std::min(until - first->startTime, length);
        }
        offset += length;
    }
    if (!start || !end || !(*end > *start))
        return std::nullopt;
    return std::pair{*start, *end};
}

ExportPlan plan(const ExportRequest& request, const VideoSegmentPlaylist::DurationReader& reader) {
    const VideoSegmentPlaylist steps = playlist(request);
    return plan(request, steps.steps, VideoSegmentPlaylist::loadStepDurations(steps.steps, reader));
}

} // namespace orvane::ExportPlanner
