// End-to-end exports of sample-drive clips, checked frame by frame through the pattern every
// sample frame carries (its index in the file and its camera).

#include "ExportErrors.h"
#include "ExportPlanner.h"
#include "ExportTestSupport.h"
#include "FFmpegCommands.h"
#include "FFmpegLocator.h"
#include "FFmpegProcess.h"
#include "FFmpegTools.h"
#include "FramePattern.h"
#include "GPUVideoExporter.h"
#include "HardwareEncoding.h"
#include "MetadataParser.h"
#include "SampleDrive.h"

#include <QCryptographicHash>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <map>

using namespace orvane;
using namespace orvane::test;

namespace {

// Fields of the first stream of a kind ("v", "a") in a file as ffprobe reports them, "h264 High".
QString stream(const QString& path, const QStringList& fields, const QString& kind = "v") {
    const auto out = runProgram(
        "ffprobe", {"-v", "error", "-select_streams", kind + ":0", "-show_streams", "-of", "json", path});
    const QJsonArray streams = QJsonDocument::fromJson(out.value_or("")).object()["streams"].toArray();
    QStringList values;
    for (const QString& field : fields)
        values << streams[0].toObject()[field].toVariant().toString();
    return values.join(' ');
}

// Positions of the key frames among the video packets.
std::vector<int> keyFrames(const QString& path) {
    const auto flags = runProgram("ffprobe", {"-v", "error", "-select_streams", "v:0", "-show_entries",
                                              "packet=flags", "-of", "csv=p=0", path});
    std::vector<int> keys;
    const QList<QByteArray> packets = flags.value_or(QByteArray()).trimmed().split('\n');
    for (int n = 0; n < int(packets.size()); ++n)
        if (packets[n].startsWith('K'))
            keys.push_back(n);
    return keys;
}

std::optional<sample::FramePattern> pattern(const QByteArray& luma, int stride, int x = 0, int y = 0,
                                            int w = 320, int h = 240) {
    return sample::FramePattern::read(reinterpret_cast<const uint8_t*>(luma.constData()) + y * stride + x,
                                      stride, w, h);
}

// The luma planes of the whole 4:2:0 pictures of `size` in raw video.
std::vector<QByteArray> lumaPlanes(const QByteArray& yuv, PixelSize size) {
    const qsizetype lumaBytes = qsizetype(size.width) * size.height, pictureBytes = lumaBytes * 3 / 2;
    std::vector<QByteArray> lumas;
    for (qsizetype at = 0; at + pictureBytes <= yuv.size(); at += pictureBytes)
        lumas.push_back(yuv.mid(at, lumaBytes));
    return lumas;
}

// The luma planes of a grid minute as ffmpeg composes it for the burn-in encoder.
std::vector<QByteArray> composedLumas(const TempFolder& folder, Camera::GridLayout layout,
                                      const std::map<CameraAngle, QString>& inputs, double start,
                                      double length, PixelSize canvas, int speed = 1) {
    const QString raw = folder / "grid.yuv";
    FFmpegProcess::run(FFmpegLocator::executablePath(),
                       FFmpegCommands::gridFrameArguments(layout, inputs, start, length, canvas, raw, speed),
                       0, {}, {});
    QFile file(raw);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray yuv = file.readAll();
    QFile::remove(raw);
    return lumaPlanes(yuv, canvas);
}

// The time burned into each frame, and the progress reported.
struct Recorded {
    std::vector<Instant> clocks;
    std::vector<double> progress;
    ExportCallbacks callbacks() {
        ExportCallbacks c;
        c.onFrame = [this](int64_t frame, Instant at) {
            EXPECT_EQ(frame, int64_t(clocks.size()));
            clocks.push_back(at);
        };
        c.onProgress = [this](double p) { progress.push_back(p); };
        return c;
    }
    // Rising, below 1 until the end, then 1.
    void expectHonestProgress() const {
        ASSERT_FALSE(progress.empty());
        for (size_t i = 0; i + 1 < progress.size(); ++i) {
            EXPECT_LE(progress[i], 0.99);
            EXPECT_LE(progress[i], progress[i + 1] + 1e-12);
        }
        EXPECT_EQ(progress.back(), 1.0);
    }
};

class ExportVideoTest : public ExportTest {};

TEST_F(ExportVideoTest, SingleTrimIsExactH264HighWithTrueTimes) {
    Recorded rec;
    const auto result = GPUVideoExporter::exportSync(front, front.url, folder / "out.mp4", balanced, 0.5, 1.0,
                                                     rec.callbacks());
    EXPECT_EQ(stream(result.path, {"codec_name", "profile", "has_b_frames"}), "h264 High 0");
    EXPECT_EQ(keyFrames(result.path), std::vector<int>({0}));
    const auto frames = rawFrames(result.path, 320, 240);
    ASSERT_EQ(frames.size(), 36u);
    ASSERT_EQ(rec.clocks.size(), 36u);
    for (size_t n = 0; n < frames.size(); ++n) {
        const auto p = pattern(frames[n], 320);
        ASSERT_TRUE(p) << n;
        EXPECT_EQ(p->frameIndex, int(18 + n));
        EXPECT_NEAR(rec.clocks[n], morning + p->frameIndex / 36.0, 1e-3);
    }
    EXPECT_NEAR(*result.startDate(), morning + 0.5, 1e-3);
    rec.expectHonestProgress();
    EXPECT_EQ(entries(folder.path()), (QStringList{"out.mp4", "out.orvane.json", "tmp"}));
}

TEST_F(ExportVideoTest, TimeBoxIsBurnedBottomRightAndOnlyThere) {
    GPUVideoExporter::exportSync(front, front.url, folder / "on.mp4", balanced, 0, 1, {});
    GPUVideoExporter::exportSync(front, front.url, folder / "off.mp4", balancedWithoutTime, 0, 1, {});
    const auto on = rawFrames(folder / "on.mp4", 320, 240), off = rawFrames(folder / "off.mp4", 320, 240);
    ASSERT_FALSE(on.empty());
    ASSERT_EQ(on.size(), off.size());
    auto mean = [](const QByteArray& luma, int x0, int y0, int w, int h) {
        double sum = 0;
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x)
                sum += uint8_t(luma[y * 320 + x]);
        return sum / (w * h);
    };
    // Inside the box's bottom padding (no glyphs), the picture is darkened to 22 %.
    EXPECT_LT(mean(on[0], 200, 231, 60, 2), 0.22 * mean(off[0], 200, 231, 60, 2) + 16 * 0.78 + 8);
    // Away from the box nothing changes beyond coding noise.
    EXPECT_NEAR(mean(on[0], 0, 100, 320, 40), mean(off[0], 0, 100, 320, 40), 2.0);
}

TEST_F(ExportVideoTest, OriginalIsHevcWithAudioCopied) {
    const QString withAudio = folder / "audio.mp4";
    ASSERT_TRUE(
        runProgram("ffmpeg", {"-v", "error", "-i", front.url, "-f", "lavfi", "-i", "sine=d=1", "-map", "0:v",
                              "-map", "1:a", "-c:v", "copy", "-c:a", "aac", "-shortest", withAudio}));
    GPUVideoExporter::exportSync(front, withAudio, folder / "out.mp4", {}, 0, 1, {});
    EXPECT_EQ(stream(folder / "out.mp4", {"codec_name", "profile"}), "hevc Main");
    EXPECT_EQ(stream(folder / "out.mp4", {"codec_name"}, "a"), "aac");
    EXPECT_EQ(rawFrames(folder / "out.mp4", 320, 240).size(), 36u);
}

// Source times of the frames a timelapse takes: the frame shown at each interval from the
// start (the last begun by then), once each, until the end.
std::vector<double> takenFrames(const std::function<double(int)>& frameTime, int frames, double start,
                                double end, int speed, double fps) {
    std::vector<double> taken;
    for (double target = start; target < end - 1e-6; target += speed / fps) {
        int shown = 0;
        while (shown + 1 < frames && frameTime(shown + 1) <= target + 1e-6)
            ++shown;
        if (taken.empty() || taken.back() != frameTime(shown))
            taken.push_back(frameTime(shown));
    }
    return taken;
}

// A timelapse plays the frame shown at each interval from the start (a start inside a frame, on
// a frame's first instant, an uneven pace, minutes joined or side by side, intervals longer than
// the key frames' spacing) at the usual rate, each with its own recording time, and without sound.
TEST_F(ExportVideoTest, TimelapseTakesTheFrameShownAtEachIntervalWithItsOwnTime) {
    const sample::ClipSpec unevenSpec{.path = folder / "uneven-front.mp4",
                                      .width = 64,
                                      .height = 48,
                                      .framesPerSecond = 30,
                                      .seconds = 2,
                                      .startTime = morning,
                                      .unevenTiming = true};
    const TeslaVideoFile uneven = clip(unevenSpec);
    const QString withAudio = folder / "audio.mp4";
    ASSERT_TRUE(
        runProgram("ffmpeg", {"-v", "error", "-i", front.url, "-f", "lavfi", "-i", "sine=d=2", "-map", "0:v",
                              "-map", "1:a", "-c:v", "copy", "-c:a", "aac", "-shortest", withAudio}));
    const auto even = [](int i) { return i / 36.0; };
    const struct {
        Way way;
        int speed;
        double start, length;
    } cases[] = {
        {Way::single, 4, 0, 0},
        {Way::single, 2, 8.7 / 36, 0.5},
        {Way::single, 8, sample::frameTime(unevenSpec, 3), 1.5},
        {Way::continuous, 2, 0, 1},
        {Way::grid, 4, 0, 1},
        // Key frames a second apart: whole seconds and the ends of seconds are not decoded.
        {Way::single, 60, 0, 0},
        {Way::single, 30, 0.5 / 36, 0},
        {Way::continuous, 60, 0, 1},
        {Way::grid, 30, 0, 2},
        {Way::grid, 8, 1.5, 0.5}, // the composer is given nothing of the first second
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(i);
        const bool unevenCase = c.start == sample::frameTime(unevenSpec, 3);
        WatermarkSettings settings = balanced;
        settings.speed = c.speed;
        const QString out = folder / QString("lapse%1.mp4").arg(i);
        Recorded rec;
        std::vector<double> expected;
        if (c.way == Way::single) {
            const TeslaVideoFile& source = unevenCase ? uneven : front;
            GPUVideoExporter::exportSync(source, unevenCase ? source.url : withAudio, out, settings, c.start,
                                         c.length, rec.callbacks());
            const auto frameTime =
                unevenCase
                    ? std::function<double(int)>([&](int n) { return sample::frameTime(unevenSpec, n); })
                    : std::function<double(int)>(even);
            const int frames = unevenCase ? 60 : 72;
            const double end = c.length > 0 ? c.start + c.length : 2.0;
            // The interval is counted in frames at the file's own average rate.
            const QStringList rate = stream(source.url, {"avg_frame_rate"}).split('/');
            const double fps = rate.value(0).toDouble() / rate.value(1).toDouble();
            for (double t : takenFrames(frameTime, frames, c.start, end, c.speed, fps))
                expected.push_back(morning + t);
        } else if (c.way == Way::grid) {
            GPUVideoExporter::exportGrid({{{front, back}, c.start, c.length}}, out, settings,
                                         rec.callbacks());
            for (double t : takenFrames(even, 72, c.start, c.start + c.length, c.speed, 36))
                expected.push_back(morning + t);
        } else {
            GPUVideoExporter::exportContinuous({{front, 0, 1}, {back, 0, 1}}, out, settings, rec.callbacks());
            for (double t : takenFrames(even, 72, 0, 2, c.speed, 36))
                expected.push_back(t < 1 ? morning + t : afternoon + t - 1);
        }
        ASSERT_EQ(rec.clocks.size(), expected.size());
        for (size_t n = 0; n < expected.size(); ++n)
            EXPECT_NEAR(rec.clocks[n], expected[n], 1e-3) << n;
        // The picture is the frame of that time: passing over undecoded stretches took no other.
        if (c.way != Way::grid && !unevenCase) {
            const auto frames = rawFrames(out, 320, 240);
            ASSERT_EQ(frames.size(), expected.size());
            for (size_t n = 0; n < frames.size(); ++n) {
                const auto p = pattern(frames[n], 320);
                ASSERT_TRUE(p) << n;
                const Instant recorded = expected[n] < afternoon ? morning : afternoon;
                EXPECT_EQ(p->frameIndex, int(std::lround((expected[n] - recorded) * 36))) << n;
            }
        }
        EXPECT_EQ(stream(out, {"nb_frames"}).toULongLong(), expected.size()) << "played at the usual rate";
        EXPECT_EQ(stream(out, {"codec_type"}, "a"), "");
        rec.expectHonestProgress();
    }
}

// A grid timelapse composes, in each cell, the frame ffmpeg shows at each moment from the whole
// file, though only the key-frame stretches holding those frames are decoded; at the grid's own
// pace that is the first frame at or after the cut and every speed-th after it, the frames whose
// times are burned in. Cases: a cut past the first key frame, moments on key frames and just
// before them, a cut inside a frame, an uneven pace.
TEST_F(ExportVideoTest, GridTimelapseComposesTheFramesOfItsMoments) {
    // 16:9 cells are not cropped, so each pattern stays whole; key frames a second apart.
    const auto cells = [&](bool uneven) {
        std::vector<TeslaVideoFile> videos;
        for (CameraAngle camera : {CameraAngle::front, CameraAngle::back})
            videos.push_back(
                clip({.path = folder / QString("t%1%2").arg(uneven).arg(Camera::fileNameSuffix(camera)),
                      .camera = camera,
                      .width = 320,
                      .height = 180,
                      .seconds = 4,
                      .startTime = morning,
                      .unevenTiming = uneven}));
        return videos;
    };
    const std::vector<TeslaVideoFile> even = cells(false), uneven = cells(true);
    const PixelSize canvas = FFmpegCommands::gridCanvas(Camera::GridLayout::four, ExportQuality::balanced);
    const struct {
        double start, length;
        int speed;
        bool uneven;
    } cases[] = {{1.5, 1.5, 8, false},     {0, 4, 36, false},   {0, 4, 35, false},
                 {8.4 / 36, 3, 30, false}, {2.9, 1, 60, false}, {0.6, 3.2, 13, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.start << " s for " << c.length << " s at " << c.speed);
        const std::vector<TeslaVideoFile>& videos = c.uneven ? uneven : even;
        FFmpegGridExporter::GridFeed feed({{videos, c.start, c.length}}, Camera::GridLayout::four,
                                          ExportQuality::balanced, {}, c.speed);
        const media::RawVideoStream stream = feed.stream();
        ASSERT_EQ(PixelSize(stream.width, stream.height), canvas);
        QFile pipe;
        ASSERT_TRUE(pipe.open(stream.fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle));
        const std::vector<QByteArray> ours = lumaPlanes(pipe.readAll(), canvas);
        feed.finish();
        const std::map<CameraAngle, QString> whole{{CameraAngle::front, videos[0].url},
                                                   {CameraAngle::back, videos[1].url}};
        const auto shown =
            composedLumas(folder, Camera::GridLayout::four, whole, c.start, c.length, canvas, c.speed);
        ASSERT_EQ(ours.size(), shown.size());
        ASSERT_EQ(int(ours.size()), FFmpegCommands::gridFrames(c.length, c.speed));
        const int first = int(std::ceil(c.start * FFmpegCommands::gridFrameRate - 1e-6)),
                  w = canvas.width / 2, h = canvas.height / 2;
        for (size_t n = 0; n < ours.size(); ++n) {
            for (int x : {0, w}) {
                const auto p = pattern(ours[n], canvas.width, x, 0, w, h),
                           expected = pattern(shown[n], canvas.width, x, 0, w, h);
                ASSERT_TRUE(p && expected) << n;
                EXPECT_EQ(p->frameIndex, expected->frameIndex) << n;
                if (!c.uneven) {
                    EXPECT_EQ(p->frameIndex, first + int(n) * c.speed) << n;
                }
            }
        }
    }
}

// A camera file marked as rotated is exported upright, as players show it.
TEST_F(ExportVideoTest, RotatedSourceIsExportedUpright) {
    const QString rotated = folder / "rotated-back.mp4";
    ASSERT_TRUE(runProgram(
        "ffmpeg", {"-v", "error", "-i", back.url, "-c", "copy", "-metadata:s:v:0", "rotate=90", rotated}));
    GPUVideoExporter::exportSync(back, rotated, folder / "out.mp4", balancedWithoutTime, 0, 0, {});
    EXPECT_EQ(stream(folder / "out.mp4", {"width", "height"}), "240 320");
    // ffmpeg turns the source upright on decoding; our export must look the same.
    const auto ours = rawFrames(folder / "out.mp4", 240, 320), upright = rawFrames(rotated, 240, 320);
    ASSERT_FALSE(ours.empty());
    ASSERT_EQ(ours.size(), upright.size());
    double difference = 0;
    for (qsizetype i = 0; i < ours[0].size(); ++i)
        difference += std::abs(int(uint8_t(ours[0][i])) - int(uint8_t(upright[0][i])));
    EXPECT_LT(difference / ours[0].size(), 6.0);
}

TEST_F(ExportVideoTest, SpliceOfRecordingsHoursApartBurnsEachFramesOwnTime) {
    const QString temp = folder.makeFolder("it's temp"); // the concat list must quote this
    ScopedEnvironment quotedTemp("TMPDIR", QFile::encodeName(temp));
    Recorded rec;
    const auto result = GPUVideoExporter::exportContinuous({{front, 0.5, 1.0}, {back, 1.2, 0.5}},
                                                           folder / "splice.mp4", balanced, rec.callbacks());
    const auto frames = rawFrames(folder / "splice.mp4", 320, 240);
    ASSERT_EQ(frames.size(), rec.clocks.size());
    ASSERT_GT(frames.size(), 40u);
    bool seenBack = false;
    for (size_t n = 0; n < frames.size(); ++n) {
        const auto p = pattern(frames[n], 320);
        ASSERT_TRUE(p) << n;
        const bool isBack = p->cameraIndex == sample::cameraIndex(CameraAngle::back);
        EXPECT_TRUE(isBack || !seenBack) << "pieces out of order at " << n;
        seenBack = seenBack || isBack;
        EXPECT_NEAR(rec.clocks[n], (isBack ? afternoon : morning) + p->frameIndex / 36.0, 2e-3)
            << "frame " << n;
    }
    EXPECT_TRUE(seenBack);
    // The copied cut began at the key frame before 0.5 s: the true start is that frame's time.
    EXPECT_NEAR(*result.startDate(), morning + pattern(frames[0], 320)->frameIndex / 36.0, 2e-3);
    rec.expectHonestProgress();
    EXPECT_TRUE(entries(temp).isEmpty());
}

TEST_F(ExportVideoTest, GridPlacesCamerasAndFillsMissingCellBlack) {
    // 16:9 cells are not cropped, so each pattern stays whole.
    std::vector<TeslaVideoFile> cells;
    std::vector<int> cameras;
    std::map<CameraAngle, QString> inputs;
    for (auto camera : {CameraAngle::front, CameraAngle::back, CameraAngle::leftRepeater}) {
        cameras.push_back(sample::cameraIndex(camera));
        cells.push_back(clip(folder, "m" + Camera::fileNameSuffix(camera), camera, morning, 1, 320, 180));
        inputs[camera] = cells.back().url;
    }
    const GridExportSegment segment{cells, 0.25, 0.5};

    // The composed grid at the export's size, before labels cover the patterns' corners.
    const PixelSize canvas = FFmpegCommands::gridCanvas(Camera::GridLayout::four, ExportQuality::balanced);
    const auto grid = composedLumas(folder, Camera::GridLayout::four, inputs, 0.25, 0.5, canvas);
    ASSERT_EQ(grid.size(), 18u);
    const int w = canvas.width / 2, h = canvas.height / 2;
    for (size_t n = 0; n < grid.size(); ++n) {
        const auto tl = pattern(grid[n], canvas.width, 0, 0, w, h),
                   tr = pattern(grid[n], canvas.width, w, 0, w, h),
                   bl = pattern(grid[n], canvas.width, 0, h, w, h);
        ASSERT_TRUE(tl && tr && bl) << n;
        const int frame = int(9 + n);
        EXPECT_EQ((std::vector{*tl, *tr, *bl}),
                  (std::vector<sample::FramePattern>{
                      {frame, cameras[0]}, {frame, cameras[1]}, {frame, cameras[2]}}));
        EXPECT_FALSE(pattern(grid[n], canvas.width, w, h, w, h));
    }

    Recorded rec;
    const auto result =
        GPUVideoExporter::exportGrid({segment}, folder / "grid.mp4", balanced, rec.callbacks());
    EXPECT_EQ(stream(folder / "grid.mp4", {"codec_name", "width", "height"}), "h264 1280 720");
    ASSERT_EQ(rec.clocks.size(), 18u);
    for (size_t n = 0; n < rec.clocks.size(); ++n)
        EXPECT_NEAR(rec.clocks[n], morning + (9 + n) / 36.0, 1e-3);
    EXPECT_NEAR(*result.startDate(), morning + 0.25, 1e-3);
    rec.expectHonestProgress();
}

// The four-camera grid looks as ffmpeg lays it out in one pass at the same size: the cars' 3:2
// pictures cropped to cover their 16:9 cells, front and back over the left and right repeaters.
TEST_F(ExportVideoTest, FourCameraGridInOnePassKeepsTheComposedLayout) {
    std::vector<TeslaVideoFile> cells;
    QStringList inputs;
    for (CameraAngle camera : Camera::gridOrder) {
        cells.push_back(clip(folder, "s" + Camera::fileNameSuffix(camera), camera, morning, 1, 362, 234));
        inputs << "-i" << cells.back().url;
    }
    const QString ours = folder / "ours.mp4";
    GPUVideoExporter::exportGrid({{cells, 0, 1}}, ours, balancedWithoutTime, {});
    const auto ssimAgainst = [&](const QString& order) {
        QString graph;
        for (int k = 0; k < 4; ++k)
            graph +=
                QString(
                    "[%1:v]scale=640:360:force_original_aspect_ratio=increase,crop=640:360,setsar=1[c%1];")
                    .arg(k);
        graph += order;
        const QString peer = folder / "peer.mp4";
        EXPECT_TRUE(runProgram("ffmpeg", QStringList{"-v", "error", "-y"} + inputs +
                                             QStringList{"-filter_complex", graph, "-frames:v", "36", "-c:v",
                                                         "libx264", "-crf", "12", peer}));
        QByteArray log;
        int code = 0;
        runProgram("ffmpeg", {"-i", ours, "-i", peer, "-lavfi", "[0:v][1:v]ssim", "-f", "null", "-"}, &code,
                   &log);
        const auto all = QRegularExpression("All:([0-9.]+)").match(QString::fromUtf8(log));
        EXPECT_TRUE(all.hasMatch()) << log.toStdString();
        return all.captured(1).toDouble();
    };
    EXPECT_GE(ssimAgainst("[c0][c1]hstack[top];[c2][c3]hstack[bottom];[top][bottom]vstack"), 0.95);
    EXPECT_LT(ssimAgainst("[c1][c0]hstack[top];[c3][c2]hstack[bottom];[top][bottom]vstack"), 0.95)
        << "the comparison tells the cells apart";
    EXPECT_EQ(stream(ours, {"codec_name", "width", "height", "nb_frames"}), "h264 1280 720 36");
}

// Hardware encoders this machine lacks, standing in and failing to open or part-way: the export
// ends on the next encoder, whole, with its true times and honest progress; later exports start
// with the encoder that worked.
TEST_F(ExportVideoTest, FailingHardwareEncodersFallBackWithNothingLost) {
    using media::HardwareEncoding::Path;
    const struct {
        std::vector<media::HardwareEncoding::StandIn> standIns;
        Way way;
        QString encoder;
        size_t frames;
    } cases[] = {
        {{{Path::vaapi, true}, {Path::nvenc, true}}, Way::single, "libx264", 72},
        {{{Path::vaapi, false, 5}}, Way::single, "libx264", 72},
        {{{Path::vaapi, true}, {Path::nvenc, false, 20}}, Way::grid, "libx264", 36},
        {{{Path::nvenc, false, 40}, {Path::vaapi}}, Way::continuous, "h264_vaapi", 72},
    };
    for (size_t i = 0; i < std::size(cases); ++i) {
        const auto& c = cases[i];
        SCOPED_TRACE(i);
        media::HardwareEncoding::standInForTesting(c.standIns);
        const QString out = folder / QString("hw%1.mp4").arg(i);
        Recorded rec;
        const ExportResult result =
            c.way == Way::single
                ? GPUVideoExporter::exportSync(front, front.url, out, balanced, 0, 0, rec.callbacks())
            : c.way == Way::grid
                ? GPUVideoExporter::exportGrid({{{front, back}, 0, 1}}, out, balanced, rec.callbacks())
                : GPUVideoExporter::exportContinuous({{front, 0, 1}, {back, 0, 1}}, out, balanced,
                                                     rec.callbacks());
        EXPECT_EQ(result.encoder, c.encoder);
        EXPECT_EQ(media::HardwareEncoding::chosenEncoder(media::VideoCodec::H264), c.encoder);
        EXPECT_EQ(stream(out, {"nb_frames"}).toULongLong(), c.frames);
        ASSERT_EQ(rec.clocks.size(), c.frames);
        for (size_t n = 0; n < c.frames; ++n)
            EXPECT_NEAR(rec.clocks[n],
                        (n < 36 || c.way == Way::single ? morning + n / 36.0 : afternoon + (n - 36) / 36.0),
                        1e-3)
                << n;
        rec.expectHonestProgress();
        EXPECT_TRUE(QFile::exists(ExportManifest::pathFor(out)));
        EXPECT_TRUE(entries(temp).isEmpty());
    }
    EXPECT_EQ(media::HardwareEncoding::candidates(media::VideoCodec::H264).front(), Path::vaapi);
    media::HardwareEncoding::standInForTesting({});
}

TEST_F(ExportVideoTest, CancelledExportLeavesEarlierFileAndNothingElse) {
    const QString out = folder.writeFile("out/result.mp4", "earlier export");
    // Before any work, during a join, during the encode; the grid's pictures come from ffmpeg
    // through a pipe while they are encoded.
    for (const Way way : {Way::continuous, Way::grid})
        for (double cancelAt : {0.0, 0.2, 0.6}) {
            SCOPED_TRACE(nameOf(way));
            ExportCallbacks callbacks;
            callbacks.onProgress = [&](double p) {
                if (p >= cancelAt)
                    callbacks.cancel.cancel();
            };
            // Two thirds of the frames are still to come at 0.6: the encoding stops at the cancel.
            int framesAfterCancel = 0;
            callbacks.onFrame = [&](int64_t, Instant) {
                framesAfterCancel += callbacks.cancel.isCancelled();
            };
            if (cancelAt == 0.0)
                callbacks.cancel.cancel();
            EXPECT_THROW(way == Way::grid
                             ? GPUVideoExporter::exportGrid({{{front, back}, 0, 2}}, out, balanced, callbacks)
                             : GPUVideoExporter::exportContinuous({{front, 0, 2}}, out, balanced, callbacks),
                         OperationCancelled);
            EXPECT_LE(framesAfterCancel, 2) << cancelAt;
            EXPECT_EQ(entries(folder / "out"), QStringList{"result.mp4"});
            EXPECT_EQ(digest(out),
                      QCryptographicHash::hash("earlier export", QCryptographicHash::Sha256).toHex());
            EXPECT_TRUE(entries(temp).isEmpty());
        }
}

// Each failure says what failed in our words and leaves no output; a join of nothing readable fails.
TEST_F(ExportVideoTest, BadSourcesAndDestinationsFail) {
    const QString audioOnly = folder / "audio.m4a";
    ASSERT_TRUE(
        runProgram("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "sine=d=1", "-c:a", "aac", audioOnly}));
    const QString truncated = writeClip(
        {.path = folder / "cut-front.mp4", .width = 64, .height = 48, .damage = sample::Damage::truncated});
    using Kind = GPUVideoExporterError::Kind;
    const struct {
        QString input;
        double start;
        QString output;
        Kind kind;
        Way way = Way::single;
    } cases[] = {
        {audioOnly, 0, folder / "o1.mp4", Kind::noVideoTrack},
        {truncated, 0, folder / "o2.mp4", Kind::exportFailed},
        {folder.writeFile("empty.mp4"), 0, folder / "o3.mp4", Kind::exportFailed},
        {folder / "missing.mp4", 0, folder / "o4.mp4", Kind::exportFailed},
        {front.url, 5, folder / "o5.mp4", Kind::exportFailed}, // starts past the end
        {front.url, 0, "/proc/orvane-no-such-dir/o6.mp4", Kind::exportFailed},
        {folder.writeFile("x-front.mp4", "not a video"), 0, folder / "o7.mp4", Kind::exportFailed,
         Way::continuous},
    };
    for (const auto& c : cases) {
        TeslaVideoFile source = front;
        source.url = c.input;
        try {
            if (c.way == Way::single)
                GPUVideoExporter::exportSync(front, c.input, c.output, balanced, c.start, 0, {});
            else
                exportAs(c.way, {source}, c.output);
            ADD_FAILURE() << c.output.toStdString();
        } catch (const GPUVideoExporterError& e) {
            EXPECT_EQ(e.kind(), c.kind) << c.output.toStdString() << ": " << e.description().toStdString();
            EXPECT_FALSE(e.description().contains("mov,mp4") || e.description().contains("Invalid data"))
                << e.description().toStdString();
        }
        EXPECT_FALSE(QFile::exists(c.output));
    }
    EXPECT_EQ(entries(folder.path()),
              QStringList({"audio.m4a", "cut-front.mp4", "empty.mp4", "tmp", "x-front.mp4"}));
    EXPECT_TRUE(entries(temp).isEmpty());
}

// Six cameras, each whole in its cell (4:3 letterboxed) in the car's order, encoded unscaled with true times.
TEST_F(ExportVideoTest, SixCameraGridFitsEveryCameraInItsCellAtTheOutputSize) {
    std::vector<TeslaVideoFile> cells, later;
    std::map<CameraAngle, QString> inputs;
    for (CameraAngle camera : Camera::physicalCases) {
        const bool square = camera == CameraAngle::back;
        const int w = square ? 256 : 288, h = square ? 192 : 186;
        cells.push_back(clip(folder, "m" + Camera::fileNameSuffix(camera), camera, morning, 0.5, w, h));
        later.push_back(clip(folder, "a" + Camera::fileNameSuffix(camera), camera, afternoon, 0.5, w, h));
        inputs[camera] = cells.back().url;
    }
    const GridExportSegment segment{cells, 0, 0.5};
    const PixelSize canvas = FFmpegCommands::gridCanvas(Camera::GridLayout::six, ExportQuality::balanced);
    const auto lumas = composedLumas(folder, Camera::GridLayout::six, inputs, 0, 0.5, canvas);
    ASSERT_EQ(lumas.size(), 18u);
    const QByteArray& luma = lumas[9];
    const int w = canvas.width / 3, h = canvas.height / 2;
    for (size_t cell = 0; cell < Camera::sixGridOrder.size(); ++cell) {
        // The 4:3 camera stands whole between black bars.
        const int shown = Camera::sixGridOrder[cell] == CameraAngle::back ? h * 4 / 3 : w;
        const auto found =
            pattern(luma, canvas.width, int(cell % 3) * w + (w - shown) / 2, int(cell / 3) * h, shown, h);
        ASSERT_TRUE(found) << cell;
        EXPECT_EQ(found->cameraIndex, sample::cameraIndex(Camera::sixGridOrder[cell])) << cell;
        EXPECT_EQ(found->frameIndex, 9);
    }

    Recorded rec;
    const auto result = GPUVideoExporter::exportGrid({segment, {later, 0.25, 0.25}}, folder / "six.mp4",
                                                     balanced, rec.callbacks());
    // Its size is also the end-to-end view model test's and the command line's.
    EXPECT_EQ(rawFrames(folder / "six.mp4", canvas.width, canvas.height).size(), 27u) << "unscaled";
    ASSERT_EQ(rec.clocks.size(), 27u);
    for (size_t n = 0; n < rec.clocks.size(); ++n)
        EXPECT_NEAR(rec.clocks[n], n < 18 ? morning + n / 36.0 : afternoon + (n - 9) / 36.0, 1e-3) << n;
    EXPECT_NEAR(*result.startDate(), morning, 1e-3);
    EXPECT_FALSE(result.truncated);
    rec.expectHonestProgress();
    EXPECT_TRUE(entries(temp).isEmpty());

    // A later minute's camera that cannot be read is left out and named; an encrypted camera
    // leaves nothing of the output. (A cancel or an ffmpeg dying while it writes: CliSignalTest.)
    const QString garbage = folder.writeFile("g-back.mp4", "not a video");
    writeClip({.path = folder / "e-back.mp4", .damage = sample::Damage::encrypted});
    for (const QString& bad : {garbage, folder / "e-back.mp4"}) {
        std::vector<TeslaVideoFile> damaged = later;
        for (TeslaVideoFile& v : damaged)
            if (v.cameraAngle == CameraAngle::back)
                v.url = bad;
        const QString out = folder / "failed.mp4";
        try {
            const auto done = GPUVideoExporter::exportGrid({segment, {damaged, 0, 0.5}}, out, balanced, {});
            EXPECT_EQ(bad, garbage);
            ASSERT_EQ(done.skipped.size(), 1u);
            EXPECT_EQ(done.skipped[0].video.url, garbage);
            EXPECT_EQ(done.skipped[0].kind, SkippedFootage::Kind::leftOut);
            EXPECT_TRUE(QFile::remove(out));
            EXPECT_TRUE(QFile::remove(ExportManifest::pathFor(out)));
        } catch (const GPUVideoExporterError& e) {
            EXPECT_EQ(e.kind(), GPUVideoExporterError::Kind::encryptedSource) << bad.toStdString();
        }
        EXPECT_FALSE(QFile::exists(out));
        EXPECT_TRUE(entries(temp).isEmpty());
    }
}

// A saved event whose middle front minute the car cut short (or left unreadable), planned as the
// window and the command line plan it and exported by the same exporters: that minute gives what
// it holds or is left out, and is named; the times burned in stay true across the gap; the file
// is named after its first and last frames.
TEST_F(ExportVideoTest, ADamagedMinuteGivesWhatItHoldsAndIsNamedWithTrueTimesAcrossTheGap) {
    constexpr double minute = 1; // seconds of footage a minute
    constexpr int frames = 36;   // … its pictures
    const struct {
        sample::Damage damage;
        ExportRequest::Kind kind;
        SkippedFootage::Kind skipped;
    } cases[] = {{sample::Damage::cutShort, ExportRequest::Kind::continuous, SkippedFootage::Kind::cutShort},
                 {sample::Damage::truncated, ExportRequest::Kind::continuous, SkippedFootage::Kind::leftOut},
                 {sample::Damage::cutShort, ExportRequest::Kind::grid, SkippedFootage::Kind::cutShort}};
    for (const auto& c : cases) {
        SCOPED_TRACE(int(c.damage) * 10 + int(c.kind));
        TempFolder drive;
        sample::DriveSpec spec;
        spec.root = drive / "TeslaCam";
        spec.scale = 0.125;
        spec.minuteSeconds = minute;
        const QString damaged = sample::addDamagedEvent(spec, c.damage);
        std::vector<TeslaVideoFile> videos;
        for (const QString& path : sample::writeDrive(spec))
            if (path.endsWith(c.kind == ExportRequest::Kind::grid ? ".mp4" : "-front.mp4"))
                videos.push_back(MetadataParser::parseVideo(path, std::nullopt));
        const ExportPlan plan =
            ExportPlanner::plan(c.kind == ExportRequest::Kind::grid ? ExportRequest::grid(videos)
                                                                    : ExportRequest::continuous(videos));
        Recorded rec;
        ExportCallbacks callbacks = rec.callbacks();
        TeslaClipEvent event;
        event.category = ClipCategory::saved;
        event.startTime = videos.front().startTime;
        const QString planned = event.partialContinuousOutputFileName(CameraAngle::front, 0, 180);
        callbacks.nameForFrames = [&](Instant first, Instant last) {
            return *TeslaClipEvent::retimedOutputFileName(planned, first, last);
        };
        const ExportResult result =
            c.kind == ExportRequest::Kind::grid
                ? GPUVideoExporter::exportGrid(plan.gridSegments, folder / planned, balanced, callbacks)
                : GPUVideoExporter::exportContinuous(plan.segments, folder / planned, balanced, callbacks);
        QFile::remove(ExportManifest::pathFor(result.path)); // never replaced: the next case needs the name
        ASSERT_EQ(result.skipped.size(), 1u);
        EXPECT_EQ(result.skipped[0].video.fileName, damaged);
        EXPECT_EQ(result.skipped[0].kind, c.skipped);
        // Each minute's frames run on from its own start; the damaged one's stop where it does.
        const Instant start = videos.front().startTime;
        std::map<int, int> framesOfMinute;
        for (size_t n = 0; n < rec.clocks.size(); ++n) {
            const int m = int(std::floor((rec.clocks[n] - start + 1e-3) / 60));
            EXPECT_NEAR(rec.clocks[n], start + 60 * m + framesOfMinute[m]++ / 36.0, 1e-3) << n;
        }
        std::map<int, int> expected{{0, frames}, {2, frames}};
        if (c.skipped == SkippedFootage::Kind::cutShort) // the grid's other cameras fill the minute
            expected[1] = c.kind == ExportRequest::Kind::grid
                              ? frames
                              : int(std::lround(result.skipped[0].keptSeconds * 36));
        EXPECT_EQ(framesOfMinute, expected);
        EXPECT_EQ(QFileInfo(result.path).fileName(),
                  *TeslaClipEvent::retimedOutputFileName(planned, rec.clocks.front(), rec.clocks.back()));
        EXPECT_NEAR(*result.endDate, rec.clocks.back(), 1e-3);
        EXPECT_NEAR(result.requestedLength, 3 * minute, 0.05);
    }
}

// A range starting inside a frame or on its first instant starts with that frame, at 30 fps and unevenly.
TEST_F(ExportVideoTest, RangesFollowTheFilesOwnFrameTimes) {
    for (const bool uneven : {false, true}) {
        const sample::ClipSpec spec{.path = folder / QString("range%1-front.mp4").arg(uneven),
                                    .width = 64,
                                    .height = 48,
                                    .framesPerSecond = 30,
                                    .startTime = morning,
                                    .unevenTiming = uneven};
        const TeslaVideoFile video = clip(spec);
        for (const double within : {0.0, 0.7}) {
            const double start = sample::frameTime(spec, 8) +
                                 within * (sample::frameTime(spec, 9) - sample::frameTime(spec, 8));
            Recorded rec;
            GPUVideoExporter::exportSync(video, video.url, folder / "range.mp4", balanced, start,
                                         sample::frameTime(spec, 14) - start, rec.callbacks());
            QFile::remove(ExportManifest::pathFor(folder / "range.mp4")); // never replaced: the next needs it
            ASSERT_EQ(rec.clocks.size(), 6u) << "uneven " << uneven << " within " << within;
            for (size_t n = 0; n < rec.clocks.size(); ++n)
                EXPECT_NEAR(rec.clocks[n], morning + sample::frameTime(spec, 8 + int64_t(n)), 1e-3) << n;
        }
    }
}

} // namespace
