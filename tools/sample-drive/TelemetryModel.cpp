#include "TelemetryModel.h"

#include "EncodedPacket.h"

#include <bit>
#include <cmath>
#include <stdexcept>

namespace orvane::sample {

namespace {

constexpr double pi = 3.14159265358979323846;

// One cycle of the drive: stopped, pulling away, cruising, braking.
constexpr double stopSeconds = 8, accelerateSeconds = 12, cruiseSeconds = 40, brakeSeconds = 10;
constexpr double cycleSeconds = stopSeconds + accelerateSeconds + cruiseSeconds + brakeSeconds;
constexpr double parkedSeconds = 3; // in P at the very start of the drive
constexpr double cruiseSpeed = 16.0; // m/s
constexpr float percentPerFraction = 100.0f;

void putVarint(std::vector<uint8_t>& out, uint64_t v) {
    while (v >= 0x80) {
        out.push_back(uint8_t(v) | 0x80);
        v >>= 7;
    }
    out.push_back(uint8_t(v));
}
void putTag(std::vector<uint8_t>& out, int field, int wireType) { putVarint(out, uint64_t(field) << 3 | wireType); }
void putFloat(std::vector<uint8_t>& out, int field, float v) {
    if (v == 0)
        return;
    putTag(out, field, 5);
    const uint32_t bits = std::bit_cast<uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        out.push_back(uint8_t(bits >> (8 * i)));
}
void putDouble(std::vector<uint8_t>& out, int field, double v) {
    if (v == 0)
        return;
    putTag(out, field, 1);
    const uint64_t bits = std::bit_cast<uint64_t>(v);
    for (int i = 0; i < 8; ++i)
        out.push_back(uint8_t(bits >> (8 * i)));
}
void putUnsigned(std::vector<uint8_t>& out, int field, uint64_t v) {
    if (v == 0)
        return;
    putTag(out, field, 0);
    putVarint(out, v);
}

} // namespace

TelemetryRecord telemetryAt(uint64_t seed, int64_t frameSerial, int framesPerSecond) {
    const double t = double(frameSerial) / framesPerSecond;
    const double phase = double(seed % 997) / 997.0; // varies turns and stops between seeds
    TelemetryRecord r;
    r.frameSequenceNumber = 1000 + seed % 100000 + uint64_t(frameSerial);

    const double c = std::fmod(t + phase * cycleSeconds, cycleSeconds);
    double speed = 0, accel = 0;
    if (c < stopSeconds) {
        speed = 0;
        r.brakeApplied = true;
    } else if (c < stopSeconds + accelerateSeconds) {
        const double u = (c - stopSeconds) / accelerateSeconds;
        speed = cruiseSpeed * u;
        accel = cruiseSpeed / accelerateSeconds;
        r.accelerator = float(25 + 30 * std::sin(pi * u));
    } else if (c < stopSeconds + accelerateSeconds + cruiseSeconds) {
        speed = cruiseSpeed + 1.5 * std::sin(t / 5);
        r.accelerator = float(18 + 4 * std::sin(t / 3));
        r.autopilotState = c > stopSeconds + accelerateSeconds + 10 ? 2 : 0;
    } else {
        const double u = (c - stopSeconds - accelerateSeconds - cruiseSeconds) / brakeSeconds;
        speed = cruiseSpeed * (1 - u);
        accel = -cruiseSpeed / brakeSeconds;
        r.brakeApplied = true;
    }
    r.gear = t < parkedSeconds ? 0 : 1;
    if (r.gear == 0) {
        speed = 0;
        accel = 0;
        r.accelerator = 0;
    }
    r.speedMetersPerSecond = float(speed);

    // A turn every 25 s while moving, signalled 3 s ahead.
    const double turnClock = std::fmod(t + phase * 25, 25.0);
    const bool turnRight = int((t + phase * 25) / 25) % 2 == 0;
    if (speed > 1 && turnClock > 17) {
        const double u = turnClock < 20 ? 0 : std::sin(pi * (turnClock - 20) / 5);
        r.steeringAngle = float((turnRight ? 1 : -1) * 90 * u);
        // Blinkers flash at 1.5 Hz like the car's.
        const bool lit = std::fmod(t, 0.66) < 0.33;
        r.leftBlinker = !turnRight && lit;
        r.rightBlinker = turnRight && lit;
    } else {
        r.steeringAngle = float(2 * std::sin(t));
    }

    r.heading = std::fmod(90 + 360 * phase + 4 * t, 360.0);
    r.latitude = 31.2304 + 0.0001 * t * std::cos(r.heading * pi / 180);
    r.longitude = 121.4737 + 0.0001 * t * std::sin(r.heading * pi / 180);
    r.linearAccelerationX = accel;
    r.linearAccelerationY = speed * speed / 50.0 * std::sin(r.steeringAngle * pi / 180);
    r.linearAccelerationZ = 9.81;
    return r;
}

TelemetryRecord onPedalScale(TelemetryRecord record, PedalScale scale) {
    if (scale == PedalScale::fraction)
        record.accelerator /= percentPerFraction;
    return record;
}

std::vector<uint8_t> encodeTelemetryMessage(const TelemetryRecord& r) {
    std::vector<uint8_t> out;
    putUnsigned(out, 1, r.version);
    putUnsigned(out, 2, uint64_t(r.gear));
    putUnsigned(out, 3, r.frameSequenceNumber);
    putFloat(out, 4, r.speedMetersPerSecond);
    putFloat(out, 5, r.accelerator);
    putFloat(out, 6, r.steeringAngle);
    putUnsigned(out, 7, r.leftBlinker);
    putUnsigned(out, 8, r.rightBlinker);
    putUnsigned(out, 9, r.brakeApplied);
    putUnsigned(out, 10, r.autopilotState);
    putDouble(out, 11, r.latitude);
    putDouble(out, 12, r.longitude);
    putDouble(out, 13, r.heading);
    putDouble(out, 14, r.linearAccelerationX);
    putDouble(out, 15, r.linearAccelerationY);
    putDouble(out, 16, r.linearAccelerationZ);
    return out;
}

std::vector<uint8_t> telemetrySeiNal(const TelemetryRecord& record) {
    static constexpr uint8_t marker[] = {0x42, 0x42, 0x42, 0x69};
    const std::vector<uint8_t> message = encodeTelemetryMessage(record);
    const size_t payloadSize = sizeof marker + message.size();
    if (payloadSize > 255)
        throw std::logic_error("telemetry payload does not fit one size byte");
    std::vector<uint8_t> rbsp = {5, uint8_t(payloadSize)};
    rbsp.insert(rbsp.end(), std::begin(marker), std::end(marker));
    rbsp.insert(rbsp.end(), message.begin(), message.end());
    rbsp.push_back(0x80);
    std::vector<uint8_t> nal = {0x06};
    const std::vector<uint8_t> escaped = media::addEmulationPrevention(rbsp);
    nal.insert(nal.end(), escaped.begin(), escaped.end());
    return nal;
}

} // namespace orvane::sample
