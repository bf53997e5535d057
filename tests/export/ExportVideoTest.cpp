// End-to-end exports of sample-drive clips, checked frame by frame through the pattern every
// sample frame carries (its index in the file and its camera).

#include "ExportErrors.h"
#include "FramePattern.h"
#include "FrameCapture.h"
#include "GPUVideoExporter.h"
#include "SampleDrive.h"
#include "ExportTestSupport.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <cmath>

using namespace orvane;
using namespace orvane::test;

namespace {

QJsonObject probe(const QString& path) {
    const auto out = test::runProgram("ffprobe", {"-v", "error", "-show_streams", "-show_entries", "packet=flags,stream_index",
                                                  "-of", "json", path});
    return out ? QJsonDocument::fromJson(*out).object() : QJsonObject();
}

QJsonObject stream(const QJsonObject& info, const QString& type) {
    for (const auto& s : info["streams"].toArray())
        if (s.toObject()["codec_type"].toString() == type)
            return s.toObject();
    return {};
}

// Key frame positions among the video packets.
std::vector<int> keyFrames(const QJsonObject& info) {
    const int videoIndex = stream(info, "video")["index"].toInt();
    std::vector<int> keys;
    int n = 0;
    for (const auto& p : info["packets"].toArray()) {
        if (p.toObject()["stream_index"].toInt() != videoIndex)
            continue;
        if (p.toObject()["flags"].toString().startsWith('K'))
            keys.push_back(n);
        ++n;
    }
    return keys;
}

// The luma planes of every frame.
std::vector<QByteArray> lumaFrames(const QString& path, int width, int height) {
    const auto out = test::runProgram("ffmpeg", {"-v", "error", "-i", path, "-f", "rawvideo", "-pix_fmt", "gray", "-"});
    std::vector<QByteArray> frames;
    const qsizetype size = qsizetype(width) * height;
    for (qsizetype at = 0; out && at + size <= out->size(); at += size)
        frames.push_back(out->mid(at, size));
    return frames;
}

std::optional<sample::FramePattern> pattern(const QByteArray& luma, int stride, int x, int y, int w, int h) {
    return sample::FramePattern::read(reinterpret_cast<const uint8_t*>(luma.constData()) + y * stride + x, stride, w, h);
}

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
    void expectHonestProgress() const {
        ASSERT_FALSE(progress.empty());
        for (size_t i = 0; i + 1 < progress.size(); ++i) {
            EXPECT_LE(progress[i], 0.99);
            EXPECT_LE(progress[i], progress[i + 1] + 1e-12);
        }
        EXPECT_EQ(progress.back(), 1.0);
    }
};

TEST(ExportVideoTest, SingleTrimIsExactH264HighWithTrueTimes) {
    test::TempFolder folder;
    const TeslaVideoFile video = clip(folder, "a-front.mp4", CameraAngle::front, morning);
    const QString out = folder / "out.mp4";
    Recorded rec;
    const auto result = GPUVideoExporter::exportSync(video, video.url, out, settings(ExportQuality::balanced), 0.5, 1.0,
                                                     rec.callbacks());
    const QJsonObject info = probe(out);
    const QJsonObject v = stream(info, "video");
    EXPECT_EQ(v["codec_name"].toString(), "h264");
    EXPECT_EQ(v["profile"].toString(), "High");
    EXPECT_EQ(v["width"].toInt(), 320);
    EXPECT_EQ(v["height"].toInt(), 240);
    EXPECT_EQ(v["has_b_frames"].toInt(), 0);
    EXPECT_EQ(keyFrames(info), std::vector<int>({0}));
    const auto frames = lumaFrames(out, 320, 240);
    ASSERT_EQ(frames.size(), 36u);
    ASSERT_EQ(rec.clocks.size(), 36u);
    for (size_t n = 0; n < frames.size(); ++n) {
        const auto p = pattern(frames[n], 320, 0, 0, 320, 240);
        ASSERT_TRUE(p) << n;
        EXPECT_EQ(p->frameIndex, int(18 + n));
        EXPECT_NEAR(rec.clocks[n], morning + p->frameIndex / 36.0, 1e-3);
    }
    EXPECT_NEAR(*result.startDate(), morning + 0.5, 1e-3);
    rec.expectHonestProgress();
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 2); // source and output
}

TEST(ExportVideoTest, TimeBoxIsBurnedBottomRightAndOnlyThere) {
    test::TempFolder folder;
    const TeslaVideoFile video = clip(folder, "a-front.mp4", CameraAngle::front, morning, 1);
    GPUVideoExporter::exportSync(video, video.url, folder / "on.mp4", settings(ExportQuality::balanced, true), 0, 0, {});
    GPUVideoExporter::exportSync(video, video.url, folder / "off.mp4", settings(ExportQuality::balanced, false), 0, 0, {});
    const auto on = lumaFrames(folder / "on.mp4", 320, 240);
    const auto off = lumaFrames(folder / "off.mp4", 320, 240);
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

TEST(ExportVideoTest, OriginalIsHevcWithAudioCopied) {
    test::TempFolder folder;
    const TeslaVideoFile video = clip(folder, "a-front.mp4", CameraAngle::front, morning, 1);
    const QString withAudio = folder / "audio.mp4";
    ASSERT_TRUE(test::runProgram("ffmpeg", {"-v", "error", "-i", video.url, "-f", "lavfi", "-i", "sine=d=1", "-map", "0:v",
                                            "-map", "1:a", "-c:v", "copy", "-c:a", "aac", "-shortest", withAudio}));
    GPUVideoExporter::exportSync(video, withAudio, folder / "out.mp4", settings(ExportQuality::original), 0, 0, {});
    const QJsonObject info = probe(folder / "out.mp4");
    EXPECT_EQ(stream(info, "video")["codec_name"].toString(), "hevc");
    EXPECT_EQ(stream(info, "video")["profile"].toString(), "Main");
    EXPECT_EQ(stream(info, "video")["width"].toInt(), 320);
    EXPECT_EQ(stream(info, "audio")["codec_name"].toString(), "aac");
    EXPECT_EQ(lumaFrames(folder / "out.mp4", 320, 240).size(), 36u);
}

// A camera file marked as rotated is exported upright, as players show it.
TEST(ExportVideoTest, RotatedSourceIsExportedUpright) {
    test::TempFolder folder;
    const TeslaVideoFile video = clip(folder, "a-back.mp4", CameraAngle::back, morning, 1);
    const QString rotated = folder / "rotated-back.mp4";
    ASSERT_TRUE(test::runProgram("ffmpeg", {"-v", "error", "-i", video.url, "-c", "copy", "-metadata:s:v:0", "rotate=90",
                                            rotated}));
    GPUVideoExporter::exportSync(video, rotated, folder / "out.mp4", settings(ExportQuality::balanced, false), 0, 0, {});
    const QJsonObject v = stream(probe(folder / "out.mp4"), "video");
    EXPECT_EQ(v["width"].toInt(), 240);
    EXPECT_EQ(v["height"].toInt(), 320);
    // ffmpeg turns the source upright on decoding; our export must look the same.
    const auto ours = lumaFrames(folder / "out.mp4", 240, 320);
    const auto upright = lumaFrames(rotated, 240, 320);
    ASSERT_FALSE(ours.empty());
    ASSERT_EQ(ours.size(), upright.size());
    double difference = 0;
    for (qsizetype i = 0; i < ours[0].size(); ++i)
        difference += std::abs(int(uint8_t(ours[0][i])) - int(uint8_t(upright[0][i])));
    EXPECT_LT(difference / ours[0].size(), 6.0);
}

TEST(ExportVideoTest, SpliceOfRecordingsHoursApartBurnsEachFramesOwnTime) {
    test::TempFolder folder;
    const QString temp = folder.makeFolder("it's temp"); // the concat list must quote this
    ScopedTemp scopedTemp(temp);
    const Instant later = morning + 3 * 3600 + 17;
    const TeslaVideoFile a = clip(folder, "a-front.mp4", CameraAngle::front, morning);
    const TeslaVideoFile b = clip(folder, "b-back.mp4", CameraAngle::back, later);
    Recorded rec;
    const auto result = GPUVideoExporter::exportContinuous({{a, 0.5, 1.0}, {b, 1.2, 0.5}}, folder / "splice.mp4",
                                                           settings(ExportQuality::balanced), rec.callbacks());
    const auto frames = lumaFrames(folder / "splice.mp4", 320, 240);
    ASSERT_EQ(frames.size(), rec.clocks.size());
    ASSERT_GT(frames.size(), 40u);
    bool seenBack = false;
    for (size_t n = 0; n < frames.size(); ++n) {
        const auto p = pattern(frames[n], 320, 0, 0, 320, 240);
        ASSERT_TRUE(p) << n;
        const bool isBack = p->cameraIndex == sample::cameraIndex(CameraAngle::back);
        EXPECT_TRUE(isBack || !seenBack) << "pieces out of order at " << n;
        seenBack = seenBack || isBack;
        const Instant expected = (isBack ? later : morning) + p->frameIndex / 36.0;
        EXPECT_NEAR(rec.clocks[n], expected, 2e-3) << "frame " << n;
    }
    EXPECT_TRUE(seenBack);
    // The copied cut began at the key frame before 0.5 s: the true start is that frame's time.
    const auto first = pattern(frames[0], 320, 0, 0, 320, 240);
    EXPECT_NEAR(*result.startDate(), morning + first->frameIndex / 36.0, 2e-3);
    rec.expectHonestProgress();
    EXPECT_TRUE(QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
}

TEST(ExportVideoTest, GridPlacesCamerasAndFillsMissingCellBlack) {
    test::TempFolder folder;
    ScopedTemp scopedTemp(folder.makeFolder("tmp"));
    const TeslaVideoFile front = clip(folder, "m-front.mp4", CameraAngle::front, morning, 1, 320, 180); // 16:9 cells are not cropped
    const TeslaVideoFile back = clip(folder, "m-back.mp4", CameraAngle::back, morning, 1, 320, 180); // 16:9 cells are not cropped
    const TeslaVideoFile left = clip(folder, "m-left_repeater.mp4", CameraAngle::leftRepeater, morning, 1, 320, 180); // 16:9 cells are not cropped
    const GridExportSegment segment{{front, back, left}, 0.25, 0.5};

    // The composed grid, before labels cover the patterns' corners.
    const IntermediateVideo composed = FFmpegGridExporter::compose({segment}, {}, {});
    const auto cells = lumaFrames(composed.path, 2560, 1440);
    QFile::remove(composed.path);
    ASSERT_EQ(cells.size(), 18u);
    for (size_t n = 0; n < cells.size(); ++n) {
        const auto tl = pattern(cells[n], 2560, 0, 0, 1280, 720);
        const auto tr = pattern(cells[n], 2560, 1280, 0, 1280, 720);
        const auto bl = pattern(cells[n], 2560, 0, 720, 1280, 720);
        ASSERT_TRUE(tl && tr && bl) << n;
        EXPECT_EQ(tl->cameraIndex, sample::cameraIndex(CameraAngle::front));
        EXPECT_EQ(tr->cameraIndex, sample::cameraIndex(CameraAngle::back));
        EXPECT_EQ(bl->cameraIndex, sample::cameraIndex(CameraAngle::leftRepeater));
        EXPECT_EQ(tl->frameIndex, int(9 + n));
        EXPECT_FALSE(pattern(cells[n], 2560, 1280, 720, 1280, 720));
        EXPECT_NEAR(*composed.timeline.instantAt(n / 36.0), morning + tl->frameIndex / 36.0, 1e-3);
    }

    Recorded rec;
    const auto result = GPUVideoExporter::exportGrid({segment}, folder / "grid.mp4", settings(ExportQuality::balanced),
                                                     rec.callbacks());
    const QJsonObject v = stream(probe(folder / "grid.mp4"), "video");
    EXPECT_EQ(v["codec_name"].toString(), "h264");
    EXPECT_EQ(v["width"].toInt(), 1280);
    EXPECT_EQ(v["height"].toInt(), 720);
    ASSERT_EQ(rec.clocks.size(), 18u);
    for (size_t n = 0; n < rec.clocks.size(); ++n)
        EXPECT_NEAR(rec.clocks[n], morning + (9 + n) / 36.0, 1e-3);
    EXPECT_NEAR(*result.startDate(), morning + 0.25, 1e-3);
    rec.expectHonestProgress();
}

TEST(ExportVideoTest, CancelledExportLeavesEarlierFileAndNothingElse) {
    test::TempFolder folder;
    const QString temp = folder.makeFolder("tmp");
    ScopedTemp scopedTemp(temp);
    const TeslaVideoFile a = clip(folder, "a-front.mp4", CameraAngle::front, morning);
    const QString out = folder.writeFile("out/result.mp4", "earlier export");
    for (double cancelAt : {0.0, 0.2, 0.6}) { // before, during the merge, during the encode
        ExportCallbacks callbacks;
        callbacks.onProgress = [&](double p) {
            if (p >= cancelAt)
                callbacks.cancel.cancel();
        };
        if (cancelAt == 0.0)
            callbacks.cancel.cancel();
        EXPECT_THROW(GPUVideoExporter::exportContinuous({{a, 0, 2}}, out, settings(ExportQuality::balanced), callbacks),
                     OperationCancelled);
        QFile f(out);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), "earlier export");
        EXPECT_EQ(QDir(folder / "out").entryList(QDir::Files | QDir::Hidden).size(), 1);
        EXPECT_TRUE(QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
    }
}

TEST(ExportVideoTest, BadSourcesAndDestinationsFailWithTheirTexts) {
    test::TempFolder folder;
    const TeslaVideoFile good = clip(folder, "a-front.mp4", CameraAngle::front, morning, 1);
    const QString audioOnly = folder / "audio.m4a";
    ASSERT_TRUE(test::runProgram("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "sine=d=1", "-c:a", "aac", audioOnly}));
    sample::ClipSpec truncated;
    truncated.path = folder / "cut-front.mp4";
    truncated.damage = sample::Damage::truncated;
    sample::writeClip(truncated);
    const QString empty = folder.writeFile("empty.mp4");
    using Kind = GPUVideoExporterError::Kind;
    struct Case {
        QString input;
        QString output;
        double start, length;
        Kind kind;
    } cases[] = {
        {audioOnly, folder / "o1.mp4", 0, 0, Kind::noVideoTrack},
        {truncated.path, folder / "o2.mp4", 0, 0, Kind::exportFailed},
        {empty, folder / "o3.mp4", 0, 0, Kind::exportFailed},
        {folder / "missing.mp4", folder / "o4.mp4", 0, 0, Kind::exportFailed},
        {good.url, folder / "o5.mp4", 5, 0, Kind::exportFailed}, // the cut starts past the end
        {good.url, "/proc/orvane-no-such-dir/o6.mp4", 0, 0, Kind::exportFailed},
    };
    for (const auto& c : cases) {
        try {
            GPUVideoExporter::exportSync(good, c.input, c.output, settings(ExportQuality::balanced), c.start, c.length, {});
            ADD_FAILURE() << c.input.toStdString();
        } catch (const GPUVideoExporterError& e) {
            EXPECT_EQ(e.kind(), c.kind) << c.output.toStdString() << ": " << e.description().toStdString();
        }
        EXPECT_FALSE(QFile::exists(c.output));
    }
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 4); // the inputs only
}

TEST(ExportVideoTest, FailingFFmpegReportsItsText) {
    test::TempFolder folder;
    ScopedTemp scopedTemp(folder.makeFolder("tmp"));
    TeslaVideoFile notVideo;
    notVideo.url = folder.writeFile("x-front.mp4", "not a video");
    notVideo.fileName = "x-front.mp4";
    try {
        GPUVideoExporter::exportContinuous({{notVideo, 0, 1}}, folder / "o.mp4", settings(ExportQuality::balanced), {});
        FAIL();
    } catch (const FFmpegSegmentMergerError& e) {
        EXPECT_GT(e.message().size(), 3) << "ffmpeg's own text";
        EXPECT_NE(e.message(), FFmpegSegmentMergerError::unknownFailure) << "ffmpeg's own text";
    }
    EXPECT_FALSE(QFile::exists(folder / "o.mp4"));
    EXPECT_TRUE(QDir(folder / "tmp").entryList(QDir::AllEntries | QDir::NoDotAndDotDot).isEmpty());
}

TEST(FrameCaptureTest, CapturesExactFramesAndSavesFreeNames) {
    test::TempFolder folder;
    const TeslaVideoFile video = clip(folder, "a-front.mp4", CameraAngle::front, morning, 2);
    const auto result = GPUVideoExporter::exportSync(video, video.url, folder / "out.mp4",
                                                     settings(ExportQuality::balanced), 0.5, 1.0, {});
    const auto shot = FrameCapture::capture(FrameCapture::fileSource(result.path), 0.25);
    EXPECT_NEAR(shot.time, 0.25, 1.0 / 36);
    EXPECT_EQ(shot.image.size(), QSize(320, 240));

    EXPECT_DOUBLE_EQ(FrameCapture::captureTime(5, 1, 1.0), 1.0 - 1.0 / 30);
    EXPECT_DOUBLE_EQ(FrameCapture::captureTime(NAN, 0.4, 1.0), 0.4);
    EXPECT_DOUBLE_EQ(FrameCapture::captureTime(-3, 0, 1.0), 0);

    int calls = 0;
    const auto fallback = FrameCapture::capture(
        [&](double t, double tolerance) {
            ++calls;
            if (tolerance == 0)
                throw std::runtime_error("exact frame not decodable");
            return FrameCapture::Frame{QImage(4, 4, QImage::Format_RGB32), t + 0.01};
        },
        2.0);
    EXPECT_EQ(calls, 2);
    EXPECT_DOUBLE_EQ(fallback.time, 2.01);

    // The timeline of the export names each capture after its own recording second.
    const QString folderOut = folder.makeFolder("shots");
    std::vector<ExportedFrameCapture> shots = {shot, shot, shot};
    EXPECT_EQ(FrameCapture::saveAll(shots, OutputDestination::inFolder(folderOut), result.timeline),
              QStringLiteral("已将 3 张图片保存到视频所在目录"));
    const QString stamp = LocalTime::format(morning + 0.5 + shot.time, "yyyy-MM-dd_HH-mm-ss");
    EXPECT_EQ(QDir(folderOut).entryList(QDir::Files | QDir::Hidden),
              QStringList({"TeslaCam-" + stamp + "-2.png", "TeslaCam-" + stamp + "-3.png", "TeslaCam-" + stamp + ".png"}));
    EXPECT_EQ(FrameCapture::imageFileName(75.4, {}), QStringLiteral("TeslaCam-01-15.png"));
    EXPECT_EQ(FrameCapture::imageFileName(3725, {}), QStringLiteral("TeslaCam-1-02-05.png"));
    EXPECT_THROW(FrameCapture::pngData(QImage()), FileSystemError);
}

TEST(FrameCaptureTest, SavesToThePicturesFolderWithoutLeftovers) {
    test::TempFolder folder;
    const QByteArray home = qgetenv("HOME"), config = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", folder.path().toUtf8());
    qputenv("XDG_CONFIG_HOME", (folder / "config").toUtf8());
    const QString temp = folder.makeFolder("tmp");
    {
        ScopedTemp scopedTemp(temp);
        QImage image(8, 8, QImage::Format_RGB32);
        image.fill(Qt::red);
        const std::vector<ExportedFrameCapture> shots(3, {QUuid::createUuid(), image, 75});
        EXPECT_EQ(FrameCapture::saveAll(shots, OutputDestination::photosLibrary(), {}),
                  QStringLiteral("已将 3 张图片保存到系统相册"));
    }
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    qputenv("HOME", home);
    if (config.isEmpty())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", config);
    EXPECT_TRUE(pictures.startsWith(folder.path()));
    EXPECT_EQ(QDir(pictures).entryList(QDir::Files).size(), 3);
    EXPECT_TRUE(QDir(pictures).exists("TeslaCam-01-15-3.png"));
    EXPECT_TRUE(QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden).isEmpty());
}

} // namespace
