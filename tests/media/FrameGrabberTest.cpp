#include "FrameGrabber.h"
#include "MediaError.h"
#include "MediaProbe.h"
#include "MediaTestClips.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::media;
using orvane::test::patternFrame;

namespace {

struct SizeCase {
    QSize maxSize;
    QSize expected;
};

class FrameGrabberSizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(FrameGrabberSizeTest, FitsInsideTheMaximumKeepingAspect) {
    test::TempFolder folder;
    const QString path = test::writeTestClip(folder.path(), QStringLiteral("a.mp4"), 1, 320, 240);
    FrameRequest request;
    request.time = 10 / 36.0;
    request.maxSize = GetParam().maxSize;
    const GrabbedFrame frame = FrameGrabber::grab(path, request);
    EXPECT_EQ(frame.image.size(), GetParam().expected);
    EXPECT_EQ(patternFrame(frame.image), 10);
    EXPECT_NEAR(frame.actualTime, 10 / 36.0, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Sizes, FrameGrabberSizeTest,
                         ::testing::Values(SizeCase{{}, {320, 240}},           // natural size
                                           SizeCase{{760, 428}, {320, 240}},   // never enlarged
                                           SizeCase{{160, 160}, {160, 120}},   // width bound
                                           SizeCase{{1000, 120}, {160, 120}}));    // height bound

// A file whose stream is marked as turned needs the ffmpeg program to make.
TEST(FrameGrabberRotationTest, AppliesThePreferredTransform) {
    test::TempFolder folder;
    const QString source = test::writeTestClip(folder.path(), QStringLiteral("a.mp4"), 1, 160, 96);
    const QString rotated = folder / QStringLiteral("rotated.mp4");
    int exitCode = -1;
    if (!test::runProgram(QStringLiteral("ffmpeg"),
                          {QStringLiteral("-v"), QStringLiteral("error"), QStringLiteral("-i"), source, QStringLiteral("-c"),
                           QStringLiteral("copy"), QStringLiteral("-metadata:s:v"), QStringLiteral("rotate=90"), rotated},
                          &exitCode) ||
        exitCode != 0)
        GTEST_SKIP() << "ffmpeg is not available";
    EXPECT_EQ(MediaProbe::probe(rotated).rotation % 180, 90);
    FrameRequest request;
    request.maxSize = QSize(760, 428);
    const GrabbedFrame upright = FrameGrabber::grab(rotated, request);
    EXPECT_EQ(upright.image.size(), QSize(96, 160));
    request.applyPreferredTransform = false;
    EXPECT_EQ(FrameGrabber::grab(rotated, request).image.size(), QSize(160, 96));
}

TEST(FrameGrabberTest, TolerantGrabReportsTheFrameItDecoded) {
    test::TempFolder folder;
    const QString path = test::writeTestClip(folder.path(), QStringLiteral("a.mp4"), 2, 64, 48);
    FrameGrabber grabber(path);
    FrameRequest request;
    request.time = 1.05;
    request.toleranceBefore = 0.1;
    request.toleranceAfter = 0.1;
    const GrabbedFrame frame = grabber.grab(request);
    EXPECT_NEAR(frame.actualTime, 1.0, 1e-6); // the key frame in the window
    EXPECT_EQ(patternFrame(frame.image), 36);
    // The same grabber serves later requests, also backwards.
    request = {};
    request.time = 0;
    EXPECT_EQ(patternFrame(grabber.grab(request).image), 0);
}

TEST(FrameGrabberTest, DamagedFilesThrow) {
    test::TempFolder folder;
    const QString cut = test::writeTestClip(folder.path(), QStringLiteral("cut.mp4"), 1, 64, 48, sample::Damage::truncated);
    EXPECT_THROW(FrameGrabber::grab(cut, {}), MediaError);
    EXPECT_THROW(FrameGrabber::grab(folder / QStringLiteral("none.mp4"), {}), MediaError);
}

} // namespace
