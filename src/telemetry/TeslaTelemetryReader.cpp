#include "TeslaTelemetryReader.h"

#include <bit>
#include <cstring>
#include <limits>

namespace orvane::TeslaTelemetryReader {

namespace {

// Units of 16 MiB or more are not H.264 from the car: the walk treats them as damage.
constexpr uint32_t maxUnitLength = 0x1000000;
constexpr uint8_t seiNalType = 6;
constexpr uint8_t userDataUnregistered = 5;
constexpr uint8_t markerRunByte = 0x42;
constexpr uint8_t markerEndByte = 0x69;

enum WireType : uint64_t { varint = 0, fixed64 = 1, lengthDelimited = 2, fixed32 = 5 };

// Offsets beyond this cannot be in any file (off_t is signed 64-bit).
constexpr uint64_t maxFileOffset = uint64_t(std::numeric_limits<int64_t>::max());

uint32_t bigEndianUInt32(std::span<const uint8_t, 4> bytes) {
    uint32_t value = 0;
    for (uint8_t b : bytes)
        value = value << 8 | b;
    return value;
}

uint64_t bigEndianUInt64(std::span<const uint8_t, 8> bytes) {
    uint64_t value = 0;
    for (uint8_t b : bytes)
        value = value << 8 | b;
    return value;
}

template <typename T> T littleEndian(std::span<const uint8_t> bytes) {
    using Bits = std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>;
    Bits bits = 0;
    for (size_t i = 0; i < sizeof(T); ++i)
        bits |= Bits(bytes[i]) << (8 * i);
    return std::bit_cast<T>(bits);
}

// Moves the cursor by `count` unless that passes the end; never overflows.
bool advance(std::span<const uint8_t> data, size_t& cursor, uint64_t count) {
    if (cursor > data.size() || count > data.size() - cursor)
        return false;
    cursor += size_t(count);
    return true;
}

} // namespace

std::vector<TeslaTelemetrySample> read(const QString& path) {
    ReadOnlyFile file(path);
    const MdatPayload mdat = findMdat(file);
    file.seek(mdat.offset);

    std::vector<TeslaTelemetrySample> samples;
    std::vector<uint8_t> unit;
    uint64_t consumed = 0;
    // Checked before the first unit too, so an empty mdat never reads the box after it.
    while (!mdat.length || consumed < *mdat.length) {
        uint8_t prefix[4];
        if (file.read(prefix, 4) < 4)
            break;
        const uint32_t length = bigEndianUInt32(prefix);
        if (length == 0 || length >= maxUnitLength)
            break;
        consumed += 4 + uint64_t(length);
        const uint64_t next = file.offset() + length;
        if (length > 4) {
            // The first two bytes decide; anything else (video) is skipped without reading it.
            // A truncated unit that is skipped ends the walk at the next length prefix instead.
            uint8_t head[2];
            if (file.read(head, 2) < 2)
                break;
            if ((head[0] & 0x1F) == seiNalType && head[1] == userDataUnregistered) {
                // A length that runs past the end would only be read short: never allocate for it.
                if (next > file.size())
                    break;
                unit.resize(length);
                unit[0] = head[0];
                unit[1] = head[1];
                if (file.read(unit.data() + 2, length - 2) < length - 2)
                    break;
                if (const auto payload = protobufPayload(unit))
                    if (const auto sample = parse(*payload))
                        samples.push_back(*sample);
            }
        }
        file.seek(next);
    }
    return samples;
}

MdatPayload findMdat(ReadOnlyFile& file) {
    const auto corrupt = [&] { return TeslaTelemetryReaderError::corruptFile(file.path()); };
    file.seek(0);
    for (;;) {
        uint8_t header[8];
        if (file.read(header, 8) < 8)
            throw corrupt();
        uint64_t size = bigEndianUInt32(std::span(header).first<4>());
        const bool isMdat = std::memcmp(header + 4, "mdat", 4) == 0;
        uint64_t headerLength = 8;
        if (size == 1) {
            uint8_t largeSize[8];
            if (file.read(largeSize, 8) < 8)
                throw corrupt();
            size = bigEndianUInt64(largeSize);
            headerLength = 16;
        }
        if (isMdat && size == 0)
            return {file.offset(), std::nullopt};
        // Smaller than its own header, mdat included: no length can be trusted after it.
        if (size < headerLength)
            throw corrupt();
        if (isMdat)
            return {file.offset(), size - headerLength};
        const uint64_t rest = size - headerLength;
        if (rest > maxFileOffset - file.offset())
            throw corrupt();
        file.seek(file.offset() + rest);
    }
}

std::optional<std::vector<uint8_t>> protobufPayload(std::span<const uint8_t> nalUnit) {
    // Bytes 0..2 are the NAL header, the SEI payload type and its one-byte size.
    constexpr size_t markerStart = 3;
    if (nalUnit.size() <= markerStart + 1)
        return std::nullopt;
    const size_t last = nalUnit.size() - 1; // RBSP trailing byte, never part of the marker
    size_t i = markerStart;
    while (i < last && nalUnit[i] == markerRunByte)
        ++i;
    if (i == last || nalUnit[i] != markerEndByte)
        return std::nullopt;
    return removeEmulationBytes(nalUnit.subspan(i + 1, last - (i + 1)));
}

std::vector<uint8_t> removeEmulationBytes(std::span<const uint8_t> bytes) {
    std::vector<uint8_t> out;
    out.reserve(bytes.size());
    int zeros = 0;
    for (uint8_t b : bytes) {
        if (b == 0x03 && zeros >= 2) {
            zeros = 0;
            continue;
        }
        out.push_back(b);
        zeros = b == 0 ? zeros + 1 : 0;
    }
    return out;
}

std::optional<uint64_t> readVarint(std::span<const uint8_t> data, size_t& cursor) {
    uint64_t value = 0;
    for (unsigned shift = 0;; shift += 7) {
        if (cursor >= data.size() || shift > 63)
            return std::nullopt;
        const uint8_t byte = data[cursor++];
        value |= uint64_t(byte & 0x7F) << shift; // the tenth byte contributes its lowest bit only
        if (!(byte & 0x80))
            return value;
    }
}

bool skipField(uint64_t wireType, std::span<const uint8_t> data, size_t& cursor) {
    switch (wireType) {
    case varint:
        return readVarint(data, cursor).has_value();
    case fixed64:
        return advance(data, cursor, 8);
    case lengthDelimited: {
        const auto length = readVarint(data, cursor);
        return length && advance(data, cursor, *length);
    }
    case fixed32:
        return advance(data, cursor, 4);
    default: // groups (3, 4) and the undefined 6, 7
        return false;
    }
}

std::optional<TeslaTelemetrySample> parse(std::span<const uint8_t> message) {
    TeslaTelemetrySample s;
    size_t cursor = 0;
    while (cursor < message.size()) {
        const auto tag = readVarint(message, cursor);
        if (!tag)
            return std::nullopt;
        const uint64_t field = *tag >> 3;
        const uint64_t wireType = *tag & 7;
        const size_t remaining = message.size() - cursor;

        if (wireType == varint && (field == 2 || field == 3 || (field >= 7 && field <= 9))) {
            // A varint that runs off the end resets the field and parsing goes on from there.
            const auto v = readVarint(message, cursor);
            switch (field) {
            case 2:
                if (v && *v > uint64_t(std::numeric_limits<int64_t>::max()))
                    return std::nullopt; // not a gear the car can send
                s.gear = v ? int64_t(*v) : 0;
                break;
            case 3:
                s.frameSequenceNumber = v;
                break;
            case 7:
                s.leftBlinker = v.value_or(0) != 0;
                break;
            case 8:
                s.rightBlinker = v.value_or(0) != 0;
                break;
            case 9:
                s.brakeApplied = v.value_or(0) != 0;
                break;
            }
        } else if (wireType == fixed32 && field >= 4 && field <= 6) {
            // Too short: the field is 0 and the remaining bytes are read as the next tag.
            float value = 0;
            if (remaining >= 4) {
                value = littleEndian<float>(message.subspan(cursor, 4));
                cursor += 4;
            }
            (field == 4 ? s.speedMetersPerSecond : field == 5 ? s.accelerator : s.steeringAngle) = value;
        } else if (wireType == varint && (field == 1 || field == 10)) {
            // The additional fields fail exactly as skipping them would, so they never change
            // whether a message yields a sample.
            const auto v = readVarint(message, cursor);
            if (!v)
                return std::nullopt;
            (field == 1 ? s.version : s.autopilotState) = v;
        } else if (wireType == fixed64 && field >= 11 && field <= 16) {
            if (remaining < 8)
                return std::nullopt;
            const double value = littleEndian<double>(message.subspan(cursor, 8));
            cursor += 8;
            std::optional<double>* targets[] = {&s.latitude,
                                                &s.longitude,
                                                &s.heading,
                                                &s.linearAccelerationX,
                                                &s.linearAccelerationY,
                                                &s.linearAccelerationZ};
            *targets[field - 11] = value;
        } else if (!skipField(wireType, message, cursor)) {
            return std::nullopt;
        }
    }
    return s;
}

} // namespace orvane::TeslaTelemetryReader
