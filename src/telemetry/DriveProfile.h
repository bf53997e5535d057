#pragma once
// The whole drive of an event over its time line: route, speed, forces, brake and assistance
// periods, hard-brake and swerve marks, built from each minute's per-frame records.
// Pure computation on values; any thread (build it off the interface thread: it walks every record).

#include "Instant.h"
#include "TeslaTelemetrySample.h"

#include <optional>
#include <span>
#include <vector>

namespace orvane {

// Standard gravity, for accelerations given in g.
inline constexpr double standardGravity = 9.80665;

// Whether a record carries a position: proto3 leaves zero fields out, so 0/0 is "no fix", not a
// place in the Gulf of Guinea.
bool hasFix(const TeslaTelemetrySample& s);

// One frame's record placed on the event's time line.
struct DrivePoint {
    double time = 0;                 // seconds on the event's time line when its frame shows
    std::optional<double> latitude;  // degrees; absent without a position fix
    std::optional<double> longitude; // degrees
    std::optional<double> heading;   // degrees
    double speed = 0;                // m/s
    double longitudinalG = 0;        // forward positive
    double lateralG = 0;
    bool brake = false;
    bool assisted = false; // a driver-assistance mode was engaged

    bool hasPosition() const { return latitude.has_value() && longitude.has_value(); }
};

// A run of time on the event's time line, [start, end).
struct DrivePeriod {
    double start = 0;
    double end = 0;
    bool operator==(const DrivePeriod&) const = default;
};

// One recorded minute as the dashboard reads it: where it starts on the event's time line, its
// length, its records and the frame times of the file holding them (record i is frame i).
struct DriveMinute {
    double start = 0;
    double duration = 0;
    Instant recordedAt = distantPast; // when its first frame was recorded
    std::vector<TeslaTelemetrySample> samples;
    std::vector<double> frameTimes;
};

struct DriveProfile {
    // Deceleration that counts as hard braking, and how many consecutive frames must hold it
    // (one frame's spike is sensor noise, not braking).
    static constexpr double hardBrakeG = 0.35;
    static constexpr int hardBrakeFrames = 5;
    // Sideways acceleration that counts as a swerve, held as long.
    static constexpr double swerveG = 0.45;
    static constexpr int swerveFrames = 5;
    // Runs closer together than this are one mark.
    static constexpr double markMergeSeconds = 2.0;

    std::vector<DrivePoint> points; // every record of every minute, in time line order
    std::vector<DrivePeriod> braking;
    std::vector<DrivePeriod> assisted;
    std::vector<double> hardBrakes; // where each hard-braking run begins
    std::vector<double> swerves;
    double duration = 0; // the time line's length
    // The frame-exact lookup keeps each minute's own records and frame times.
    std::vector<DriveMinute> minutes;
    std::vector<size_t> minuteFirstPoint; // index into points of each minute's first record

    // Builds the profile of minutes given in time line order.
    static DriveProfile build(std::vector<DriveMinute> minutes);

    bool hasPositions() const;
    // The index into points of the record the dashboard shows at `time` (the frame's own);
    // none where no minute with records lies.
    std::optional<size_t> pointAt(double time) const;
    // The last point at or before `index` that has a position; none when none does.
    std::optional<size_t> positionedAtOrBefore(size_t index) const;
    // When the frame of point `index` was recorded; none when its minute's start is unknown.
    std::optional<Instant> recordedAt(size_t index) const;
};

} // namespace orvane
