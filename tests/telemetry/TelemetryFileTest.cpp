// Reading whole files: the box walk, the unit walk, I/O failures and the sample drive's clips.

#include "SampleDrive.h"
#include "TelemetryBytes.h"
#include "TeslaTelemetryReader.h"
#include "TestSupport.h"

#include <QByteArray>
#include <QFile>
#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;
namespace reader = orvane::TeslaTelemetryReader;

namespace {

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

struct FileCase {
    const char* name;
    Bytes content;
    const char* outcome;
};

class TelemetryFileTest : public testing::Test {
protected:
    TempFolder tmp;
    void check(const FileCase& c) {
        const QByteArray bytes(reinterpret_cast<const char*>(c.content.data()), qsizetype(c.content.size()));
        EXPECT_EQ(outcome(tmp.writeFile(QString::fromLatin1(c.name) + ".mp4", bytes)), c.outcome) << c.name;
    }
};

const Bytes ftyp = box("ftyp", ascii("isom") + bigEndian32(512) + ascii("isomavc1"));
Bytes units(std::initializer_list<uint64_t> frameNumbers) {
    Bytes out;
    for (uint64_t f : frameNumbers)
        out = out + telemetryUnit(f) + videoUnit(300);
    return out;
}

TEST_F(TelemetryFileTest, BoxWalk) {
    const Bytes media = units({1, 2, 3});
    // Bytes that would read as a telemetry unit if the walk strayed into them.
    const Bytes decoy = telemetryUnit(99);
    const FileCase cases[] = {
        {"mdat-sized", ftyp + box("mdat", media) + decoy, "1 2 3"},
        {"mdat-size-0-runs-to-end", ftyp + boxHeader(0, "mdat") + media, "1 2 3"},
        {"mdat-64-bit-size", ftyp + largeBoxHeader(16 + media.size(), "mdat") + media + decoy, "1 2 3"},
        {"boxes-before-mdat-skipped-unread",
         ftyp + box("free", decoy) + largeBoxHeader(16 + decoy.size(), "skip") + decoy + box("moov", decoy) +
             box("mdat", media),
         "1 2 3"},
        {"only-video", ftyp + box("mdat", videoUnit(100) + videoUnit(2000)), ""},
        {"empty-mdat-then-more-boxes", ftyp + box("mdat") + box("moov", decoy), ""},
        {"no-mdat", ftyp + box("moov", decoy), "corrupt"},
        {"box-size-overflows-offsets", ftyp + largeBoxHeader(~uint64_t(0), "free") + box("mdat", media),
         "corrupt"},
        {"mdat-size-below-header", ftyp + boxHeader(4, "mdat") + media, "corrupt"},
    };
    for (const auto& c : cases)
        check(c);
}

TEST_F(TelemetryFileTest, UnitWalk) {
    const Bytes one = telemetryUnit(1), two = telemetryUnit(2);
    Bytes sei = sample::telemetrySeiNal({});
    Bytes otherSei = sei;
    otherSei[1] = 4; // first SEI message is not user data unregistered
    Bytes refIdcSei = sei;
    refIdcSei[0] = 0x26;                                                // nal_ref_idc bits set: still type 6
    const Bytes badMessage = Bytes{0x06, 0x05, 0x03, 0x69, 0x1B, 0x80}; // wire type 3
    const FileCase cases[] = {
        {"zero-length-ends-walk", box("mdat", one + bigEndian32(0) + two), "1"},
        {"16-MiB-length-ends-walk", box("mdat", one + bigEndian32(0x1000000) + two), "1"},
        {"truncated-telemetry-unit", boxHeader(0, "mdat") + one + Bytes(two.begin(), two.end() - 1), "1"},
        {"mdat-declared-past-end", boxHeader(100000, "mdat") + one + two, "1 2"},
        {"other-sei-skipped", box("mdat", one + unit(otherSei) + two), "1 2"},
        {"sei-of-four-bytes-skipped", box("mdat", one + unit({0x06, 0x05, 0x69, 0x80}) + two), "1 2"},
        {"sei-type-uses-low-five-bits", box("mdat", unit(refIdcSei)), "0"},
        {"undecodable-message-skipped", box("mdat", one + unit(badMessage) + two), "1 2"},
        {"empty-message-is-a-sample", box("mdat", unit({0x06, 0x05, 0x01, 0x69, 0x80})), "0"},
        {"large-video-units", box("mdat", one + videoUnit(200000) + two + videoUnit(40000)), "1 2"},
    };
    for (const auto& c : cases)
        check(c);
}

// A missing file's error text is the command line's test.
TEST_F(TelemetryFileTest, FileThatCannotBeRead) {
    EXPECT_EQ(outcome(tmp.makeFolder("folder.mp4")), "cannot read");
    // A FIFO would block an ordinary open until a writer comes; it is refused at once.
    EXPECT_EQ(outcome(makeFifo(tmp / "fifo.mp4")), "cannot read");
}

// Clips written by the sample drive: one sample per frame, equal to what was written; a clip cut
// short keeps the samples before the cut, one without telemetry has none, an empty one is corrupt.
TEST_F(TelemetryFileTest, SampleDriveClipsRoundTrip) {
    sample::ClipSpec clip;
    clip.path = tmp / "clip.mp4";
    clip.seconds = 2;
    clip.seed = 7;
    clip.firstFrameSerial = 36 * 50; // mid-drive: moving, turning, blinking
    sample::writeClip(clip);

    const auto samples = reader::read(clip.path);
    ASSERT_EQ(samples.size(), 72u);
    for (size_t i = 0; i < samples.size(); ++i) {
        const auto record =
            sample::telemetryAt(clip.seed, clip.firstFrameSerial + int64_t(i), clip.framesPerSecond);
        ASSERT_EQ(samples[i], expectedSample(record)) << "frame " << i;
        if (i > 0) {
            EXPECT_EQ(*samples[i].frameSequenceNumber, *samples[i - 1].frameSequenceNumber + 1);
        }
    }

    clip.path = tmp / "truncated.mp4";
    clip.damage = sample::Damage::truncated;
    sample::writeClip(clip);
    const auto truncated = reader::read(clip.path);
    ASSERT_GT(truncated.size(), 0u);
    ASSERT_LT(truncated.size(), samples.size());
    EXPECT_TRUE(std::equal(truncated.begin(), truncated.end(), samples.begin()));
    clip.path = tmp / "no-telemetry.mp4";
    clip.damage = sample::Damage::noTelemetry;
    sample::writeClip(clip);
    EXPECT_EQ(outcome(clip.path), "");
    clip.path = tmp / "zero-bytes.mp4";
    clip.damage = sample::Damage::zeroBytes;
    sample::writeClip(clip);
    EXPECT_EQ(outcome(clip.path), "corrupt");
}

} // namespace
