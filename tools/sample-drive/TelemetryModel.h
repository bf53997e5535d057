#pragma once

#include <cstdint>
#include <vector>

namespace orvane::sample {

// Everything the generator writes into one frame's telemetry message.
struct TelemetryRecord {
    uint32_t version = 1;
    int64_t gear = 0; // 0 P, 1 D, 2 R, 3 N
    uint64_t frameSequenceNumber = 0;
    float speedMetersPerSecond = 0;
    float accelerator = 0;
    float steeringAngle = 0;
    bool leftBlinker = false;
    bool rightBlinker = false;
    bool brakeApplied = false;
    uint32_t autopilotState = 0;
    double latitude = 0;
    double longitude = 0;
    double heading = 0;
    double linearAccelerationX = 0;
    double linearAccelerationY = 0;
    double linearAccelerationZ = 0;

    bool operator==(const TelemetryRecord&) const = default;
};

// How the pedal position is written: percent (0…100) or, as some firmware does, a fraction (0…1).
enum class PedalScale { percent, fraction };

// The record with its pedal position written on `scale`.
TelemetryRecord onPedalScale(TelemetryRecord record, PedalScale scale);

// A plausible drive, as a pure function of the seed and the frame's position in the drive
// (`frameSerial` counts frames from the drive's first recorded second): parking, pulling away,
// cruising with turns and blinkers, braking to stops.
TelemetryRecord telemetryAt(uint64_t seed, int64_t frameSerial, int framesPerSecond);

// The protobuf encoding (proto3: zero-valued fields left out).
std::vector<uint8_t> encodeTelemetryMessage(const TelemetryRecord& record);

// A whole SEI NAL unit as the car frames it: header 0x06, payload type 5, one size byte, a
// run of 0x42 ending in 0x69, the message, the 0x80 trailing byte; emulation prevention applied.
std::vector<uint8_t> telemetrySeiNal(const TelemetryRecord& record);

} // namespace orvane::sample
