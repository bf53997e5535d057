#pragma once
// Synthetic minutes of driving records for the drive profile's tests.

#include "DriveProfile.h"

#include <functional>
#include <utility>

namespace orvane::test {

inline constexpr double fps = 36;

// One minute of `count` records at `fps`, record i carrying latitude 30 + i / 1e4 (so each is
// told apart), the deceleration and sideways force `force(i)` gives (in g) and brake on while decelerating.
inline DriveMinute minute(double start, int count, const std::function<std::pair<double, double>(int)>& force,
                          bool frameTimes = true) {
    DriveMinute m{start, count / fps, 1.7e9 + start, {}, {}};
    for (int i = 0; i < count; ++i) {
        TeslaTelemetrySample s;
        s.frameSequenceNumber = 500 + uint64_t(i);
        s.latitude = 30 + i / 1e4;
        s.longitude = 120;
        s.heading = 359.999;
        s.speedMetersPerSecond = 10;
        const auto [decel, lateral] = force(i);
        s.linearAccelerationX = -decel * standardGravity;
        s.linearAccelerationY = lateral * standardGravity;
        s.brakeApplied = decel > 0;
        m.samples.push_back(s);
        if (frameTimes)
            m.frameTimes.push_back(i / fps);
    }
    return m;
}

// Frames [from, to) decelerate (or swerve) at `g`.
inline std::function<std::pair<double, double>(int)> run(int from, int to, double g, bool sideways = false) {
    return [=](int i) {
        const double v = i >= from && i < to ? g : 0.0;
        return sideways ? std::pair(0.0, v) : std::pair(v, 0.0);
    };
}

} // namespace orvane::test
