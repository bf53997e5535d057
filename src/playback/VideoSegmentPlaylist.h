#pragma once

#include "EventLength.h"
#include "PlaybackStep.h"

#include <QString>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace orvane {

// Where a playback position falls: the file, the time inside it and the step's length.
struct PlaybackSegmentContext {
    TeslaVideoFile video;
    double localTime = 0;
    double duration = 0;
    std::optional<int> stepIndex; // absent when resolved without a playlist
};

// An ordered list of steps that plays as one continuous time line. Equal signatures mean the
// same files in the same order.
struct VideoSegmentPlaylist {
    std::vector<PlaybackStep> steps;
    QString signature;

    // Lengths a step gets when none of its files can be measured (one dashcam file).
    static constexpr double fallbackStepDuration = EventLength::unmeasuredMinute;

    // A file's duration in seconds, or nothing when it cannot be read.
    using DurationReader = EventLength::DurationReader;

    // One single step per file, oldest first (stable for equal start times).
    static VideoSegmentPlaylist singleCamera(const std::vector<TeslaVideoFile>& videos);
    // One multi-camera step per recorded minute, oldest first.
    static VideoSegmentPlaylist multiCamera(const std::vector<TeslaVideoFile>& videos);

    // The length of every step: its minute's (EventLength::ofMinute), so one camera alone and
    // the grid give a minute the same place on the time line. Files are read one after
    // another; this blocks, so callers run it off the interface thread.
    static std::vector<double> loadStepDurations(const std::vector<PlaybackStep>& steps,
                                                 const DurationReader& reader = containerDuration);
    static std::optional<double> containerDuration(const QString& url);

    // The step and the time inside it for a position on the whole playlist. A time on a
    // boundary belongs to the later step, whose first picture is the one shown there (the
    // earlier step's last picture ends before it); the end of the last step stays in it, and
    // times outside the playlist clamp to its ends.
    static std::optional<std::pair<int, double>> locate(double globalTime, const std::vector<double>& durations);
    // The position on the whole playlist; 0 for an index outside the list.
    static double globalTime(int stepIndex, double localTime, const std::vector<double>& durations);
};

} // namespace orvane
