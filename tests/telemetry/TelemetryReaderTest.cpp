// The telemetry the car writes into its clips, read from well-formed, truncated and corrupt bytes:
// varints, the SEI payload, the message's fields, and the walk over boxes and units.

#include "SampleDrive.h"
#include "TeslaTelemetryReader.h"
#include "TestSupport.h"

#include <QByteArray>
#include <bit>
#include <gtest/gtest.h>
#include <limits>
#include <string_view>

using namespace orvane;
using namespace orvane::test;
namespace reader = orvane::TeslaTelemetryReader;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes bigEndian32(uint32_t v) {
    return {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)};
}

template <typename T> Bytes littleEndian(T v) {
    const auto bits = std::bit_cast<std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>>(v);
    Bytes out;
    for (size_t i = 0; i < sizeof(T); ++i)
        out.push_back(uint8_t(bits >> (8 * i)));
    return out;
}

Bytes ascii(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

// A box header with the size field as given (0, 1..7, or anything that lies).
Bytes boxHeader(uint32_t size, const char* type) {
    return bigEndian32(size) + ascii(type);
}
Bytes box(const char* type, const Bytes& payload = {}) {
    return boxHeader(uint32_t(8 + payload.size()), type) + payload;
}
Bytes largeBoxHeader(uint64_t size, const char* type) {
    return bigEndian32(1) + ascii(type) + bigEndian32(uint32_t(size >> 32)) + bigEndian32(uint32_t(size));
}

// One NAL unit with its 4-byte big-endian length prefix.
Bytes unit(const Bytes& nal) {
    return bigEndian32(uint32_t(nal.size())) + nal;
}
Bytes telemetryUnit(uint64_t frame) {
    return unit(sample::telemetrySeiNal({.frameSequenceNumber = frame}));
}
Bytes videoUnit(size_t size) {
    return unit(Bytes{0x65} + Bytes(size - 1, 0xAB)); // an IDR slice
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
        // A 3 after two zeros is dropped, not after one, nor right after a dropped one.
        {"escaped message", head + Bytes{0x69, 0x00, 0x00, 0x03, 0x01, 0x80}, Bytes{0x00, 0x00, 0x01}},
        {"one zero", head + Bytes{0x69, 0x00, 0x03, 0x80}, Bytes{0x00, 0x03}},
        {"after a dropped 3", head + Bytes{0x69, 0x00, 0x00, 0x03, 0x03, 0x80}, Bytes{0x00, 0x00, 0x03}},
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
    using S = TeslaTelemetrySample; // expected samples list the fields in declaration order
    const auto gear = [](int64_t value) {
        S sample;
        sample.gear = value;
        return sample;
    };
    const auto frame = [](uint64_t value) {
        S sample;
        sample.frameSequenceNumber = value;
        return sample;
    };
    const Bytes speed = tag(4, 5) + littleEndian(12.5f);
    const struct {
        const char* name;
        Bytes message;
        std::optional<S> sample;
    } cases[] = {
        {"the eight fields",
         tag(2, 0) + Bytes{2} + tag(3, 0) + Bytes{0x96, 0x01} + speed + tag(5, 5) + littleEndian(40.0f) +
             tag(6, 5) + littleEndian(-90.5f) + tag(7, 0) + Bytes{1} + tag(8, 0) + Bytes{5} + tag(9, 0) +
             Bytes{1},
         S{150, 2, 12.5f, 40, -90.5f, true, true, true, {}, {}, {}, {}, {}, {}, {}, {}}},
        {"the further fields",
         tag(1, 0) + Bytes{3} + tag(10, 0) + Bytes{2} + tag(11, 1) + littleEndian(31.25) + tag(12, 1) +
             littleEndian(121.5) + tag(13, 1) + littleEndian(359.75) + tag(14, 1) + littleEndian(-1.5) +
             tag(15, 1) + littleEndian(0.25) + tag(16, 1) + littleEndian(9.81),
         S{{}, 0, 0, 0, 0, false, false, false, 3, 2, 31.25, 121.5, 359.75, -1.5, 0.25, 9.81}},
        {"a repeated field keeps the last value", tag(2, 0) + Bytes{1} + tag(2, 0) + Bytes{3}, gear(3)},
        // Unknown fields of every wire type are skipped; a length near 2^64 must not wrap.
        {"fixed64 and length-delimited skipped",
         tag(17, 1) + Bytes(8, 0xFF) + tag(1, 2) + Bytes{2, 0xAA, 0xBB} + tag(2, 0) + Bytes{1}, gear(1)},
        {"length near 2^64", tag(17, 2) + Bytes(9, 0xFF) + Bytes{0x01, 0x00}, std::nullopt},
        {"known field with another wire type is skipped",
         tag(2, 0) + Bytes{1} + tag(2, 5) + Bytes(4, 7) + tag(4, 0) + Bytes{9} + tag(11, 5) + Bytes(4, 7),
         gear(1)},
        // Fixed32 with too few bytes: the field is 0 and those bytes are read as the next tag.
        {"fixed32 short, rest reads as a tag", speed + tag(4, 5) + tag(2, 0) + Bytes{1}, gear(1)},
        // A known varint that runs off the end resets its field; the sample still exists.
        {"gear varint runs off the end", tag(2, 0) + Bytes{5} + tag(2, 0), S{}},
        {"gear 2^63 - 1", tag(2, 0) + Bytes(8, 0xFF) + Bytes{0x7F},
         gear(std::numeric_limits<int64_t>::max())},
        {"gear 2^63 rejects the message", tag(2, 0) + Bytes(9, 0x80) + Bytes{0x01}, std::nullopt},
        // Varints: ten bytes hold the largest value; a tenth that goes on is damage, not a longer value.
        {"frame 2^64 - 1", tag(3, 0) + Bytes(9, 0xFF) + Bytes{0x01},
         frame(std::numeric_limits<uint64_t>::max())},
        {"eleven varint bytes", tag(1, 0) + Bytes(10, 0xFF) + Bytes{0x01}, std::nullopt},
    };
    for (const auto& c : cases)
        EXPECT_EQ(reader::parse(c.message), c.sample) << c.name;
}

// What reading a file gives: its frame numbers in order, or the kind of failure.
std::string outcome(const QString& path) {
    try {
        std::string out;
        for (const auto& s : reader::read(path))
            out += (out.empty() ? "" : " ") + std::to_string(s.frameSequenceNumber.value_or(0));
        return out;
    } catch (const TeslaTelemetryReaderError& e) {
        return e.kind() == TeslaTelemetryReaderError::Kind::corruptFile ? "corrupt" : "cannot read";
    }
}

TEST(TelemetryFileTest, WalksBoxesAndUnits) {
    TempFolder tmp;
    const Bytes ftyp = box("ftyp", ascii("isom") + bigEndian32(512) + ascii("isomavc1"));
    const Bytes one = telemetryUnit(1), two = telemetryUnit(2);
    const Bytes media = one + videoUnit(300) + two + videoUnit(300);
    // Bytes that would read as a telemetry unit if the walk strayed into them.
    const Bytes decoy = telemetryUnit(99);
    Bytes otherSei = sample::telemetrySeiNal({});
    otherSei[1] = 4; // first SEI message is not user data unregistered
    Bytes refIdcSei = sample::telemetrySeiNal({});
    refIdcSei[0] = 0x26;                                                // nal_ref_idc bits set: still type 6
    const Bytes badMessage = Bytes{0x06, 0x05, 0x03, 0x69, 0x1B, 0x80}; // wire type 3
    const struct {
        const char* name;
        Bytes content;
        const char* outcome;
    } cases[] = {
        {"mdat-sized", ftyp + box("mdat", media) + decoy, "1 2"},
        {"mdat-size-0-runs-to-end", ftyp + boxHeader(0, "mdat") + media, "1 2"},
        {"mdat-64-bit-size", ftyp + largeBoxHeader(16 + media.size(), "mdat") + media + decoy, "1 2"},
        {"boxes-before-mdat-skipped-unread",
         ftyp + box("free", decoy) + largeBoxHeader(16 + decoy.size(), "skip") + decoy + box("moov", decoy) +
             box("mdat", media),
         "1 2"},
        {"only-video", ftyp + box("mdat", videoUnit(100) + videoUnit(2000)), ""},
        {"empty-mdat-then-more-boxes", ftyp + box("mdat") + box("moov", decoy), ""},
        {"no-mdat", ftyp + box("moov", decoy), "corrupt"},
        {"box-size-overflows-offsets", ftyp + largeBoxHeader(~uint64_t(0), "free") + box("mdat", media),
         "corrupt"},
        {"mdat-size-below-header", ftyp + boxHeader(4, "mdat") + media, "corrupt"},
        {"zero-length-ends-walk", box("mdat", one + bigEndian32(0) + two), "1"},
        {"16-MiB-length-ends-walk", box("mdat", one + bigEndian32(0x1000000) + two), "1"},
        {"truncated-telemetry-unit", boxHeader(0, "mdat") + one + Bytes(two.begin(), two.end() - 1), "1"},
        {"truncated-video-unit", boxHeader(0, "mdat") + Bytes(media.begin(), media.end() - 1), "1 2"},
        {"mdat-declared-past-end", boxHeader(100000, "mdat") + one + two, "1 2"},
        {"other-sei-skipped", box("mdat", one + unit(otherSei) + two), "1 2"},
        {"sei-of-four-bytes-skipped", box("mdat", one + unit({0x06, 0x05, 0x69, 0x80}) + two), "1 2"},
        {"sei-type-uses-low-five-bits", box("mdat", unit(refIdcSei)), "0"},
        {"undecodable-message-skipped", box("mdat", one + unit(badMessage) + two), "1 2"},
        {"empty-message-is-a-sample", box("mdat", unit({0x06, 0x05, 0x01, 0x69, 0x80})), "0"},
    };
    for (const auto& c : cases) {
        const QByteArray bytes(reinterpret_cast<const char*>(c.content.data()), qsizetype(c.content.size()));
        EXPECT_EQ(outcome(tmp.writeFile(QString::fromLatin1(c.name) + ".mp4", bytes)), c.outcome) << c.name;
    }
    // A FIFO would block an ordinary open until a writer comes; it is refused at once.
    EXPECT_EQ(outcome(tmp.makeFolder("folder.mp4")), "cannot read");
    EXPECT_EQ(outcome(makeFifo(tmp / "fifo.mp4")), "cannot read");
}

// A sample-drive clip: every frame's record in order.
TEST(TelemetryFileTest, SampleDriveClipsRoundTrip) {
    TempFolder tmp;
    // Mid-drive: moving, turning, blinking.
    sample::ClipSpec clip{.path = tmp / "clip.mp4", .seconds = 2, .seed = 7, .firstFrameSerial = 36 * 50};
    sample::writeClip(clip);
    const auto samples = reader::read(clip.path);
    ASSERT_EQ(samples.size(), 72u);
    for (size_t i = 0; i < samples.size(); ++i) {
        const auto record =
            sample::telemetryAt(clip.seed, clip.firstFrameSerial + int64_t(i), clip.framesPerSecond);
        ASSERT_EQ(samples[i], reader::parse(sample::encodeTelemetryMessage(record))) << "frame " << i;
    }
}

} // namespace
