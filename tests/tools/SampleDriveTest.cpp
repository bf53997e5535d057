// The sample drive the other suites read: its pictures carry what the tests read back, its
// files are like the car's, and its telemetry is framed as the car frames it.

#include "FramePattern.h"
#include "SampleClips.h"
#include "TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace orvane;

namespace {

// Every bit round-trips, also after scaling by any factor (exports, grid cells, thumbnails).
TEST(FramePatternTest, ReadsBackEveryBitAfterScalingAndRejectsPlainPictures) {
    const int w = 1448, h = 938;
    std::vector<uint8_t> luma(size_t(w) * h, 128);
    for (const sample::FramePattern drawn :
         {sample::FramePattern{0, 0}, {1, 5}, {255, 7}, {4096, 2}, {65535, 7}}) {
        drawn.draw(luma.data(), w, w, h);
        for (auto [sw, sh] :
             {std::pair{w, h}, {760, 428}, {724, 469}, {320, 240}, {1280, 830}, {241, 157}, {2896, 1876}}) {
            std::vector<uint8_t> scaled(size_t(sw) * sh);
            for (int y = 0; y < sh; ++y)
                for (int x = 0; x < sw; ++x)
                    scaled[size_t(y) * sw + x] = luma[size_t(y * h / sh) * w + x * w / sw];
            EXPECT_EQ(sample::FramePattern::read(scaled.data(), sw, sw, sh), drawn) << sw << "x" << sh;
        }
    }
    const std::vector<uint8_t> grey(320 * 240, 128);
    EXPECT_FALSE(sample::FramePattern::read(grey.data(), 320, 320, 240));
    EXPECT_FALSE(sample::FramePattern::read(grey.data(), 8, 8, 8)); // too small to hold it
}

TEST(SampleDriveTest, FilesAreHighProfileH264WithTheAskedSizeAndRateAndRepeatable) {
    const auto sizes = sample::cameraSizes(sample::CarLayout::sixCamera, 0.1);
    ASSERT_EQ(sizes.size(), 6u);
    EXPECT_EQ(sizes[0].width, 288);
    EXPECT_EQ(sizes[1].height, 92);
    EXPECT_EQ(sample::cameraSizes(sample::CarLayout::fourCamera, 1)[3].width, 1280);

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
    // The same seed writes the same bytes; another seed other bytes.
    EXPECT_EQ(
        test::digest(test::writeClip(
            {.path = tmp / "b.mp4", .camera = CameraAngle::back, .width = 288, .height = 186, .seconds = 2})),
        test::digest(path));
    EXPECT_NE(test::digest(test::writeClip({.path = tmp / "c.mp4",
                                            .camera = CameraAngle::back,
                                            .width = 288,
                                            .height = 186,
                                            .seconds = 2,
                                            .seed = 2})),
              test::digest(path));
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
        EXPECT_EQ(r.frameSequenceNumber, sample::telemetryAt(7, 0, 36).frameSequenceNumber + uint64_t(frame));
    }
    EXPECT_TRUE(sawPark && sawStop && sawBlinker && sawBrake && sawCruise);
}

} // namespace
