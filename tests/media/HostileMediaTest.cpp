// Inputs a careless or hostile user may hand the media layer: special files named like clips,
// damaged files, sources cut short, containers that leave the size to the decoder.

#include "FrameGrabber.h"
#include "MediaError.h"
#include "MediaProbe.h"
#include "MediaTestClips.h"
#include "PacketScan.h"
#include "Transcoder.h"
#include "VideoDecoder.h"

#include <QFile>
#include <QRegularExpression>
#include <cmath>
#include <gtest/gtest.h>
#include <iostream>
#include <random>

using namespace orvane;
using namespace orvane::media;

namespace {

bool haveFFmpeg() {
    return test::runProgram("ffmpeg", {"-version"}).has_value();
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

TEST(HostileMediaTest, UnopenableFilesThrow) {
    test::TempFolder tmp;
    using sample::Damage;
    const QString files[] = {
        test::writeClip({.path = tmp / "zero.mp4", .width = 64, .height = 48, .damage = Damage::zeroBytes}),
        test::writeClip({.path = tmp / "cut.mp4", .width = 64, .height = 48, .damage = Damage::truncated}),
        tmp.writeFile("text.mp4", "not a video at all"),
        tmp / "missing.mp4",
    };
    for (const QString& path : files) {
        EXPECT_THROW(VideoDecoder{path}, MediaError) << path.toStdString();
        EXPECT_THROW(MediaProbe::probe(path), MediaError) << path.toStdString();
        EXPECT_THROW(FrameGrabber::grab(path, {}), MediaError) << path.toStdString();
        EXPECT_FALSE(MediaProbe::duration(path));
    }
}

// Enough damaged copies for every outcome in the everyday run.
constexpr int defaultDamagedCopies = 40;

// One seeded accident to a clip's media data, its header and index left intact: a run
// zeroed or overwritten, scattered bit flips, or (for the copy with its index first) the data
// cut short.
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

// The frames whose pictures FFmpeg's own program, decoding the whole file, reports patched up
// (concealed or corrupt), or that follow such a frame or lost frames since their key frame: a
// second witness, independent of ours.
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

// The damaged-file sweep: over hundreds of damaged copies, decoding never fails or runs on,
// and an exact frame capture (inside a frame and on its first instant) gives the frame shown
// at that time, or fails saying why; a picture the decoder patched up is flagged. Pictures
// altered by damage no decoder notices (a flipped bit that still decodes) are only counted.
TEST(HostileMediaTest, DamagedCopiesNeverPassAnotherFrameOffAsTheOneAsked) {
    if (!haveFFmpeg())
        GTEST_SKIP() << "the second witness is the ffmpeg program";
    // The full sweep (320 copies, a few minutes): ORVANE_DAMAGED_COPIES=320.
    const int copies = qEnvironmentVariableIsSet("ORVANE_DAMAGED_COPIES")
                           ? qEnvironmentVariableIntValue("ORVANE_DAMAGED_COPIES")
                           : defaultDamagedCopies;
    constexpr int probesPerCopy = 4, fps = 36, frames = 3 * fps;
    test::TempFolder tmp;
    QByteArray originals[2];
    std::vector<QImage> cleanFrames;
    for (const bool indexFirst : {false, true}) {
        const QString path =
            test::writeClip({.path = tmp / (indexFirst ? "cut.mp4" : "clean.mp4"),
                             .seconds = 3,
                             .damage = indexFirst ? sample::Damage::cutShort : sample::Damage::none});
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        originals[indexFirst] = file.readAll();
        for (VideoDecoder decoder(path); !indexFirst && decoder.next();)
            cleanFrames.push_back(decoder.toImage());
    }
    std::mt19937 random(19);
    int exact = 0, flagged = 0, refused = 0, silentlyAltered = 0;
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
            FrameRequest exactly;
            exactly.time = (frame + (probe % 2 ? 0.5 : 0.0)) / fps;
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
                silentlyAltered += !grabbed.concealed && grabbed.image != cleanFrames[size_t(frame)];
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
    std::cout << copies << " damaged copies, " << copies * probesPerCopy << " exact captures: " << exact
              << " unflagged (" << silentlyAltered << " of them altered without any decoder noticing), "
              << flagged << " flagged as patched up, " << refused << " refused, " << wrong.size()
              << " wrong\n";
}

// MPEG-4 Part 2 in MP4 leaves the picture size to the decoder.
TEST(HostileMediaTest, ProbeReportsTheDecodersSizeWhenTheHeaderHasNone) {
    if (!haveFFmpeg())
        GTEST_SKIP() << "ffmpeg is not available";
    test::TempFolder tmp;
    const QString path = tmp / "part2.mp4";
    ASSERT_TRUE(
        test::runProgram("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "testsrc=size=320x240:rate=30", "-t",
                                    "1", "-c:v", "mpeg4", path}));
    const MediaInfo info = MediaProbe::probe(path);
    EXPECT_EQ(info.width, 320);
    EXPECT_EQ(info.height, 240);
    EXPECT_NEAR(info.duration, 1.0, 0.05);
    EXPECT_EQ(Transcoder(path).source().width, 320);
}

// A source whose index promises more than its data holds (cut short while being read).
TEST(HostileMediaTest, TranscodeOfASourceCutShortSaysSo) {
    if (!haveFFmpeg())
        GTEST_SKIP() << "ffmpeg is not available";
    test::TempFolder tmp;
    const QString clip = test::writeClip({.path = tmp / "a.mp4", .seconds = 2});
    const QString indexFirst = tmp / "index-first.mp4", cut = tmp / "cut.mp4";
    ASSERT_TRUE(test::runProgram(
        "ffmpeg", {"-v", "error", "-i", clip, "-c", "copy", "-movflags", "+faststart", indexFirst}));
    ASSERT_TRUE(QFile::copy(indexFirst, cut));
    ASSERT_TRUE(QFile::resize(cut, QFile(cut).size() * 6 / 10));
    TranscodeSettings settings;
    settings.width = 160;
    settings.height = 120;
    settings.bitRate = 500'000;
    for (const auto& [input, complete] : {std::pair{indexFirst, true}, {cut, false}}) {
        const TranscodeOutcome outcome = Transcoder(input).run(tmp / "out.mp4", settings, {});
        EXPECT_EQ(outcome.incomplete, !complete) << input.toStdString();
        if (complete)
            EXPECT_NEAR(outcome.exportedLength, 2.0, 1e-6);
        else
            EXPECT_LT(outcome.exportedLength, 1.8);
        EXPECT_NEAR(outcome.exportedLength, double(outcome.framesWritten) / 36, 1e-6);
    }
}

} // namespace
