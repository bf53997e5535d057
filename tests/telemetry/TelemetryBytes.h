#pragma once

#include "TelemetryModel.h"
#include "TeslaTelemetrySample.h"

#include <bit>
#include <cstdint>
#include <optional>
#include <string_view>
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

template <typename T> Bytes littleEndian(T v) {
    const auto bits = std::bit_cast<std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>>(v);
    Bytes out;
    for (size_t i = 0; i < sizeof(T); ++i)
        out.push_back(uint8_t(bits >> (8 * i)));
    return out;
}

inline Bytes ascii(std::string_view text) {
    return Bytes(text.begin(), text.end());
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
    return bigEndian32(1) + ascii(type) + bigEndian32(uint32_t(size >> 32)) + bigEndian32(uint32_t(size));
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
    auto present = [](auto v) { return v == 0 ? std::nullopt : std::optional(v); };
    return {present(r.frameSequenceNumber),
            r.gear,
            r.speedMetersPerSecond,
            r.accelerator,
            r.steeringAngle,
            r.leftBlinker,
            r.rightBlinker,
            r.brakeApplied,
            present(uint64_t(r.version)),
            present(uint64_t(r.autopilotState)),
            present(r.latitude),
            present(r.longitude),
            present(r.heading),
            present(r.linearAccelerationX),
            present(r.linearAccelerationY),
            present(r.linearAccelerationZ)};
}

} // namespace orvane::test
