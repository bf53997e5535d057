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
#include <gtest/gtest.h>

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

TEST(HostileMediaTest, CorruptPacketsEndOrSkipWithoutFailing) {
    test::TempFolder tmp;
    const QString path = test::writeClip({.path = tmp / "bad.mp4", .width = 64, .height = 48, .seconds = 2});
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    // Scribble over the middle of the media data, leaving the header and index intact.
    const qsizetype mdat = bytes.indexOf("mdat");
    ASSERT_GT(mdat, 0);
    for (qsizetype i = mdat + bytes.size() / 4; i < mdat + bytes.size() / 2 && i < bytes.size(); i += 7)
        bytes[i] = char(0xA5 ^ bytes[i]);
    file.seek(0);
    file.write(bytes);
    file.close();

    VideoDecoder decoder(path);
    int frames = 0;
    while (decoder.next() && frames < 1000)
        ++frames;
    EXPECT_LE(frames, 72);
    decoder.seekExact(1.5);
    decoder.seekTolerant(0.7, 0.1, 0.1);
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
