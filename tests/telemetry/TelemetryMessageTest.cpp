// Byte-level decoding of one telemetry message and of the SEI unit around it.

#include "TelemetryBytes.h"
#include "TeslaTelemetryReader.h"

#include <gtest/gtest.h>
#include <limits>

using namespace orvane;
using namespace orvane::test;
namespace reader = orvane::TeslaTelemetryReader;

namespace {

TEST(VarintTest, ReadsAndStopsWhereTheBytesSay) {
    const struct {
        const char* name;
        Bytes bytes;
        size_t cursor;
        std::optional<uint64_t> value;
        size_t cursorAfter;
    } cases[] = {
        {"from the middle, stopping at the last byte", {0xAA, 0x96, 0x01, 0x7F}, 1, 150, 3},
        {"runs off the end", {0x80}, 0, std::nullopt, 1},
        {"ten bytes, largest value", repeated(0xFF, 9) + Bytes{0x01}, 0, std::numeric_limits<uint64_t>::max(),
         10},
        // Only the lowest bit of the tenth byte fits 64 bits; the rest is dropped.
        {"tenth byte truncated", repeated(0x80, 9) + Bytes{0x02}, 0, 0, 10},
        {"eleven continuation bytes", repeated(0xFF, 11), 0, std::nullopt, 10},
    };
    for (const auto& c : cases) {
        size_t cursor = c.cursor;
        EXPECT_EQ(reader::readVarint(c.bytes, cursor), c.value) << c.name;
        EXPECT_EQ(cursor, c.cursorAfter) << c.name;
    }
}

TEST(EmulationBytesTest, DropsTheThreeAfterTwoZerosOnly) {
    const std::pair<Bytes, Bytes> cases[] = {
        {{0, 0, 3, 1}, {0, 0, 1}},
        {{0, 3}, {0, 3}},
        {{0, 0, 3, 3}, {0, 0, 3}}, // the byte after a dropped one is not checked
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(reader::removeEmulationBytes(in), out) << testing::PrintToString(in);
}

TEST(ProtobufPayloadTest, FindsTheMarkerRunAndUnescapesWhatFollows) {
    const Bytes head = {0x06, 0x05, 0x10};
    const Bytes message = {0x10, 0x01, 0x18, 0x2A};
    const struct {
        const char* name;
        Bytes unit;
        std::optional<Bytes> payload;
    } cases[] = {
        {"marker run", head + Bytes{0x42, 0x42, 0x69} + message + Bytes{0x80}, message},
        {"escaped message", head + Bytes{0x69, 0x00, 0x00, 0x03, 0x01, 0x80}, Bytes{0x00, 0x00, 0x01}},
        {"wrong end byte", head + Bytes{0x42, 0x68} + message + Bytes{0x80}, std::nullopt},
        {"marker tested before unescaping", head + Bytes{0x00, 0x00, 0x03, 0x69, 0x80}, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(reader::protobufPayload(c.unit), c.payload) << c.name;
}

Bytes tag(uint64_t field, uint64_t wireType) {
    Bytes out;
    for (uint64_t v = field << 3 | wireType;; v >>= 7) {
        out.push_back(uint8_t(v & 0x7F) | (v >= 0x80 ? 0x80 : 0));
        if (v < 0x80)
            return out;
    }
}

TEST(TelemetryParseTest, FieldsWireTypesAndFailures) {
    using S = TeslaTelemetrySample;
    const Bytes speed = tag(4, 5) + littleEndian(12.5f);
    const struct {
        const char* name;
        Bytes message;
        std::optional<S> sample;
    } cases[] = {
        {"empty message: every default", {}, S{}},
        {"the eight fields",
         tag(2, 0) + Bytes{2} + tag(3, 0) + Bytes{0x96, 0x01} + speed + tag(5, 5) + littleEndian(40.0f) +
             tag(6, 5) + littleEndian(-90.5f) + tag(7, 0) + Bytes{1} + tag(8, 0) + Bytes{5} + tag(9, 0) +
             Bytes{1},
         S{.frameSequenceNumber = 150,
           .gear = 2,
           .speedMetersPerSecond = 12.5f,
           .accelerator = 40,
           .steeringAngle = -90.5f,
           .leftBlinker = true,
           .rightBlinker = true,
           .brakeApplied = true}},
        {"the further fields",
         tag(1, 0) + Bytes{3} + tag(10, 0) + Bytes{2} + tag(11, 1) + littleEndian(31.25) + tag(12, 1) +
             littleEndian(121.5) + tag(13, 1) + littleEndian(359.75) + tag(14, 1) + littleEndian(-1.5) +
             tag(15, 1) + littleEndian(0.25) + tag(16, 1) + littleEndian(9.81),
         S{.version = 3,
           .autopilotState = 2,
           .latitude = 31.25,
           .longitude = 121.5,
           .heading = 359.75,
           .linearAccelerationX = -1.5,
           .linearAccelerationY = 0.25,
           .linearAccelerationZ = 9.81}},
        {"a repeated field keeps the last value", tag(2, 0) + Bytes{1} + tag(2, 0) + Bytes{3}, S{.gear = 3}},
        // Unknown fields of every wire type are skipped; a length near 2^64 must not wrap.
        {"fixed64 and length-delimited skipped",
         tag(17, 1) + repeated(0xFF, 8) + tag(1, 2) + Bytes{2, 0xAA, 0xBB} + tag(2, 0) + Bytes{1},
         S{.gear = 1}},
        {"length near 2^64", tag(17, 2) + repeated(0xFF, 9) + Bytes{0x01, 0x00}, std::nullopt},
        {"a group", tag(2, 0) + Bytes{1} + tag(3, 3), std::nullopt},
        {"known field with another wire type is skipped",
         tag(2, 0) + Bytes{1} + tag(2, 5) + repeated(7, 4) + tag(4, 0) + Bytes{9} + tag(11, 5) +
             repeated(7, 4),
         S{.gear = 1}},
        // Fixed32 with too few bytes: the field is 0 and those bytes are read as the next tag.
        {"fixed32 short, rest reads as a tag", speed + tag(4, 5) + tag(2, 0) + Bytes{1}, S{.gear = 1}},
        // A known varint that runs off the end resets its field; the sample still exists.
        {"gear varint runs off the end", tag(2, 0) + Bytes{5} + tag(2, 0), S{}},
        {"gear 2^63 - 1", tag(2, 0) + repeated(0xFF, 8) + Bytes{0x7F},
         S{.gear = std::numeric_limits<int64_t>::max()}},
        {"gear 2^63 rejects the message", tag(2, 0) + repeated(0x80, 9) + Bytes{0x01}, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(reader::parse(c.message), c.sample) << c.name;
}

} // namespace
