#pragma once
// Maps a position inside one recorded file onto that file's telemetry samples: the record the
// dashboard shows and a smoothed steering angle. Pure functions; any thread.

#include "TeslaTelemetrySample.h"

#include <optional>
#include <span>

namespace orvane {

// Two neighbouring sample indices and the position between them (0 at lower, 1 at upper).
struct TelemetryInterpolation {
    int lower = 0;
    int upper = 0;
    double fraction = 0;
    bool operator==(const TelemetryInterpolation&) const = default;
};

namespace TelemetryInterpolator {

// localTime / duration within 0…1; 0 when the duration is not a positive finite number or
// the quotient is not above 0.
double progress(double localTime, double duration);

// The same by the file's own frame times (seconds from its first frame, ascending): the shown
// frame's index plus the way through it, over the last index. With fewer than two times it is
// progress(localTime, duration).
double progressByFrames(double localTime, std::span<const double> frameTimes, double duration);

// Through the car's frame counter, which stays in step with the video when records were
// dropped. None when the counter cannot be used (first or last sample without one, not
// increasing, or a gap in the numbering met by the search): the caller falls back to indices.
std::optional<TelemetryInterpolation> byFrameNumber(std::span<const TeslaTelemetrySample> samples,
                                                    double progress);

// Assumes evenly spaced records over the file. `count` must be at least 1.
TelemetryInterpolation byIndex(int count, double progress);

// The position for a progress through the file; none without samples.
std::optional<TelemetryInterpolation> interpolate(std::span<const TeslaTelemetrySample> samples,
                                                  double progress);

// The record nearest the position: lower below half way, else upper.
const TeslaTelemetrySample& nearestSample(std::span<const TeslaTelemetrySample> samples,
                                          const TelemetryInterpolation& at);

// The steering angle between the two records, in double precision.
double steeringAngle(std::span<const TeslaTelemetrySample> samples, const TelemetryInterpolation& at);

// What the dashboard shows at a moment of a file: the position between records, the record
// of the frame there and the steering angle between its records.
struct ShownRecord {
    TelemetryInterpolation at;
    TeslaTelemetrySample sample;
    double steeringAngle = 0;
};

// The record for `localTime` seconds into a file of `duration` seconds whose frames were shown
// at `frameTimes` (record i belongs to frame i): with two or more frame times the frame's own
// record, else the nearest one. None without samples.
std::optional<ShownRecord> shownRecord(std::span<const TeslaTelemetrySample> samples,
                                       std::span<const double> frameTimes, double localTime, double duration);

// The index of the record shownRecord picks.
std::optional<int> shownIndex(std::span<const TeslaTelemetrySample> samples,
                              std::span<const double> frameTimes, double localTime, double duration);

// Where in the file record `index` comes on screen: the inverse of shownIndex, for placing
// records on a time line.
double recordTime(std::span<const TeslaTelemetrySample> samples, std::span<const double> frameTimes,
                  int index, double duration);

} // namespace TelemetryInterpolator
} // namespace orvane
