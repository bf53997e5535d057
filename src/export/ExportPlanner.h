#pragma once

// The one way a request to export (a file, a range of a playlist, a grid) becomes playlist
// steps, step lengths and a plan, for the command line and the window alike.
// Pure except where it measures files (it then blocks: call it off the interface thread).

#include "ExportPlan.h"
#include "VideoSegmentPlaylist.h"

#include <optional>
#include <utility>
#include <vector>

namespace orvane {

// What the user asked to export.
struct ExportRequest {
    enum class Kind {
        singleFile, // one file, whole or trimmed
        continuous, // files of one camera played one after another
        grid,       // the grid cameras of each minute side by side
    };
    Kind kind = Kind::singleFile;
    // The file, the camera's files, or every camera's files of the minutes.
    std::vector<TeslaVideoFile> videos;
    // Seconds on the playlist's time line (for a single file, into the file); none: from the
    // start, to the end.
    std::optional<double> rangeStart;
    std::optional<double> rangeEnd;

    static ExportRequest singleFile(const TeslaVideoFile& video, std::optional<double> start = {},
                                    std::optional<double> end = {}) {
        return {Kind::singleFile, {video}, start, end};
    }
    static ExportRequest continuous(std::vector<TeslaVideoFile> videos, std::optional<double> start = {},
                                    std::optional<double> end = {}) {
        return {Kind::continuous, std::move(videos), start, end};
    }
    static ExportRequest grid(std::vector<TeslaVideoFile> videos, std::optional<double> start = {},
                              std::optional<double> end = {}) {
        return {Kind::grid, std::move(videos), start, end};
    }
};

namespace ExportPlanner {

// The playlist the request plays as, the same the preview shows: one step per file, oldest
// first, or one step per minute for the grid. Empty for a single file.
VideoSegmentPlaylist playlist(const ExportRequest& request);

// The plan over steps whose lengths are already known (the preview measured them with
// VideoSegmentPlaylist::loadStepDurations). A continuous request cuts its own files out of
// the steps by minute, so the steps may be another camera's or the grid's. A single file
// gives one piece from rangeStart to rangeEnd (0 and 0: the whole file).
ExportPlan plan(const ExportRequest& request, const std::vector<PlaybackStep>& steps,
                const std::vector<double>& stepDurations);

// The part of the playlist recorded from `before` seconds before `moment` to `after` seconds
// after it, in seconds on the playlist's time line: each step plays its minute from the start
// time of its first file, so the window may span minutes (and skips what no minute recorded).
// None when no step recorded any of it.
std::optional<std::pair<double, double>> rangeAround(const std::vector<PlaybackStep>& steps,
                                                     const std::vector<double>& stepDurations, Instant moment,
                                                     double before, double after);

// The request's own playlist, measured with `reader` (blocks), then planned as above.
ExportPlan plan(const ExportRequest& request,
                const VideoSegmentPlaylist::DurationReader& reader = VideoSegmentPlaylist::containerDuration);

} // namespace ExportPlanner
} // namespace orvane
