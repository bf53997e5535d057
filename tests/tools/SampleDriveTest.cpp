#include "FramePattern.h"
#include "MetadataParser.h"
#include "SampleDrive.h"
#include "TestSupport.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace orvane;

namespace {

QByteArray fileHash(const QString& path) {
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

class SampleDriveTest : public testing::Test {
protected:
    test::ScopedTimeZone zone{"Asia/Shanghai"};
    test::TempFolder tmp;

    sample::ClipSpec clip(const QString& name, int width = 192, int height = 128, double seconds = 1) {
        sample::ClipSpec spec;
        spec.path = tmp / name;
        spec.camera = CameraAngle::back;
        spec.width = width;
        spec.height = height;
        spec.seconds = seconds;
        spec.startTime = *LocalTime::fromFields(2024, 5, 1, 10, 20, 30);
        return spec;
    }
};

TEST(FramePatternTest, RoundTripsEveryBitAndRejectsPlainPictures) {
    std::vector<uint8_t> luma(320 * 240, 128);
    for (int frame : {0, 1, 2, 255, 4096, 65535})
        for (int camera : {0, 5, 7}) {
            sample::FramePattern{frame, camera}.draw(luma.data(), 320, 320, 240);
            EXPECT_EQ(sample::FramePattern::read(luma.data(), 320, 320, 240), (sample::FramePattern{frame, camera}));
        }
    std::vector<uint8_t> grey(320 * 240, 128);
    EXPECT_FALSE(sample::FramePattern::read(grey.data(), 320, 320, 240));
    EXPECT_FALSE(sample::FramePattern::read(grey.data(), 8, 8, 8)); // too small to hold it
}

// Exports, grid cells and thumbnails scale pictures by any factor; the pattern must survive.
TEST(FramePatternTest, ReadsAfterScalingByAnyFactor) {
    const int w = 1448, h = 938;
    std::vector<uint8_t> luma(size_t(w) * h, 128);
    const sample::FramePattern drawn{1234, 5};
    drawn.draw(luma.data(), w, w, h);
    for (auto [sw, sh] : {std::pair{760, 428}, {724, 469}, {320, 240}, {1280, 830}, {241, 157}, {2896, 1876}}) {
        std::vector<uint8_t> scaled(size_t(sw) * sh);
        for (int y = 0; y < sh; ++y)
            for (int x = 0; x < sw; ++x)
                scaled[size_t(y) * sw + x] = luma[size_t(y * h / sh) * w + x * w / sw];
        EXPECT_EQ(sample::FramePattern::read(scaled.data(), sw, sw, sh), drawn) << sw << "x" << sh;
    }
}

TEST_F(SampleDriveTest, FilesAreHighProfileH264WithTheAskedSizeAndRate) {
    const auto sizes = sample::cameraSizes(sample::CarLayout::sixCamera, 0.1);
    ASSERT_EQ(sizes.size(), 6u);
    EXPECT_EQ(sizes[0].width, 288);
    EXPECT_EQ(sizes[1].height, 92);
    EXPECT_EQ(sample::cameraSizes(sample::CarLayout::fourCamera, 1)[3].width, 1280);

    sample::ClipSpec spec = clip("probe-front.mp4", 288, 186, 2);
    sample::writeClip(spec);
    const auto json = test::runProgram(QStringLiteral("ffprobe"),
                                       {"-v", "error", "-select_streams", "v:0", "-count_frames", "-show_entries",
                                        "stream=codec_name,profile,width,height,r_frame_rate,pix_fmt,has_b_frames,"
                                        "nb_read_frames",
                                        "-of", "json", spec.path});
    ASSERT_TRUE(json) << "ffprobe failed";
    const QJsonObject stream = QJsonDocument::fromJson(*json).object()["streams"].toArray()[0].toObject();
    EXPECT_EQ(stream["codec_name"].toString(), "h264");
    EXPECT_EQ(stream["profile"].toString(), "High");
    EXPECT_EQ(stream["pix_fmt"].toString(), "yuv420p");
    EXPECT_EQ(stream["width"].toInt(), 288);
    EXPECT_EQ(stream["height"].toInt(), 186);
    EXPECT_EQ(stream["r_frame_rate"].toString(), "36/1");
    EXPECT_EQ(stream["has_b_frames"].toInt(), 0);
    EXPECT_EQ(stream["nb_read_frames"].toString(), "72");
}

TEST_F(SampleDriveTest, EveryDecodedFrameCarriesItsNumberAndCamera) {
    sample::ClipSpec spec = clip("pattern-back.mp4", 192, 128, 1.5);
    sample::writeClip(spec);
    const auto raw = test::runProgram(QStringLiteral("ffmpeg"),
                                      {"-v", "error", "-i", spec.path, "-f", "rawvideo", "-pix_fmt", "gray", "-"});
    ASSERT_TRUE(raw);
    const int frameSize = 192 * 128;
    ASSERT_EQ(raw->size(), 54 * frameSize);
    for (int i = 0; i < 54; ++i) {
        const auto p = sample::FramePattern::read(reinterpret_cast<const uint8_t*>(raw->constData()) + i * frameSize,
                                                  192, 192, 128);
        ASSERT_TRUE(p) << "frame " << i;
        EXPECT_EQ(p->frameIndex, i);
        EXPECT_EQ(p->cameraIndex, sample::cameraIndex(CameraAngle::back));
    }
}

TEST_F(SampleDriveTest, DamagedFilesOnRequest) {
    auto zero = clip("zero.mp4");
    zero.damage = sample::Damage::zeroBytes;
    sample::writeClip(zero);
    EXPECT_EQ(QFile(zero.path).size(), 0);

    auto truncated = clip("truncated.mp4");
    truncated.damage = sample::Damage::truncated;
    sample::writeClip(truncated);
    int exitCode = 0;
    test::runProgram(QStringLiteral("ffprobe"), {"-v", "error", truncated.path}, &exitCode);
    EXPECT_NE(exitCode, 0) << "a file cut before its index must not open";

    auto whole = clip("whole.mp4");
    auto bare = clip("bare.mp4");
    bare.damage = sample::Damage::noTelemetry;
    sample::writeClip(whole);
    sample::writeClip(bare);
    EXPECT_LT(QFile(bare.path).size(), QFile(whole.path).size());
}

TEST_F(SampleDriveTest, SameSeedSameBytes) {
    auto a = clip("a.mp4"), b = clip("b.mp4"), c = clip("c.mp4");
    c.seed = 2;
    for (const auto& spec : {a, b, c})
        sample::writeClip(spec);
    EXPECT_EQ(fileHash(a.path), fileHash(b.path));
    EXPECT_NE(fileHash(a.path), fileHash(c.path));
}

TEST_F(SampleDriveTest, TelemetryMessagesOmitZeroFieldsAndAreFramedLikeTheCar) {
    sample::TelemetryRecord empty;
    empty.version = 0;
    EXPECT_TRUE(sample::encodeTelemetryMessage(empty).empty());

    sample::TelemetryRecord r;
    r.gear = 1;
    r.frameSequenceNumber = 150;
    // field 1 = 1, field 2 = 1, field 3 = 150 (varint 0x96 0x01)
    EXPECT_EQ(sample::encodeTelemetryMessage(r), (std::vector<uint8_t>{0x08, 0x01, 0x10, 0x01, 0x18, 0x96, 0x01}));
    const auto nal = sample::telemetrySeiNal(r);
    ASSERT_GE(nal.size(), 8u);
    EXPECT_EQ(nal[0], 0x06);
    EXPECT_EQ(nal[1], 0x05);
    EXPECT_EQ(nal[2], 4 + 7);
    EXPECT_EQ(nal[3], 0x42);
    EXPECT_EQ(nal[6], 0x69);
    EXPECT_EQ(nal.back(), 0x80);
    // Escaping: two zeros then a small byte get a 0x03 between them.
    sample::TelemetryRecord zeros;
    zeros.version = 0;
    zeros.speedMetersPerSecond = 1e-45f; // bits 0x00000001
    const auto escaped = sample::telemetrySeiNal(zeros);
    const std::vector<uint8_t> expectedTail = {0x69, 0x25, 0x01, 0x00, 0x00, 0x03, 0x00, 0x80};
    EXPECT_TRUE(std::equal(expectedTail.begin(), expectedTail.end(), escaped.end() - expectedTail.size()));
}

TEST_F(SampleDriveTest, DriveTelemetryIsPlausible) {
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

TEST_F(SampleDriveTest, ExampleDriveScansAsTheCarWouldLookAndIsQuick) {
    const QString root = tmp / "TeslaCam";
    const auto spec = sample::exampleDrive(root, sample::CarLayout::fourCamera, 0.1, 1);
    const QStringList files = sample::writeDrive(spec);
    EXPECT_EQ(files.filter(".mp4").size(), (3 + 2 + 1 + 1) * 4);
    const auto library = MetadataParser::scanLibrary({root});
    ASSERT_EQ(library.at(ClipCategory::recent).size(), 1u);
    EXPECT_EQ(library.at(ClipCategory::recent)[0].videoCount, 3);
    ASSERT_EQ(library.at(ClipCategory::saved).size(), 2u);
    EXPECT_EQ(library.at(ClipCategory::saved)[1].videoCount, 2);
    EXPECT_EQ(library.at(ClipCategory::saved)[1].timeRangeTitle(), QStringLiteral("10:19:30～10:20:30"));
    EXPECT_TRUE(library.at(ClipCategory::saved)[1].locationLine);
    ASSERT_EQ(library.at(ClipCategory::sentry).size(), 1u);
    EXPECT_EQ(library.at(ClipCategory::sentry)[0].locationLine, QStringLiteral("31.23040°N, 121.47370°E · 上海"));
}

} // namespace
