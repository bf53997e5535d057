#include "FakePreviewEnvironment.h"
#include "VideoPreviewController.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

using namespace orvane;
using test::FakePlayer;
using Status = media::AbstractMediaPlayer::ItemStatus;

namespace {

TeslaVideoFile file(int minute) {
    TeslaVideoFile f;
    f.id = QUuid::createUuid();
    f.fileName = QStringLiteral("2024-05-01_10-%1-00-front.mp4").arg(minute, 2, 10, QLatin1Char('0'));
    f.url = QStringLiteral("/drive/") + f.fileName;
    f.startTime = 1000 + 60 * minute;
    f.cameraAngle = CameraAngle::front;
    return f;
}

class VideoPreviewControllerTest : public ::testing::Test {
protected:
    VideoPreviewControllerTest() : controller(env.make()) {}
    FakePlayer& player() { return *env.players.at(0); }
    // Loads three files of 60, 60 and 45 s, delivers the durations and opens the file.
    void loadThree(double initialTime, bool resume) {
        controller.loadPlaylist(playlist, initialTime, resume);
        env.measures.back().done({60, 60, 45});
        player().report(Status::readyToPlay);
    }

    std::vector<TeslaVideoFile> files{file(0), file(1), file(2)};
    VideoSegmentPlaylist playlist = VideoSegmentPlaylist::singleCamera(files);
    test::FakeEnvironment env;
    VideoPreviewController controller;
};

TEST_F(VideoPreviewControllerTest, OpensTheLocatedFileAndPlaysFromTheLocalTime) {
    controller.loadPlaylist(playlist, 90, true);
    EXPECT_TRUE(controller.isLoading());
    EXPECT_EQ(controller.currentTime(), 90);
    EXPECT_EQ(controller.loadedVideoID(), files[0].id);
    env.measures.back().done({60, 60, 45});
    EXPECT_EQ(controller.duration(), 165);
    EXPECT_EQ(player().item, files[1].url);
    EXPECT_EQ(controller.loadedVideoID(), files[1].id);
    EXPECT_TRUE(controller.isLoading());
    player().report(Status::readyToPlay);
    EXPECT_FALSE(controller.isLoading());
    ASSERT_EQ(player().seeks.size(), 1u);
    EXPECT_EQ(player().seeks[0].time, 30);
    EXPECT_EQ(player().seeks[0].before, 0);
    EXPECT_FALSE(controller.isPlaying()) << "playing starts when the exact seek lands";
    player().completeSeek();
    EXPECT_TRUE(controller.isPlaying());
    EXPECT_EQ(player().plays, std::vector<float>{1.0f});
    EXPECT_EQ(controller.currentTime(), 90);
}

TEST_F(VideoPreviewControllerTest, StartBeyondTheEndOpensTheLastFileAtItsEnd) {
    loadThree(500, false);
    EXPECT_EQ(controller.currentTime(), 165);
    EXPECT_EQ(player().item, files[2].url);
    EXPECT_EQ(player().seeks.back().time, 45);
}

TEST_F(VideoPreviewControllerTest, SameSignatureChangesNothingAndSupersededMeasuresAreDropped) {
    loadThree(0, true);
    player().completeSeek();
    ASSERT_TRUE(controller.isPlaying());
    QSignalSpy spy(&controller, &VideoPreviewController::isPlayingChanged);
    controller.loadPlaylist(VideoSegmentPlaylist::singleCamera(files), 30, false);
    EXPECT_EQ(env.measures.size(), 1u);
    EXPECT_TRUE(controller.isPlaying());
    EXPECT_EQ(spy.count(), 0);

    controller.loadPlaylist(VideoSegmentPlaylist::singleCamera({files[0]}), 0, false);
    controller.loadPlaylist(VideoSegmentPlaylist::singleCamera({files[1]}), 0, false);
    env.measures[1].done({10}); // the first of the two arrives late
    EXPECT_EQ(controller.duration(), 165) << "a superseded measurement is ignored";
    env.measures[2].done({20});
    EXPECT_EQ(controller.duration(), 20);
    EXPECT_EQ(player().item, files[1].url);
}

TEST_F(VideoPreviewControllerTest, StopWhileMeasuringDropsTheResult) {
    controller.loadPlaylist(playlist, 0, true);
    controller.stop();
    env.measures.back().done({60, 60, 45});
    EXPECT_EQ(controller.duration(), 0);
    EXPECT_FALSE(controller.isLoading());
    EXPECT_TRUE(player().items.empty() || player().item.isEmpty());
}

TEST_F(VideoPreviewControllerTest, PlaysOnAcrossFilesAndRestartsAfterTheEnd) {
    loadThree(0, true);
    player().completeSeek();
    player().end();
    EXPECT_EQ(player().item, files[1].url);
    player().report(Status::readyToPlay);
    player().completeSeek();
    EXPECT_EQ(player().seeks.back().time, 0);
    EXPECT_TRUE(controller.isPlaying());
    player().end();
    player().report(Status::readyToPlay);
    player().completeSeek();
    player().tick(44.9);
    EXPECT_DOUBLE_EQ(controller.currentTime(), 164.9);
    player().end();
    EXPECT_FALSE(controller.isPlaying());
    EXPECT_EQ(controller.currentTime(), 165);

    controller.togglePlayPause();
    EXPECT_EQ(player().item, files[0].url) << "play at the end starts again from 0";
    EXPECT_TRUE(controller.isPlaying());
}

TEST_F(VideoPreviewControllerTest, ScrubbingSeeksOnceAfterThePointerRests) {
    loadThree(0, true);
    player().completeSeek();
    const size_t seeksBefore = player().seeks.size();
    controller.setScrubbing(true);
    EXPECT_EQ(player().rate(), 0);
    EXPECT_TRUE(controller.isPlaying()) << "the play state is kept through the drag";
    for (double t : {10.0, 20.0, 30.0, 40.0})
        controller.updateScrubPosition(t);
    EXPECT_EQ(controller.currentTime(), 40);
    ASSERT_EQ(env.delayed.size(), 4u);
    EXPECT_EQ(env.delayed.back()->milliseconds, 33);
    EXPECT_EQ(env.runDelayed(), 1);
    ASSERT_EQ(player().seeks.size(), seeksBefore + 1);
    EXPECT_EQ(player().seeks.back().time, 40);
    EXPECT_EQ(player().seeks.back().before, 0.1);

    controller.finishScrubbing();
    EXPECT_FALSE(controller.isScrubbing());
    EXPECT_EQ(player().seeks.back().time, 40);
    EXPECT_EQ(player().seeks.back().after, 0);
    const size_t plays = player().plays.size();
    player().completeSeek();
    EXPECT_EQ(player().plays.size(), plays + 1) << "playing before the drag resumes";
}

TEST_F(VideoPreviewControllerTest, ScrubAcrossABoundaryOpensTheOtherFileWithoutPlaying) {
    loadThree(0, false);
    player().completeSeek();
    controller.setScrubbing(true);
    controller.updateScrubPosition(70);
    controller.updateScrubPosition(500); // clamped to the end
    EXPECT_EQ(controller.currentTime(), 165);
    controller.updateScrubPosition(70);
    env.runDelayed();
    EXPECT_EQ(player().item, files[1].url);
    player().report(Status::readyToPlay);
    EXPECT_EQ(player().seeks.back().time, 10);
    player().completeSeek();
    EXPECT_FALSE(controller.isPlaying());
    controller.setScrubbing(false);
    player().completeSeek();
    EXPECT_EQ(player().plays.size(), 0u);
}

TEST_F(VideoPreviewControllerTest, RateAppliesNowOnlyWhilePlaying) {
    loadThree(0, false);
    player().completeSeek();
    controller.setPlaybackRate(2);
    EXPECT_TRUE(player().rateChanges.empty());
    controller.togglePlayPause();
    EXPECT_EQ(player().plays, std::vector<float>{2.0f});
    controller.setPlaybackRate(4);
    EXPECT_EQ(player().rateChanges, std::vector<float>{4.0f});
    controller.togglePlayPause();
    EXPECT_FALSE(controller.isPlaying());
}

TEST_F(VideoPreviewControllerTest, SeekBeforeDurationsOnlyMovesTheTime) {
    controller.loadPlaylist(playlist, 0, false);
    bool done = false;
    controller.seek(75, false, [&] { done = true; });
    EXPECT_TRUE(done);
    EXPECT_EQ(controller.currentTime(), 75);
    EXPECT_TRUE(player().seeks.empty());
}

TEST_F(VideoPreviewControllerTest, AFileThatFailsToOpenStopsLoading) {
    controller.loadPlaylist(playlist, 0, true);
    env.measures.back().done({60, 60, 45});
    player().report(Status::failed);
    EXPECT_FALSE(controller.isLoading());
    EXPECT_FALSE(controller.isPlaying());
    EXPECT_TRUE(player().seeks.empty());
}

TEST_F(VideoPreviewControllerTest, DestroyedControllerIgnoresLateResults) {
    test::FakeEnvironment lateEnv;
    auto* owned = new VideoPreviewController(lateEnv.make());
    owned->loadPlaylist(playlist, 0, true);
    ASSERT_EQ(lateEnv.measures.size(), 1u);
    auto done = lateEnv.measures.back().done;
    delete owned;
    done({60, 60, 45}); // a live controller would open the first file now
    EXPECT_TRUE(lateEnv.opened->empty());
    EXPECT_TRUE(lateEnv.delayed.empty());

    // The same late result reaches a live controller, which opens the file.
    controller.loadPlaylist(playlist, 0, true);
    env.measures.back().done({60, 60, 45});
    EXPECT_EQ(*env.opened, std::vector<QString>{files[0].url});
}

} // namespace
