// The controllers over real players and files: what the fakes cannot show.

#include "MediaTestClips.h"
#include "MultiCameraPreviewController.h"
#include "PlayerTestSupport.h"
#include "TestSupport.h"
#include "VideoPreviewController.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

TeslaVideoFile clipFile(const test::TempFolder& folder, CameraAngle camera, int minute,
                        sample::Damage damage = sample::Damage::none) {
    TeslaVideoFile f;
    f.id = QUuid::createUuid();
    f.fileName = QStringLiteral("2024-05-01_10-%1-00").arg(minute, 2, 10, QLatin1Char('0')) +
                 Camera::fileNameSuffix(camera);
    f.url = test::writeClip(
        {.path = folder / f.fileName, .camera = camera, .width = 64, .height = 48, .damage = damage});
    f.startTime = 1000 + 60 * minute;
    f.cameraAngle = camera;
    return f;
}

TEST(RealPlayerPreviewTest, GridWithAnUnreadableCellStillPlays) {
    test::TempFolder folder;
    const std::vector<TeslaVideoFile> files{
        clipFile(folder, CameraAngle::front, 0), clipFile(folder, CameraAngle::back, 0),
        clipFile(folder, CameraAngle::leftRepeater, 0, sample::Damage::truncated)};
    MultiCameraPreviewController controller;
    controller.loadPlaylist(VideoSegmentPlaylist::multiCamera(files), 0.5, true);
    ASSERT_TRUE(test::waitUntil([&] { return controller.isPlaying(); }));
    EXPECT_NEAR(controller.duration(), 1.0, 0.03);
    EXPECT_EQ(controller.expectedLoadCount(), 3);
    ASSERT_TRUE(test::waitUntil([&] { return controller.currentTime() > 0.6; }));
    controller.stop();
}

TEST(RealPlayerPreviewTest, SingleViewPlaysAcrossFilesToTheEnd) {
    test::TempFolder folder;
    const std::vector<TeslaVideoFile> files{clipFile(folder, CameraAngle::front, 0),
                                            clipFile(folder, CameraAngle::front, 1)};
    VideoPreviewController controller;
    controller.setPlaybackRate(4);
    controller.loadPlaylist(VideoSegmentPlaylist::singleCamera(files), 0.5, true);
    ASSERT_TRUE(test::waitUntil([&] { return controller.isPlaying(); }));
    ASSERT_TRUE(test::waitUntil([&] { return controller.currentStepIndex() == 1; }));
    ASSERT_TRUE(test::waitUntil([&] { return !controller.isPlaying(); }));
    EXPECT_NEAR(controller.currentTime(), controller.duration(), 1e-9);
    EXPECT_NEAR(controller.duration(), 2.0, 0.06);
}

} // namespace
