// Inputs a careless or hostile user may hand the media layer: special files named like clips,
// times outside the video, sources cut short, containers that leave the size to the decoder.

#include "FrameGrabber.h"
#include "MediaError.h"
#include "MediaProbe.h"
#include "MediaTestClips.h"
#include "PacketScan.h"
#include "TestSupport.h"
#include "Transcoder.h"
#include "VideoDecoder.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::media;
using orvane::test::patternFrame;

namespace {

bool haveFFmpeg() {
    int exitCode = -1;
    return test::runProgram(QStringLiteral("ffmpeg"), {QStringLiteral("-version")}, &exitCode) && exitCode == 0;
}

// Each way of opening a file refuses a FIFO named like a clip at once.
TEST(HostileMediaTest, FifoNamedLikeAClipIsRefusedWithoutBlocking) {
    test::TempFolder tmp;
    const QString fifo = test::makeFifo(tmp / QStringLiteral("2024-05-01_10-20-30-front.mp4"));
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

struct ExactTimeCase {
    double time;
    std::optional<int> frame; // none: outside the video
};

class ExactTimeTest : public test::SharedClipTest, public ::testing::WithParamInterface<ExactTimeCase> {};

// The shared clip has 72 frames at 36 fps: frame k is shown from k/36 s to (k+1)/36 s.
TEST_P(ExactTimeTest, ExactTimesOutsideTheVideoAreErrors) {
    const ExactTimeCase c = GetParam();
    FrameRequest request;
    request.time = c.time;
    if (!c.frame) {
        EXPECT_THROW(FrameGrabber::grab(*clip, request), TimeOutsideVideoError) << c.time;
        return;
    }
    const GrabbedFrame frame = FrameGrabber::grab(*clip, request);
    EXPECT_EQ(patternFrame(frame.image), *c.frame) << c.time;
}

INSTANTIATE_TEST_SUITE_P(Times, ExactTimeTest,
                         ::testing::Values(ExactTimeCase{-1, std::nullopt}, ExactTimeCase{-0.01, std::nullopt},
                                           ExactTimeCase{0, 0}, ExactTimeCase{0.5 / 36, 0},
                                           ExactTimeCase{1.0, 36}, ExactTimeCase{71.5 / 36, 71},
                                           ExactTimeCase{2.0 - 1e-4, 71}, ExactTimeCase{2.0, std::nullopt},
                                           ExactTimeCase{10, std::nullopt}));

TEST(HostileMediaTest, TolerantGrabStillClampsToTheLastFrame) {
    test::TempFolder tmp;
    const QString clip = test::writeTestClip(tmp.path(), QStringLiteral("a.mp4"), 1, 64, 48);
    FrameRequest request;
    request.time = 5;
    request.toleranceBefore = request.toleranceAfter = 1.0 / 30;
    EXPECT_EQ(patternFrame(FrameGrabber::grab(clip, request).image), 35);
}

// MPEG-4 Part 2 in MP4 leaves the picture size to the decoder.
TEST(HostileMediaTest, ProbeReportsTheDecodersSizeWhenTheHeaderHasNone) {
    if (!haveFFmpeg())
        GTEST_SKIP() << "ffmpeg is not available";
    test::TempFolder tmp;
    const QString path = tmp / QStringLiteral("part2.mp4");
    ASSERT_TRUE(test::runProgram(QStringLiteral("ffmpeg"),
                                 {"-v", "error", "-f", "lavfi", "-i", "testsrc=size=320x240:rate=30", "-t", "1", "-c:v",
                                  "mpeg4", path}));
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
    const QString clip = test::writeTestClip(tmp.path(), QStringLiteral("a.mp4"), 2, 160, 120);
    const QString indexFirst = tmp / QStringLiteral("index-first.mp4");
    ASSERT_TRUE(test::runProgram(QStringLiteral("ffmpeg"),
                                 {"-v", "error", "-i", clip, "-c", "copy", "-movflags", "+faststart", indexFirst}));
    const QString cut = tmp / QStringLiteral("cut.mp4");
    ASSERT_TRUE(QFile::copy(indexFirst, cut));
    ASSERT_TRUE(QFile::resize(cut, QFile(cut).size() * 6 / 10));
    TranscodeSettings settings;
    settings.width = 160;
    settings.height = 120;
    settings.bitRate = 500'000;
    struct Case {
        QString input;
        bool complete;
    } cases[] = {{indexFirst, true}, {cut, false}};
    for (const Case& c : cases) {
        Transcoder transcoder(c.input);
        const TranscodeOutcome outcome = transcoder.run(tmp / QStringLiteral("out.mp4"), settings, {});
        EXPECT_EQ(outcome.incomplete, !c.complete) << c.input.toStdString();
        if (c.complete)
            EXPECT_NEAR(outcome.exportedLength, 2.0, 1e-6);
        else
            EXPECT_LT(outcome.exportedLength, 1.8);
        EXPECT_NEAR(outcome.exportedLength, double(outcome.framesWritten) / 36, 1e-6);
    }
}

} // namespace
