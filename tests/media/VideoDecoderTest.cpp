#include "MediaError.h"
#include "MediaProbe.h"
#include "MediaTestClips.h"
#include "TestSupport.h"
#include "VideoDecoder.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace orvane;
using namespace orvane::media;
using orvane::test::patternFrame;

namespace {

constexpr double fps = 36;

class VideoDecoderTest : public test::SharedClipTest {};

TEST_F(VideoDecoderTest, ReadsEveryFrameInOrderThenStops) {
    VideoDecoder decoder(*clip);
    int expected = 0;
    while (decoder.next()) {
        ASSERT_EQ(patternFrame(decoder.toImage()), expected);
        EXPECT_NEAR(decoder.frameTime(), expected / fps, 1e-6);
        ++expected;
    }
    EXPECT_EQ(expected, 72);
    EXPECT_FALSE(decoder.next());
    EXPECT_EQ(patternFrame(decoder.toImage()), 71) << "the last frame stays current";
}

struct ExactCase {
    const char* name;
    double time;
    int frame;
};

class ExactSeekTest : public VideoDecoderTest, public ::testing::WithParamInterface<ExactCase> {};

TEST_P(ExactSeekTest, LandsOnTheFrameWhoseIntervalContainsTheTime) {
    VideoDecoder decoder(*clip);
    ASSERT_TRUE(decoder.seekExact(GetParam().time));
    EXPECT_EQ(patternFrame(decoder.toImage()), GetParam().frame);
    EXPECT_NEAR(decoder.frameTime(), GetParam().frame / fps, 1e-6);
    // Decoding continues from the landed frame.
    if (GetParam().frame < 71) {
        ASSERT_TRUE(decoder.next());
        EXPECT_EQ(patternFrame(decoder.toImage()), GetParam().frame + 1);
    }
}

INSTANTIATE_TEST_SUITE_P(Frames, ExactSeekTest,
                         ::testing::Values(ExactCase{"first", 0, 0}, ExactCase{"beforeStart", -3, 0},
                                           ExactCase{"keyFrame", 36 / fps, 36},
                                           ExactCase{"oneBeforeKey", 35 / fps, 35},
                                           ExactCase{"insideInterval", 35.9 / fps, 35},
                                           ExactCase{"midGop", 50.5 / fps, 50}, ExactCase{"last", 71 / fps, 71},
                                           ExactCase{"pastEnd", 100, 71}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(VideoDecoderTest, SeeksBackwardAcrossAGopBoundary) {
    VideoDecoder decoder(*clip);
    ASSERT_TRUE(decoder.seekExact(40 / fps));
    ASSERT_TRUE(decoder.seekExact(35 / fps));
    EXPECT_EQ(patternFrame(decoder.toImage()), 35);
    ASSERT_TRUE(decoder.seekExact(2 / fps));
    EXPECT_EQ(patternFrame(decoder.toImage()), 2);
}

TEST_F(VideoDecoderTest, FindsAndJumpsToTheNextKeyFrame) {
    VideoDecoder decoder(*clip);
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

struct TolerantCase {
    double time, before, after;
    std::optional<int> keyFrame; // expected landing when a key frame lies in the window
};

class TolerantSeekTest : public VideoDecoderTest, public ::testing::WithParamInterface<TolerantCase> {};

TEST_P(TolerantSeekTest, LandsWithinTheWindow) {
    const auto& c = GetParam();
    VideoDecoder decoder(*clip);
    ASSERT_TRUE(decoder.seekTolerant(c.time, c.before, c.after));
    const double landed = decoder.frameTime();
    const double frameDuration = 1 / fps;
    const bool inWindow = landed >= c.time - c.before - 1e-9 && landed <= c.time + c.after + 1e-9;
    const bool exact = landed <= c.time + 1e-9 && c.time < landed + frameDuration;
    EXPECT_TRUE(inWindow || exact) << landed;
    EXPECT_NEAR(patternFrame(decoder.toImage()).value_or(-1), landed * fps, 1e-6);
    if (c.keyFrame) {
        EXPECT_EQ(patternFrame(decoder.toImage()), *c.keyFrame);
    }
}

INSTANTIATE_TEST_SUITE_P(Windows, TolerantSeekTest,
                         ::testing::Values(TolerantCase{1.02, 0.1, 0.1, 36},  // key frame just before
                                           TolerantCase{0.95, 0.1, 0.1, 36},  // key frame just after
                                           TolerantCase{0.5, 0.1, 0.1, {}},   // no key frame near
                                           TolerantCase{1.5, 0.0, 0.01, {}},  // window smaller than a frame
                                           TolerantCase{0.5, 1.0, 1.0, 0}));  // nearest of two keys

TEST(VideoDecoderStartTest, TimeZeroIsTheFirstFrameWhenTimestampsStartLater) {
    test::TempFolder folder;
    const QString path = test::writeOffsetClip(folder / QStringLiteral("offset.mp4"), 18, 54);
    VideoDecoder decoder(path);
    ASSERT_TRUE(decoder.seekExact(0));
    EXPECT_EQ(patternFrame(decoder.toImage()), 18);
    EXPECT_NEAR(decoder.frameTime(), 0, 1e-6);
    ASSERT_TRUE(decoder.seekExact(18 / fps));
    EXPECT_EQ(patternFrame(decoder.toImage()), 36);
    ASSERT_TRUE(decoder.seekExact(53 / fps));
    EXPECT_EQ(patternFrame(decoder.toImage()), 71);
}

TEST(VideoDecoderDamageTest, UnopenableFilesThrow) {
    test::TempFolder folder;
    const QString zero = test::writeTestClip(folder.path(), QStringLiteral("zero.mp4"), 1, 64, 48, sample::Damage::zeroBytes);
    const QString cut = test::writeTestClip(folder.path(), QStringLiteral("cut.mp4"), 1, 64, 48, sample::Damage::truncated);
    const QString text = folder.writeFile(QStringLiteral("text.mp4"), "not a video at all");
    for (const QString& path : {zero, cut, text, folder / QStringLiteral("missing.mp4")}) {
        EXPECT_THROW(VideoDecoder{path}, MediaError) << path.toStdString();
        EXPECT_THROW(MediaProbe::probe(path), MediaError) << path.toStdString();
        EXPECT_FALSE(MediaProbe::duration(path));
    }
}

TEST(VideoDecoderDamageTest, CorruptPacketsEndOrSkipWithoutFailing) {
    test::TempFolder folder;
    const QString path = test::writeTestClip(folder.path(), QStringLiteral("bad.mp4"), 2, 64, 48);
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

TEST_F(VideoDecoderTest, ProbeReadsTheHeader) {
    const MediaInfo info = MediaProbe::probe(*clip);
    EXPECT_NEAR(info.duration, 2.0, 0.03);
    EXPECT_EQ(info.width, 160);
    EXPECT_EQ(info.height, 120);
    EXPECT_EQ(info.rotation, 0);
    EXPECT_NEAR(info.frameRate, 36, 1e-6);
    EXPECT_GT(info.bitRate, 0);
    EXPECT_FALSE(info.hasAudio);
}

} // namespace
