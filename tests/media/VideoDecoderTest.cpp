#include "VideoDecoder.h"

#include "ClipSource.h"
#include "FrameGrabber.h"
#include "MediaError.h"
#include "MediaProbe.h"
#include "MediaTestClips.h"
#include "OverlayBlender.h"
#include "PacketScan.h"
#include "PlaneHalving.h"
#include "Transcoder.h"

#include <QFile>
#include <QRegularExpression>
#include <cmath>
#include <gtest/gtest.h>
#include <random>

using namespace orvane;
using namespace orvane::media;
using orvane::test::patternFrame;

namespace {

class VideoDecoderTest : public test::SharedClipTest {};

FrameRequest at(double time, double before = 0, double after = 0) {
    return {.time = time, .toleranceBefore = before, .toleranceAfter = after, .maxSize = {}};
}

TEST_F(VideoDecoderTest, ReadsEveryFrameInOrderThenStops) {
    VideoDecoder decoder(clip);
    int expected = 0;
    while (decoder.next()) {
        ASSERT_EQ(patternFrame(decoder.toImage()), expected);
        EXPECT_NEAR(decoder.frameTime(), expected / fps, 1e-6);
        ++expected;
    }
    EXPECT_EQ(expected, 72);
    EXPECT_FALSE(decoder.next());
    EXPECT_EQ(patternFrame(decoder.toImage()), lastFrame) << "the last frame stays current";
    // Length and size are read by the player, rotation by the export test.
    const MediaInfo info = MediaProbe::probe(clip);
    EXPECT_NEAR(info.frameRate, 36, 1e-6);
    EXPECT_GT(info.bitRate, 0);
    EXPECT_FALSE(info.hasAudio);
}

// Frame k is shown from k/36 s to (k+1)/36 s; the decoder clamps times outside, a grab refuses them.
TEST_F(VideoDecoderTest, ExactSeeksLandOnTheFrameWhoseIntervalContainsTheTime) {
    const struct {
        double time;
        int frame;
        bool inside;
    } cases[] = {
        {0, 0, true},         {0.5 / fps, 0, true},   {50.5 / fps, 50, true}, {35.9 / fps, 35, true},
        {36 / fps, 36, true}, {35 / fps, 35, true},   {40 / fps, 40, true},   {2 / fps, 2, true},
        {71 / fps, 71, true}, {2.0 - 1e-4, 71, true}, {2.0, 71, false},       {100, 71, false},
        {-0.01, 0, false},    {-3, 0, false},
    };
    VideoDecoder decoder(clip);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.time);
        ASSERT_TRUE(decoder.seekExact(c.time));
        EXPECT_EQ(patternFrame(decoder.toImage()), c.frame);
        EXPECT_NEAR(decoder.frameTime(), c.frame / fps, 1e-6);
        if (!c.inside) {
            EXPECT_THROW(FrameGrabber::grab(clip, at(c.time)), TimeOutsideVideoError);
            continue;
        }
        const GrabbedFrame grabbed = FrameGrabber::grab(clip, at(c.time));
        EXPECT_EQ(patternFrame(grabbed.image), c.frame);
        EXPECT_NEAR(grabbed.actualTime, c.frame / fps, 1e-6);
    }
    // Decoding goes on from the landed frame.
    ASSERT_TRUE(decoder.seekExact(35 / fps));
    ASSERT_TRUE(decoder.next());
    EXPECT_EQ(patternFrame(decoder.toImage()), 36);
}

TEST_F(VideoDecoderTest, FindsAndJumpsToTheNextKeyFrame) {
    VideoDecoder decoder(clip);
    // Key frames at frames 0 and 36: inside a frame, on the boundary, and past the last one.
    EXPECT_EQ(decoder.keyFrameAtOrAfter(0), 0.0);
    EXPECT_NEAR(decoder.keyFrameAtOrAfter(0.5 / fps).value_or(-1), 36 / fps, 1e-6);
    EXPECT_NEAR(decoder.keyFrameAtOrAfter(36 / fps).value_or(-1), 36 / fps, 1e-6);
    EXPECT_FALSE(decoder.keyFrameAtOrAfter(36.5 / fps));
    ASSERT_TRUE(decoder.seekExact(10 / fps));
    ASSERT_TRUE(decoder.seekNextKeyFrame(20.5 / fps));
    EXPECT_EQ(patternFrame(decoder.toImage()), 36);
    EXPECT_TRUE(decoder.isKeyFrame());
    ASSERT_TRUE(decoder.next());
    EXPECT_EQ(patternFrame(decoder.toImage()), 37);
    EXPECT_FALSE(decoder.seekNextKeyFrame(40 / fps));
    EXPECT_EQ(patternFrame(decoder.toImage()), 37) << "a failed jump keeps the current frame";
}

// A window lands on its nearest key frame, else anywhere in it; the decoder and one grabber agree.
TEST_F(VideoDecoderTest, TolerantSeeksLandWithinTheWindow) {
    const struct {
        double time, before, after;
        std::optional<int> frame; // where it must land when that is known
    } cases[] = {
        {1.02, 0.1, 0.1, 36}, // key frame just before
        {0.95, 0.1, 0.1, 36}, // key frame just after
        {0.5, 0.1, 0.1, {}},  // no key frame near
        {1.5, 0.0, 0.01, {}}, // window smaller than a frame
        {0.5, 1.0, 1.0, 0},   // nearest of two keys
        {5, 1 / 30.0, 1 / 30.0, lastFrame},
    };
    FrameGrabber grabber(clip);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.time);
        VideoDecoder decoder(clip);
        ASSERT_TRUE(decoder.seekTolerant(c.time, c.before, c.after));
        const double landed = decoder.frameTime();
        EXPECT_NEAR(patternFrame(decoder.toImage()).value_or(-1), landed * fps, 1e-6);
        if (c.frame) {
            EXPECT_EQ(patternFrame(decoder.toImage()), *c.frame);
        } else {
            const bool inWindow = landed >= c.time - c.before - 1e-9 && landed <= c.time + c.after + 1e-9;
            const bool exact = landed <= c.time + 1e-9 && c.time < landed + 1 / fps;
            EXPECT_TRUE(inWindow || exact) << landed;
        }
        const GrabbedFrame grabbed = grabber.grab(at(c.time, c.before, c.after));
        EXPECT_NEAR(grabbed.actualTime, landed, 1e-6);
        EXPECT_EQ(patternFrame(grabbed.image), patternFrame(decoder.toImage()));
    }
}

TEST_F(VideoDecoderTest, TimeZeroIsTheFirstFrameWhenTimestampsStartLater) {
    VideoDecoder decoder(test::writeOffsetClip(*folder / "offset.mp4", 18, 54));
    for (auto [time, frame] : {std::pair{0.0, 18}, {18 / fps, 36}, {53 / fps, 71}}) {
        ASSERT_TRUE(decoder.seekExact(time));
        EXPECT_EQ(patternFrame(decoder.toImage()), frame);
        EXPECT_NEAR(decoder.frameTime(), time, 1e-6);
    }
}

// Times inside a frame and on its first instant land on it, at 30 frames a second and unevenly.
TEST_F(VideoDecoderTest, ExactSeeksFollowTheFilesOwnFrameTimes) {
    for (const bool uneven : {false, true}) {
        const sample::ClipSpec clipSpec{.path = *folder / (uneven ? "uneven.mp4" : "thirty.mp4"),
                                        .framesPerSecond = 30,
                                        .unevenTiming = uneven};
        VideoDecoder decoder(test::writeClip(clipSpec));
        for (const int frame : {0, 7, 2, 29, 13, 14, 1}) {
            const double start = sample::frameTime(clipSpec, frame);
            const double length = sample::frameTime(clipSpec, frame + 1) - start;
            for (const double time : {start, start + 0.8 * length}) {
                SCOPED_TRACE(
                    QString("uneven %1 frame %2 at %3").arg(uneven).arg(frame).arg(time).toStdString());
                ASSERT_TRUE(decoder.seekExact(time));
                EXPECT_EQ(patternFrame(decoder.toImage()), frame);
                EXPECT_NEAR(decoder.frameTime(), start, 1e-4);
            }
        }
        EXPECT_TRUE(decoder.seekExact(sample::frameTime(clipSpec, 20)));
        ASSERT_TRUE(decoder.previous());
        EXPECT_EQ(patternFrame(decoder.toImage()), 19);
        ASSERT_TRUE(decoder.next());
        EXPECT_EQ(patternFrame(decoder.toImage()), 20);
        const std::vector<double> times = MediaProbe::frameTimes(clipSpec.path);
        ASSERT_EQ(times.size(), 30u);
        EXPECT_NEAR(times[11], sample::frameTime(clipSpec, 11), 1e-4);
    }
}

TEST_F(VideoDecoderTest, GrabsFitInsideTheMaximumKeepingAspect) {
    const std::pair<QSize, QSize> cases[] = {
        {{}, {320, 240}},          // natural size
        {{760, 428}, {320, 240}},  // never enlarged
        {{160, 160}, {160, 120}},  // width bound
        {{1000, 120}, {160, 120}}, // height bound
    };
    for (const auto& [maxSize, size] : cases) {
        const GrabbedFrame frame = FrameGrabber::grab(clip, {.time = 10 / fps, .maxSize = maxSize});
        EXPECT_EQ(frame.image.size(), size);
        EXPECT_EQ(patternFrame(frame.image), 10);
    }
}

// Each way of opening a file refuses a FIFO named like a clip at once.
TEST(HostileMediaTest, FifoNamedLikeAClipIsRefusedWithoutBlocking) {
    test::TempFolder tmp;
    const QString fifo = test::makeFifo(tmp / "2024-05-01_10-20-30-front.mp4");
    const std::vector<std::pair<const char*, std::function<void()>>> openers = {
        {"probe", [&] { MediaProbe::probe(fifo); }},
        {"grab", [&] { FrameGrabber::grab(fifo, {}); }},
        {"decoder", [&] { VideoDecoder decoder(fifo); }},
        {"transcoder", [&] { Transcoder transcoder(fifo); }},
        {"packets", [&] { scanVideoPackets(QFile::encodeName(fifo).toStdString()); }},
    };
    for (const auto& [name, open] : openers) {
        bool refused = false;
        const bool prompt = test::returnsPromptly(
            [&] {
                try {
                    open();
                } catch (const MediaError& e) {
                    refused = QString::fromUtf8(e.what()).contains(QStringLiteral("不是普通文件"));
                }
            },
            fifo);
        EXPECT_TRUE(prompt) << name << " blocked on the FIFO";
        EXPECT_TRUE(refused) << name;
    }
}

// Encrypted and stub files are refused in the user's words before FFmpeg guesses at them.
TEST(HostileMediaTest, AClipIsToldByItsContentAndWhatCannotOpenThrows) {
    test::TempFolder tmp;
    const struct {
        sample::Damage damage;
        ClipKind kind;
        const char* refusal; // the start of what probing says; empty: it opens
    } cases[] = {
        {sample::Damage::none, ClipKind::mp4, ""},
        {sample::Damage::truncated, ClipKind::mp4, "cannot open"},
        {sample::Damage::encrypted, ClipKind::encrypted, "这段录像已被车辆加密"},
        {sample::Damage::powerCutStub, ClipKind::stub, "这一分钟的文件在录制时中断"},
        {sample::Damage::zeroBytes, ClipKind::stub, "这一分钟的文件在录制时中断"},
    };
    QStringList unopenable = {tmp.writeFile("text.mp4", "not a video at all"), tmp / "missing.mp4"};
    for (const auto& c : cases) {
        const QString path = test::writeClip({.path = tmp / QString("kind%1-front.mp4").arg(int(c.damage)),
                                              .width = 64,
                                              .height = 48,
                                              .damage = c.damage});
        EXPECT_EQ(ClipSource::inspect(path), c.kind) << int(c.damage);
        std::string refusal;
        try {
            MediaProbe::probe(path);
        } catch (const MediaError& e) {
            refusal = e.what();
        }
        EXPECT_TRUE(QString::fromStdString(refusal).startsWith(c.refusal)) << refusal;
        if (*c.refusal)
            unopenable << path;
    }
    for (const QString& path : unopenable) {
        EXPECT_THROW(VideoDecoder{path}, MediaError) << path.toStdString();
        EXPECT_THROW(MediaProbe::probe(path), MediaError) << path.toStdString();
        EXPECT_THROW(FrameGrabber::grab(path, {}), MediaError) << path.toStdString();
        EXPECT_FALSE(MediaProbe::duration(path));
    }
    // Neither an MP4 nor the container: a file of another kind is not taken for encrypted footage.
    EXPECT_EQ(ClipSource::classify(QByteArray(64, 'x'), 1 << 20), ClipKind::unknown);
}

constexpr int defaultDamagedCopies = 40; // enough for every outcome in the everyday run

// A run of media data zeroed or overwritten, scattered bit flips, or (index first) the data cut short.
QByteArray damagedCopy(QByteArray bytes, bool indexFirst, std::mt19937& random) {
    const qsizetype data = bytes.indexOf("mdat") + 8;
    const qsizetype end = indexFirst ? bytes.size() : bytes.lastIndexOf("moov") - 4;
    auto at = [&] { return data + qsizetype(random() % uint32_t(end - data)); };
    switch (const uint32_t kind = indexFirst ? 3 : random() % 3) {
    case 0:
    case 1: {
        const qsizetype from = at(), length = std::min<qsizetype>(16 + random() % 2048, end - from);
        for (qsizetype i = from; i < from + length; ++i)
            bytes[i] = kind == 0 ? '\0' : char(random());
        break;
    }
    case 2:
        for (int flips = 1 + int(random() % 12); flips > 0; --flips)
            bytes[at()] ^= char(1 << (random() % 8));
        break;
    default:
        bytes.truncate(at());
    }
    return bytes;
}

// The frames FFmpeg's own program reports patched up, or built on such or lost frames: a second witness.
std::vector<bool> patchedUpByFFmpeg(const QString& path, int frames, int fps) {
    int exitCode = 0;
    QByteArray log;
    test::runProgram("ffmpeg",
                     {"-v", "info", "-threads", "1", "-i", path, "-vf", "showinfo", "-f", "null", "-"},
                     &exitCode, &log);
    static const QRegularExpression shown("pts_time:([0-9.]+) .* iskey:([01])");
    std::vector<bool> patched(size_t(frames), false);
    bool reported = false, sinceKey = false;
    int expected = 0;
    for (const QByteArray& line : log.split('\n')) {
        const auto match = shown.match(QString::fromUtf8(line));
        if (!match.hasMatch()) {
            reported = reported || line.contains("concealing") || line.contains("corrupt decoded frame");
            continue;
        }
        const int frame = int(std::lround(match.captured(1).toDouble() * fps));
        sinceKey = reported || (match.captured(2) != "1" && (sinceKey || frame > expected));
        if (frame >= 0 && frame < frames)
            patched[size_t(frame)] = sinceKey;
        reported = false;
        expected = frame + 1;
    }
    return patched;
}

// Over damaged copies an exact capture gives the frame shown then, flagged if patched up, or fails.
TEST(HostileMediaTest, DamagedCopiesNeverPassAnotherFrameOffAsTheOneAsked) {
    if (!test::runProgram("ffmpeg", {"-version"}))
        GTEST_SKIP() << "the second witness is the ffmpeg program";
    // The full sweep (320 copies, a few minutes): ORVANE_DAMAGED_COPIES=320.
    const int copies = qEnvironmentVariableIsSet("ORVANE_DAMAGED_COPIES")
                           ? qEnvironmentVariableIntValue("ORVANE_DAMAGED_COPIES")
                           : defaultDamagedCopies;
    constexpr int probesPerCopy = 4, fps = 36, frames = 3 * fps;
    test::TempFolder tmp;
    QByteArray originals[2];
    for (const bool indexFirst : {false, true}) {
        const QString path =
            test::writeClip({.path = tmp / (indexFirst ? "cut.mp4" : "clean.mp4"),
                             .seconds = 3,
                             .damage = indexFirst ? sample::Damage::cutShort : sample::Damage::none});
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        originals[indexFirst] = file.readAll();
    }
    std::mt19937 random(19);
    int exact = 0, flagged = 0, refused = 0;
    QStringList wrong;
    for (int copy = 0; copy < copies; ++copy) {
        const bool indexFirst = copy % 4 == 3;
        const QString path =
            tmp.writeFile("damaged.mp4", damagedCopy(originals[indexFirst], indexFirst, random));
        try {
            int decoded = 0;
            for (VideoDecoder decoder(path); decoded <= frames && decoder.next();)
                ++decoded;
            EXPECT_LE(decoded, frames) << copy;
        } catch (const MediaError&) {
        }
        const std::vector<bool> patched = patchedUpByFFmpeg(path, frames, fps);
        for (int probe = 0; probe < probesPerCopy; ++probe) {
            const int frame = int(random() % frames);
            const FrameRequest exactly = at((frame + (probe % 2 ? 0.5 : 0.0)) / fps);
            try {
                const GrabbedFrame grabbed = FrameGrabber::grab(path, exactly);
                const bool rightFrame = grabbed.actualTime <= exactly.time + 1e-6 &&
                                        exactly.time < grabbed.actualTime + 1.0 / fps;
                if (!rightFrame || (patched[size_t(frame)] && !grabbed.concealed))
                    wrong << QStringLiteral("copy %1 at %2 s: frame at %3 s%4")
                                 .arg(copy)
                                 .arg(exactly.time)
                                 .arg(grabbed.actualTime)
                                 .arg(grabbed.concealed ? " flagged" : "");
                flagged += grabbed.concealed;
                exact += !grabbed.concealed;
            } catch (const MediaError& e) {
                EXPECT_FALSE(QString::fromUtf8(e.what()).isEmpty());
                ++refused;
            }
        }
    }
    EXPECT_TRUE(wrong.isEmpty()) << wrong.size() << " wrong: " << wrong.join("; ").toStdString();
    EXPECT_GT(exact, 0);
    EXPECT_GT(flagged, 0);
    EXPECT_GT(refused, 0);
}

// The time box burned into exported frames, blended into the YUV planes.
struct Picture {
    int w, h;
    std::vector<uint8_t> y, u, v;
    Picture(int w_, int h_, uint8_t luma)
        : w(w_), h(h_), y(size_t(w) * h, luma), u(size_t(w / 2) * (h / 2), 128), v(u.size(), 128) {}
    YuvPlanes planes() { return {y.data(), w, u.data(), w / 2, v.data(), w / 2, w, h}; }
};

TEST(OverlayBlenderTest, BlendsInsideTheBoxOnly) {
    const struct {
        QColor colour; // with alpha
        bool fullRange;
        int y, u, v;
    } cases[] = {
        {QColor(0, 0, 0, 199), false, int(200 * 56 / 255.0 + 16 * 199 / 255.0 + 0.5), 128, 128},
        {QColor(0, 0, 0, 199), true, int(200 * 56 / 255.0 + 0.5), 128, 128},
        // Opaque red (BT.601 limited): Y 81, Cb 90, Cr 240; half of the pair covered.
        {QColor(255, 0, 0, 255), false, 81, (128 + 90) / 2, (128 + 240) / 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QString::number(c.colour.rgba(), 16).toStdString() +
                     (c.fullRange ? " full" : " limited"));
        Picture pic(16, 8, 200);
        QImage box(4, 2, QImage::Format_ARGB32);
        box.fill(c.colour);
        YuvOverlay(box, QPoint(5, 3), YuvMatrix::bt601, c.fullRange).blendInto(pic.planes());
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 16; ++x) {
                const bool inside = x >= 5 && x < 9 && y >= 3 && y < 5;
                EXPECT_NEAR(pic.y[y * 16 + x], inside ? c.y : 200, 1) << x << "," << y;
            }
        // Chroma of a grey overlay stays neutral; a coloured one moves only the covered pairs.
        EXPECT_NEAR(pic.u[2 * 8 + 3], c.u, 2);
        EXPECT_NEAR(pic.v[2 * 8 + 3], c.v, 2);
        EXPECT_EQ(pic.u[0], 128);
        EXPECT_EQ(pic.v[3 * 8 + 7], 128);
    }
}

TEST(OverlayBlenderTest, ClipsAtFrameEdges) {
    Picture pic(8, 4, 100);
    QImage box(6, 6, QImage::Format_ARGB32);
    box.fill(QColor(255, 255, 255));
    YuvOverlay(box, QPoint(-2, 2), YuvMatrix::bt709, false).blendInto(pic.planes());
    EXPECT_EQ(pic.y[3 * 8 + 3], 235);
    EXPECT_EQ(pic.y[3 * 8 + 4], 100);
    EXPECT_EQ(pic.y[1 * 8 + 0], 100);
    YuvOverlay(box, QPoint(50, 50), YuvMatrix::bt709, false).blendInto(pic.planes()); // entirely outside
    YuvOverlay().blendInto(pic.planes());
}

// Playing pictures are halved by 2 × 2 averages, rounded to nearest; widths that are no multiple
// of the processor's vector step keep their last columns right too.
TEST(PlaneHalvingTest, EveryByteIsTheRoundedAverageOfItsBlock) {
    constexpr int width = 38, height = 6, stride = 2 * width + 3; // 32 bytes by vector, 6 one by one
    std::mt19937 random(7);
    std::vector<uint8_t> in(size_t(stride) * 2 * height);
    for (uint8_t& byte : in)
        byte = uint8_t(random());
    std::vector<uint8_t> out(size_t(width) * height);
    halvePlane(in.data(), stride, out.data(), width, width, height);
    const auto at = [&](int x, int y) { return int(in[size_t(y * stride + x)]); };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            ASSERT_EQ(out[size_t(y * width + x)], (at(2 * x, 2 * y) + at(2 * x + 1, 2 * y) +
                                                   at(2 * x, 2 * y + 1) + at(2 * x + 1, 2 * y + 1) + 2) /
                                                      4)
                << x << "," << y;
}

} // namespace
