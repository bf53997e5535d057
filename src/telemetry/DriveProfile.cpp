#include "DriveProfile.h"

#include "TelemetryInterpolation.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace orvane {

namespace {

// Records without a longitudinal acceleration (older firmware) take it from the change of
// speed over this many seconds either side, which smooths the speed's steps.
constexpr double speedSlopeSeconds = 0.25;

// `accelerometer`: the minute's records carry accelerations (proto3 leaves a zero out, so a
// record without one then means 0; a minute without any takes it from the speed).
DrivePoint pointOf(const TeslaTelemetrySample& s, double time, bool accelerometer) {
    DrivePoint p;
    p.time = time;
    if (hasFix(s)) {
        p.latitude = s.latitude;
        p.longitude = s.longitude;
        p.heading = s.heading;
    }
    p.speed = s.speedMetersPerSecond;
    p.longitudinalG = s.linearAccelerationX.value_or(accelerometer ? 0.0 : NAN) / standardGravity;
    p.lateralG = s.linearAccelerationY.value_or(0) / standardGravity;
    p.brake = s.brakeApplied;
    p.assisted = s.autopilotState.value_or(0) != 0;
    return p;
}

// Fills the longitudinal accelerations of one minute's points from the slope of the speed,
// never across a minute's edge (the footage between may be missing).
void deriveAcceleration(std::span<DrivePoint> points) {
    size_t from = 0, to = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        while (points[i].time - points[from].time > speedSlopeSeconds)
            ++from;
        to = std::max(to, i);
        while (to + 1 < points.size() && points[to + 1].time - points[i].time <= speedSlopeSeconds)
            ++to;
        const double span = points[to].time - points[from].time;
        points[i].longitudinalG =
            span > 0 ? (points[to].speed - points[from].speed) / span / standardGravity : 0;
    }
}

std::vector<DrivePeriod> periods(const std::vector<DrivePoint>& points, bool DrivePoint::*flag, double end) {
    std::vector<DrivePeriod> runs;
    for (size_t i = 0; i < points.size(); ++i) {
        if (!(points[i].*flag))
            continue;
        const double until = i + 1 < points.size() ? points[i + 1].time : end;
        if (!runs.empty() && i > 0 && points[i - 1].*flag)
            runs.back().end = until;
        else
            runs.push_back({points[i].time, until});
    }
    return runs;
}

// The first time of every run of at least `minFrames` consecutive points that hold; a run
// starting within markMergeSeconds of the previous one's end adds no mark.
std::vector<double> marks(const std::vector<DrivePoint>& points,
                          const std::function<bool(const DrivePoint&)>& holds, int minFrames) {
    std::vector<double> found;
    std::optional<double> lastEnd;
    size_t runStart = 0;
    int run = 0;
    for (size_t i = 0; i <= points.size(); ++i) {
        if (i < points.size() && holds(points[i])) {
            if (run++ == 0)
                runStart = i;
            continue;
        }
        if (run >= minFrames) {
            const double start = points[runStart].time;
            if (!lastEnd || start - *lastEnd > DriveProfile::markMergeSeconds)
                found.push_back(start);
            lastEnd = points[i - 1].time;
        }
        run = 0;
    }
    return found;
}

} // namespace

bool hasFix(const TeslaTelemetrySample& s) {
    return s.latitude && s.longitude && (*s.latitude != 0 || *s.longitude != 0) &&
           std::isfinite(*s.latitude) && std::isfinite(*s.longitude);
}

DriveProfile DriveProfile::build(std::vector<DriveMinute> minutes) {
    DriveProfile profile;
    for (const DriveMinute& minute : minutes) {
        const size_t first = profile.points.size();
        profile.minuteFirstPoint.push_back(first);
        const bool accelerometer =
            std::any_of(minute.samples.begin(), minute.samples.end(),
                        [](const TeslaTelemetrySample& s) { return s.linearAccelerationX.has_value(); });
        for (size_t i = 0; i < minute.samples.size(); ++i) {
            const double local =
                TelemetryInterpolator::recordTime(minute.samples, minute.frameTimes, int(i), minute.duration);
            profile.points.push_back(pointOf(minute.samples[i], minute.start + local, accelerometer));
        }
        if (!accelerometer)
            deriveAcceleration(std::span(profile.points).subspan(first));
        profile.duration = std::max(profile.duration, minute.start + minute.duration);
    }
    profile.braking = periods(profile.points, &DrivePoint::brake, profile.duration);
    profile.assisted = periods(profile.points, &DrivePoint::assisted, profile.duration);
    profile.hardBrakes = marks(
        profile.points, [](const DrivePoint& p) { return -p.longitudinalG > hardBrakeG; }, hardBrakeFrames);
    profile.swerves = marks(
        profile.points, [](const DrivePoint& p) { return std::abs(p.lateralG) > swerveG; }, swerveFrames);
    profile.minutes = std::move(minutes);
    return profile;
}

bool DriveProfile::hasPositions() const {
    return std::any_of(points.begin(), points.end(), [](const DrivePoint& p) { return p.hasPosition(); });
}

std::optional<size_t> DriveProfile::pointAt(double time) const {
    // The minute shown at a boundary is the later one, as the players resolve it.
    const auto after = std::upper_bound(minutes.begin(), minutes.end(), time,
                                        [](double t, const DriveMinute& m) { return t < m.start; });
    if (after == minutes.begin())
        return std::nullopt;
    const size_t m = size_t(after - minutes.begin() - 1);
    const DriveMinute& minute = minutes[m];
    const auto index = TelemetryInterpolator::shownIndex(minute.samples, minute.frameTimes,
                                                         time - minute.start, minute.duration);
    if (!index)
        return std::nullopt;
    return minuteFirstPoint[m] + size_t(*index);
}

std::optional<Instant> DriveProfile::recordedAt(size_t index) const {
    const auto after = std::upper_bound(minuteFirstPoint.begin(), minuteFirstPoint.end(), index);
    const DriveMinute& minute = minutes[size_t(after - minuteFirstPoint.begin() - 1)];
    if (minute.recordedAt <= distantPast)
        return std::nullopt;
    return minute.recordedAt + (points[index].time - minute.start);
}

std::optional<size_t> DriveProfile::positionedAtOrBefore(size_t index) const {
    for (size_t i = std::min(index + 1, points.size()); i-- > 0;)
        if (points[i].hasPosition())
            return i;
    return std::nullopt;
}

} // namespace orvane
