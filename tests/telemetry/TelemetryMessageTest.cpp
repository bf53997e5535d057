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
        {"two bytes", {0x96, 0x01}, 0, 150, 2},
        {"one zero byte", {0x00, 0x7F}, 0, 0, 1},
        {"from the middle", {0xAA, 0x96, 0x01}, 1, 150, 3},
        {"empty", {}, 0, std::nullopt, 0},
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

TEST(SkipFieldTest, EveryWireType) {
    const struct {
        uint64_t wireType;
        Bytes bytes;
        std::optional<size_t> cursorAfter; // none: cannot be skipped
    } cases[] = {
        {0, {0x96, 0x01, 0x05}, 2},
        {0, {0x96}, std::nullopt},
        {1, repeated(0, 8), 8},
        {1, repeated(0, 7), std::nullopt},
        {2, {0x03, 1, 2, 3, 9}, 4},
        {2, {0x03, 1, 2}, std::nullopt},
        {2, {0x83}, std::nullopt},
        {2, repeated(0xFF, 9) + Bytes{0x01, 0x00}, std::nullopt}, // length near 2^64 must not wrap
        {5, repeated(0, 4), 4},
        {5, repeated(0, 3), std::nullopt},
        {3, repeated(0, 16), std::nullopt}, // groups (3, 4) and the undefined types (6, 7)
        {6, repeated(0, 16), std::nullopt},
    };
    for (const auto& c : cases) {
        size_t cursor = 0;
        EXPECT_EQ(reader::skipField(c.wireType, c.bytes, cursor), c.cursorAfter.has_value()) << c.wireType;
        if (c.cursorAfter) {
            EXPECT_EQ(cursor, *c.cursorAfter) << c.wireType;
        }
    }
}

TEST(EmulationBytesTest, DropsTheThreeAfterTwoZerosOnly) {
    const std::pair<Bytes, Bytes> cases[] = {
        {{0, 0, 3, 1}, {0, 0, 1}},
        {{0, 0, 0, 3}, {0, 0, 0}},
        {{0, 3}, {0, 3}},
        {{3, 0, 0}, {3, 0, 0}},
        {{0, 0, 3, 0, 0, 3}, {0, 0, 0, 0}},
        {{0, 0, 3, 3}, {0, 0, 3}}, // the byte after a dropped one is not checked
        {{0, 1, 0, 3}, {0, 1, 0, 3}},
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
        {"end byte right at index 3", head + Bytes{0x69} + message + Bytes{0x80}, message},
        {"empty message", head + Bytes{0x42, 0x69, 0x80}, Bytes{}},
        {"escaped message", head + Bytes{0x69, 0x00, 0x00, 0x03, 0x01, 0x80}, Bytes{0x00, 0x00, 0x01}},
        {"run reaches the last byte", head + Bytes{0x42, 0x42, 0x42}, std::nullopt},
        {"0x69 as the last byte", head + Bytes{0x42, 0x69}, std::nullopt},
        {"wrong end byte", head + Bytes{0x42, 0x68} + message + Bytes{0x80}, std::nullopt},
        {"marker tested before unescaping", head + Bytes{0x00, 0x00, 0x03, 0x69, 0x80}, std::nullopt},
        {"bytes 1 and 2 are not examined", Bytes{0x06, 0x42, 0x42, 0x69, 0x01, 0x80}, Bytes{0x01}},
        {"four bytes", head + Bytes{0x69}, std::nullopt},
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

// A sample with the fields `set` gives it, the others at their defaults.
template <typename Set> TeslaTelemetrySample with(Set set) {
    TeslaTelemetrySample s;
    set(s);
    return s;
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
         with([](S& s) {
             s.frameSequenceNumber = 150;
             s.gear = 2;
             s.speedMetersPerSecond = 12.5f;
             s.accelerator = 40;
             s.steeringAngle = -90.5f;
             s.leftBlinker = true;
             s.rightBlinker = true;
             s.brakeApplied = true;
         })},
        {"the further fields",
         tag(1, 0) + Bytes{3} + tag(10, 0) + Bytes{2} + tag(11, 1) + littleEndian(31.25) + tag(12, 1) +
             littleEndian(121.5) + tag(13, 1) + littleEndian(359.75) + tag(14, 1) + littleEndian(-1.5) +
             tag(15, 1) + littleEndian(0.25) + tag(16, 1) + littleEndian(9.81),
         with([](S& s) {
             s.version = 3;
             s.autopilotState = 2;
             s.latitude = 31.25;
             s.longitude = 121.5;
             s.heading = 359.75;
             s.linearAccelerationX = -1.5;
             s.linearAccelerationY = 0.25;
             s.linearAccelerationZ = 9.81;
         })},
        {"a repeated field keeps the last value", tag(2, 0) + Bytes{1} + tag(2, 0) + Bytes{3},
         with([](S& s) { s.gear = 3; })},
        {"known field with another wire type is skipped",
         tag(2, 0) + Bytes{1} + tag(2, 5) + repeated(7, 4) + tag(4, 0) + Bytes{9} + tag(11, 5) +
             repeated(7, 4),
         with([](S& s) { s.gear = 1; })},
        {"length-delimited field 1 is skipped", tag(1, 2) + Bytes{2, 0xAA, 0xBB} + tag(2, 0) + Bytes{1},
         with([](S& s) { s.gear = 1; })},
        {"unknown fixed64 field is skipped", tag(17, 1) + repeated(0xFF, 8) + tag(7, 0) + Bytes{1},
         with([](S& s) { s.leftBlinker = true; })},
        {"a group after a field", tag(2, 0) + Bytes{1} + tag(3, 3), std::nullopt},
        {"a known field with an undefined wire type", tag(5, 6) + repeated(0, 4), std::nullopt},
        {"tag runs off the end", tag(2, 0) + Bytes{1, 0x80}, std::nullopt},
        // Fixed32 with too few bytes: the field is 0 and those bytes are read as the next tag.
        {"fixed32 short, rest reads as a tag", speed + tag(4, 5) + tag(2, 0) + Bytes{1},
         with([](S& s) { s.gear = 1; })},
        {"fixed32 short, rest is no valid tag", tag(4, 5) + tag(1, 3) + Bytes{0}, std::nullopt},
        {"fixed32 short, rest is an incomplete tag", tag(6, 5) + Bytes{0x80, 0x80, 0x80}, std::nullopt},
        // A known varint that runs off the end resets its field; the sample still exists.
        {"gear varint runs off the end", tag(2, 0) + Bytes{5} + tag(2, 0), S{}},
        {"frame number runs off the end", tag(3, 0) + Bytes{7} + tag(3, 0) + Bytes{0x80}, S{}},
        {"blinker runs off the end", tag(8, 0) + Bytes{1} + tag(8, 0) + Bytes{0xFF}, S{}},
        {"gear 2^63 - 1", tag(2, 0) + repeated(0xFF, 8) + Bytes{0x7F},
         with([](S& s) { s.gear = std::numeric_limits<int64_t>::max(); })},
        {"gear 2^63 rejects the message", tag(2, 0) + repeated(0x80, 9) + Bytes{0x01}, std::nullopt},
        // The further fields fail exactly as skipping them would.
        {"version runs off the end", tag(1, 0) + Bytes{0x80}, std::nullopt},
        {"double beyond the end", tag(12, 1) + repeated(0, 7), std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(reader::parse(c.message), c.sample) << c.name;
}

// The generator's messages and SEI units across a long drive (parking, driving, turns,
// blinkers, braking) decode to exactly what was written.
TEST(TelemetryParseTest, SampleDriveMessagesRoundTrip) {
    for (uint64_t seed : {1u, 42u, 65535u}) {
        for (int64_t frame = 0; frame < 36 * 300; frame += 7) {
            const sample::TelemetryRecord record = sample::telemetryAt(seed, frame, 36);
            const Bytes message = sample::encodeTelemetryMessage(record);
            ASSERT_EQ(reader::protobufPayload(sample::telemetrySeiNal(record)), message)
                << seed << ", " << frame;
            ASSERT_EQ(reader::parse(message), expectedSample(record)) << seed << ", " << frame;
        }
    }
}

} // namespace
