#pragma once

#include "TelemetryModel.h"
#include "TeslaTelemetrySample.h"

#include <bit>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <vector>

namespace orvane::test {

using Bytes = std::vector<uint8_t>;

inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

inline Bytes repeated(uint8_t byte, size_t count) {
    return Bytes(count, byte);
}

inline Bytes bigEndian32(uint32_t v) {
    return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}
inline Bytes bigEndian64(uint64_t v) {
    return bigEndian32(uint32_t(v >> 32)) + bigEndian32(uint32_t(v));
}

inline Bytes littleEndian(float v) {
    const uint32_t bits = std::bit_cast<uint32_t>(v);
    return {uint8_t(bits), uint8_t(bits >> 8), uint8_t(bits >> 16), uint8_t(bits >> 24)};
}
inline Bytes littleEndian(double v) {
    const uint64_t bits = std::bit_cast<uint64_t>(v);
    Bytes out;
    for (int i = 0; i < 8; ++i)
        out.push_back(uint8_t(bits >> (8 * i)));
    return out;
}

inline Bytes ascii(const char* text) {
    Bytes out;
    while (*text)
        out.push_back(uint8_t(*text++));
    return out;
}

// A top-level box with a 32-bit size that matches its payload.
inline Bytes box(const char* type, const Bytes& payload = {}) {
    return bigEndian32(uint32_t(8 + payload.size())) + ascii(type) + payload;
}
// A box header with the size field as given (0, 1..7, or anything that lies).
inline Bytes boxHeader(uint32_t size, const char* type) {
    return bigEndian32(size) + ascii(type);
}
// A box header with the 64-bit size form.
inline Bytes largeBoxHeader(uint64_t size, const char* type) {
    return bigEndian32(1) + ascii(type) + bigEndian64(size);
}

// One NAL unit with its 4-byte big-endian length prefix.
inline Bytes unit(const Bytes& nal) {
    return bigEndian32(uint32_t(nal.size())) + nal;
}

// A length-prefixed telemetry SEI unit as the car writes it, carrying `frame`.
inline Bytes telemetryUnit(uint64_t frame) {
    sample::TelemetryRecord record;
    record.frameSequenceNumber = frame;
    return unit(sample::telemetrySeiNal(record));
}
// A length-prefixed slice of `size` bytes (IDR type 5).
inline Bytes videoUnit(size_t size) {
    return unit(Bytes{0x65} + repeated(0xAB, size - 1));
}

// What the reader yields for a record the sample drive wrote (proto3 leaves zeros out).
inline TeslaTelemetrySample expectedSample(const sample::TelemetryRecord& r) {
    auto present = [](auto v) -> std::optional<decltype(v)> {
        if (v == 0)
            return std::nullopt;
        return v;
    };
    TeslaTelemetrySample s;
    s.frameSequenceNumber = present(r.frameSequenceNumber);
    s.gear = r.gear;
    s.speedMetersPerSecond = r.speedMetersPerSecond;
    s.accelerator = r.accelerator;
    s.steeringAngle = r.steeringAngle;
    s.leftBlinker = r.leftBlinker;
    s.rightBlinker = r.rightBlinker;
    s.brakeApplied = r.brakeApplied;
    s.version = present(uint64_t(r.version));
    s.autopilotState = present(uint64_t(r.autopilotState));
    s.latitude = present(r.latitude);
    s.longitude = present(r.longitude);
    s.heading = present(r.heading);
    s.linearAccelerationX = present(r.linearAccelerationX);
    s.linearAccelerationY = present(r.linearAccelerationY);
    s.linearAccelerationZ = present(r.linearAccelerationZ);
    return s;
}

} // namespace orvane::test
