// The sample drive the other suites read, for what they would not notice broken: files made like
// the car's and repeatable, telemetry framed as the car frames it, a drive through every state.
// (Its frame patterns are read back at every size by the decoder, player, thumbnail and export
// tests, and a black grid cell must read as none.)

#include "SampleClips.h"
#include "TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace orvane;

namespace {

TEST(SampleDriveTest, FilesAreHighProfileH264WithTheAskedSizeAndRateAndRepeatable) {
    test::TempFolder tmp;
    const sample::ClipSpec spec{
        .path = tmp / "a-back.mp4", .camera = CameraAngle::back, .width = 288, .height = 186, .seconds = 2};
    const QString path = test::writeClip(spec);
    const auto json = test::runProgram(
        "ffprobe", {"-v", "error", "-select_streams", "v:0", "-count_frames", "-show_entries",
                    "stream=codec_name,profile,width,height,r_frame_rate,pix_fmt,"
                    "has_b_frames,nb_read_frames",
                    "-of", "json", path});
    ASSERT_TRUE(json) << "ffprobe failed";
    const QJsonObject stream = QJsonDocument::fromJson(*json).object()["streams"].toArray()[0].toObject();
    EXPECT_EQ(
        QJsonDocument(stream).toJson(QJsonDocument::Compact).toStdString(),
        R"({"codec_name":"h264","has_b_frames":0,"height":186,"nb_read_frames":"72","pix_fmt":"yuv420p",)"
        R"("profile":"High","r_frame_rate":"36/1","width":288})");
    // The same seed writes the same bytes.
    sample::ClipSpec again = spec;
    again.path = tmp / "b-back.mp4";
    EXPECT_EQ(test::digest(test::writeClip(again)), test::digest(path));
}

TEST(SampleDriveTest, TelemetryMessagesOmitZeroFieldsAndAreFramedLikeTheCar) {
    EXPECT_TRUE(sample::encodeTelemetryMessage({.version = 0}).empty());
    // field 1 = 1, field 2 = 1, field 3 = 150 (varint 0x96 0x01)
    const sample::TelemetryRecord r{.gear = 1, .frameSequenceNumber = 150};
    EXPECT_EQ(sample::encodeTelemetryMessage(r),
              (std::vector<uint8_t>{0x08, 0x01, 0x10, 0x01, 0x18, 0x96, 0x01}));
    // SEI user data: its size, a run of 0x42 ending in 0x69, the message, the trailing bits.
    const auto nal = sample::telemetrySeiNal(r);
    ASSERT_GE(nal.size(), 8u);
    EXPECT_EQ(std::vector(nal.begin(), nal.begin() + 7),
              (std::vector<uint8_t>{0x06, 0x05, 4 + 7, 0x42, 0x42, 0x42, 0x69}));
    EXPECT_EQ(nal.back(), 0x80);
    // Escaping: two zeros then a small byte get a 0x03 between them (speed's bits 0x00000001).
    const auto escaped = sample::telemetrySeiNal({.version = 0, .speedMetersPerSecond = 1e-45f});
    const std::vector<uint8_t> expectedTail = {0x69, 0x25, 0x01, 0x00, 0x00, 0x03, 0x00, 0x80};
    EXPECT_TRUE(std::equal(expectedTail.begin(), expectedTail.end(), escaped.end() - expectedTail.size()));
}

// The drive goes through every state the dashboard shows.
TEST(SampleDriveTest, DriveTelemetryIsPlausible) {
    bool sawPark = false, sawStop = false, sawBlinker = false, sawBrake = false, sawCruise = false;
    for (int64_t frame = 0; frame < 36 * 180; frame += 9) {
        const auto r = sample::telemetryAt(7, frame, 36);
        sawPark |= r.gear == 0;
        sawStop |= r.gear == 1 && r.speedMetersPerSecond == 0;
        sawBlinker |= r.leftBlinker || r.rightBlinker;
        sawBrake |= r.brakeApplied && r.speedMetersPerSecond > 0;
        sawCruise |= r.speedMetersPerSecond > 10;
        EXPECT_GE(r.speedMetersPerSecond, 0);
    }
    EXPECT_TRUE(sawPark && sawStop && sawBlinker && sawBrake && sawCruise);
}

} // namespace
