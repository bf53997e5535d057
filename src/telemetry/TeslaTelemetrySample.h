#pragma once

#include <cstdint>
#include <optional>

namespace orvane {

// One frame's driving record as the car wrote it. Fields missing from the message keep the
// defaults below; nothing is range-checked.
struct TeslaTelemetrySample {
    std::optional<uint64_t> frameSequenceNumber;
    int64_t gear = 0; // 0 P, 1 D, 2 R, 3 N; anything else is an unknown gear
    float speedMetersPerSecond = 0;
    float accelerator = 0;   // percent
    float steeringAngle = 0; // degrees, sign as sent
    bool leftBlinker = false;
    bool rightBlinker = false;
    bool brakeApplied = false;

    // Further fields the car sends; absent when the message lacks them.
    std::optional<uint64_t> version;
    std::optional<uint64_t> autopilotState;
    std::optional<double> latitude;            // degrees
    std::optional<double> longitude;           // degrees
    std::optional<double> heading;             // degrees
    std::optional<double> linearAccelerationX; // m/s²
    std::optional<double> linearAccelerationY;
    std::optional<double> linearAccelerationZ;

    bool operator==(const TeslaTelemetrySample&) const = default;
};

} // namespace orvane
