#include "FakePreviewEnvironment.h"
#include "MultiCameraPreviewController.h"

#include <gtest/gtest.h>

using namespace orvane;
using test::FakePlayer;
using Status = media::AbstractMediaPlayer::ItemStatus;

namespace {

TeslaVideoFile cam(int minute, std::optional<CameraAngle> angle, double startOffset = 0) {
    TeslaVideoFile f;
    f.id = QUuid::createUuid();
    const QString key = QStringLiteral("2024-05-01_10-%1-00").arg(minute, 2, 10, QLatin1Char('0'));
    f.fileName = key + (angle ? Camera::fileNameSuffix(*angle) : QStringLiteral(".mp4"));
    f.url = QStringLiteral("/drive/") + f.fileName;
    f.startTime = 1000 + 60 * minute + startOffset;
    f.cameraAngle = angle;
    return f;
}

std::vector<std::optional<CameraAngle>> anglesOf(const std::vector<TeslaVideoFile>& files) {
    std::vector<std::optional<CameraAngle>> result;
    for (const auto& f : files)
        result.push_back(f.cameraAngle);
    return result;
}

using A = CameraAngle;

TEST(VideosForGridTest, NoFocusPicksTheLaterOfTheFullestMinutes) {
    std::vector<TeslaVideoFile> files;
    for (int minute : {0, 1})
        for (A a : {A::front, A::back, A::leftRepeater, A::rightRepeater})
            files.push_back(cam(minute, a));
    files.push_back(cam(2, A::front));
    files.push_back(cam(2, A::leftPillar));
    files.push_back(cam(3, std::nullopt));
    const auto grid = MultiCameraPreviewController::videosForGrid(files, std::nullopt);
    ASSERT_EQ(grid.size(), 4u);
    EXPECT_EQ(anglesOf(grid), (std::vector<std::optional<A>>{A::front, A::back, A::leftRepeater, A::rightRepeater}));
    EXPECT_EQ(grid[0].fileName, QStringLiteral("2024-05-01_10-01-00-front.mp4"));
    EXPECT_TRUE(MultiCameraPreviewController::videosForGrid({}, std::nullopt).empty());
}

TEST(VideosForGridTest, FocusKeepsItsMinuteAndTheNewestFilePerCamera) {
    const auto older = cam(1, A::back, 0);
    const auto newer = cam(1, A::back, 5);
    const std::vector<TeslaVideoFile> files{cam(0, A::front), cam(1, A::front), older, newer, cam(2, A::front),
                                            cam(1, A::leftPillar)};
    const auto grid = MultiCameraPreviewController::videosForGrid(files, cam(1, A::rightRepeater));
    ASSERT_EQ(grid.size(), 2u);
    EXPECT_EQ(grid[0].fileName, QStringLiteral("2024-05-01_10-01-00-front.mp4"));
    EXPECT_EQ(grid[1].id, newer.id);
    // A focus minute without grid cameras gives an empty grid.
    EXPECT_TRUE(MultiCameraPreviewController::videosForGrid({cam(5, A::leftPillar), cam(1, A::front)}, cam(5, A::leftPillar))
                    .empty());
}

class MultiCameraPreviewControllerTest : public ::testing::Test {
protected:
    MultiCameraPreviewControllerTest() : controller(env.make()) {}
    std::vector<FakePlayer*> cellPlayers() {
        std::vector<FakePlayer*> result;
        for (const auto& slot : controller.cameraSlots())
            if (slot.player)
                result.push_back(static_cast<FakePlayer*>(slot.player.get()));
        return result;
    }
    void reportAll(Status status = Status::readyToPlay) {
        for (FakePlayer* p : cellPlayers())
            p->report(status);
    }
    void completeAllSeeks() {
        for (FakePlayer* p : cellPlayers())
            p->completeSeek();
    }
    test::FakeEnvironment env;
    MultiCameraPreviewController controller;
};

TEST_F(MultiCameraPreviewControllerTest, AMinuteWithThreeCamerasHasThreePlayers) {
    EXPECT_EQ(controller.cameraSlots().size(), 4u);
    EXPECT_FALSE(controller.masterPlayer());
    const auto playlist = VideoSegmentPlaylist::multiCamera({cam(0, A::front), cam(0, A::back), cam(0, A::leftRepeater)});
    controller.loadPlaylist(playlist, 0, false);
    env.measures.back().done({60});
    EXPECT_EQ(controller.expectedLoadCount(), 3);
    ASSERT_EQ(controller.cameraSlots().size(), 4u);
    EXPECT_EQ(controller.cameraSlots()[3].angle, A::rightRepeater);
    EXPECT_FALSE(controller.cameraSlots()[3].player);
    EXPECT_FALSE(controller.cameraSlots()[3].isLoading);
    EXPECT_EQ(controller.masterPlayer(), controller.cameraSlots()[0].player.get());
    EXPECT_TRUE(controller.isLoading());
}

TEST_F(MultiCameraPreviewControllerTest, ABrokenCellDoesNotBlockAndPlayStartsAfterTheLastSeek) {
    controller.loadPlaylist(VideoSegmentPlaylist::multiCamera({cam(0, A::front), cam(0, A::back), cam(0, A::leftRepeater)}),
                            0, true);
    env.measures.back().done({60});
    auto players = cellPlayers();
    players[0]->report(Status::readyToPlay);
    players[1]->report(Status::failed);
    EXPECT_TRUE(controller.isLoading());
    EXPECT_TRUE(players[0]->seeks.empty());
    players[2]->report(Status::readyToPlay);
    EXPECT_FALSE(controller.isLoading());
    for (FakePlayer* p : players)
        ASSERT_EQ(p->seeks.size(), 1u);
    players[0]->completeSeek();
    players[1]->failSeeks(); // a failed item never lands; it still counts
    EXPECT_FALSE(controller.isPlaying());
    EXPECT_TRUE(players[0]->plays.empty());
    players[2]->completeSeek();
    EXPECT_TRUE(controller.isPlaying());
    for (FakePlayer* p : players)
        EXPECT_EQ(p->plays, std::vector<float>{1.0f});
}

TEST_F(MultiCameraPreviewControllerTest, CellsHoldStillDuringASeekSoTheyResumeTogether) {
    controller.loadPlaylist(VideoSegmentPlaylist::multiCamera({cam(0, A::front), cam(0, A::back)}), 0, true);
    env.measures.back().done({60});
    reportAll();
    completeAllSeeks();
    ASSERT_TRUE(controller.isPlaying());
    controller.seekAll(30, true);
    auto players = cellPlayers();
    for (FakePlayer* p : players)
        EXPECT_EQ(p->rate(), 0) << "a playing cell would start its clock on its own landing";
    players[1]->completeSeek();
    EXPECT_EQ(players[1]->rate(), 0);
    players[0]->completeSeek();
    for (FakePlayer* p : players) {
        EXPECT_EQ(p->rate(), 1);
        EXPECT_EQ(p->seeks.back().time, 30);
    }
    EXPECT_TRUE(controller.isPlaying());
}

TEST_F(MultiCameraPreviewControllerTest, ASecondStepOpensAtItsLocalTime) {
    const auto playlist = VideoSegmentPlaylist::multiCamera(
        {cam(0, A::front), cam(0, A::back), cam(1, A::front), cam(1, A::back)});
    controller.loadPlaylist(playlist, 72, false);
    env.measures.back().done({60, 60});
    EXPECT_EQ(controller.currentStepIndex(), 1);
    reportAll();
    for (FakePlayer* p : cellPlayers()) {
        ASSERT_EQ(p->seeks.size(), 1u);
        EXPECT_EQ(p->seeks[0].time, 12);
        EXPECT_EQ(p->item.contains(QLatin1String("10-01-00")), true);
    }
    completeAllSeeks();
    EXPECT_EQ(controller.currentTime(), 72);
}

TEST_F(MultiCameraPreviewControllerTest, TheFirstCellToEndAdvancesOnceAndTheLastStepEnds) {
    const auto playlist = VideoSegmentPlaylist::multiCamera(
        {cam(0, A::front), cam(0, A::back), cam(1, A::front), cam(1, A::back)});
    controller.loadPlaylist(playlist, 0, true);
    env.measures.back().done({60, 60});
    reportAll();
    completeAllSeeks();
    ASSERT_TRUE(controller.isPlaying());
    auto first = cellPlayers();
    first[1]->end();
    first[0]->end(); // the other cell's end belongs to the old step
    EXPECT_EQ(controller.currentStepIndex(), 1);
    auto second = cellPlayers();
    for (FakePlayer* p : second)
        EXPECT_EQ(p->plays, std::vector<float>{1.0f}) << "new cells start at once";
    reportAll();
    completeAllSeeks();
    second[0]->end();
    EXPECT_FALSE(controller.isPlaying());
    EXPECT_EQ(controller.currentTime(), 120);
    for (FakePlayer* p : second)
        EXPECT_EQ(p->rate(), 0);
}

TEST_F(MultiCameraPreviewControllerTest, ScrubbingPreviewsAllCellsThenLandsExactly) {
    controller.loadPlaylist(VideoSegmentPlaylist::multiCamera({cam(0, A::front), cam(0, A::back)}), 0, false);
    env.measures.back().done({60});
    reportAll();
    completeAllSeeks();
    controller.togglePlayPause();
    controller.setScrubbing(true);
    for (FakePlayer* p : cellPlayers())
        EXPECT_EQ(p->rate(), 0);
    controller.updateScrubPosition(20);
    controller.updateScrubPosition(25);
    EXPECT_EQ(env.runDelayed(), 1);
    for (FakePlayer* p : cellPlayers()) {
        EXPECT_EQ(p->seeks.back().time, 25);
        EXPECT_EQ(p->seeks.back().before, 0.1);
    }
    controller.finishScrubbing();
    auto players = cellPlayers();
    players[0]->completeSeek();
    EXPECT_EQ(players[0]->rate(), 0);
    players[1]->completeSeek();
    for (FakePlayer* p : players)
        EXPECT_EQ(p->rate(), 1);
    EXPECT_TRUE(controller.isPlaying());
}

TEST_F(MultiCameraPreviewControllerTest, AStepWithoutGridCamerasShowsEmptyCells) {
    controller.loadPlaylist(VideoSegmentPlaylist::multiCamera({cam(0, A::leftPillar)}), 0, true);
    env.measures.back().done({60});
    EXPECT_FALSE(controller.isLoading());
    EXPECT_FALSE(controller.masterPlayer());
    controller.togglePlayPause();
    EXPECT_FALSE(controller.isPlaying());
    controller.stop();
    EXPECT_EQ(controller.cameraSlots().size(), 4u);
    EXPECT_FALSE(controller.loadedPlaylistSignature());
}

TEST_F(MultiCameraPreviewControllerTest, DestroyedControllerIgnoresLateResults) {
    const auto playlist = VideoSegmentPlaylist::multiCamera({cam(0, A::front), cam(0, A::back)});
    test::FakeEnvironment lateEnv;
    auto* owned = new MultiCameraPreviewController(lateEnv.make());
    owned->loadPlaylist(playlist, 0, true);
    ASSERT_EQ(lateEnv.measures.size(), 1u);
    auto done = lateEnv.measures.back().done;
    delete owned;
    done({60}); // a live controller would make the cells' players now
    EXPECT_TRUE(lateEnv.players.empty());
    EXPECT_TRUE(lateEnv.opened->empty());

    controller.loadPlaylist(playlist, 0, true);
    env.measures.back().done({60});
    EXPECT_EQ(env.players.size(), 2u);
    EXPECT_EQ(env.opened->size(), 2u);
}

} // namespace
