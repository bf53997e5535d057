// The single-camera preview over a scripted player: each step of a scenario is checked as one
// line, the controller's state and then what it told the player meanwhile.

#include "VideoPreviewController.h"

#include "FakePreviewEnvironment.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace orvane;
using test::FakePlayer;
using Status = media::AbstractMediaPlayer::ItemStatus;

namespace {

TeslaVideoFile file(int minute) {
    TeslaVideoFile f;
    f.id = QUuid::createUuid();
    f.fileName = QStringLiteral("m%1-front.mp4").arg(minute);
    f.url = QStringLiteral("/drive/") + f.fileName;
    f.startTime = 1000 + 60 * minute;
    f.cameraAngle = CameraAngle::front;
    return f;
}

class VideoPreviewControllerTest : public ::testing::Test {
protected:
    VideoPreviewControllerTest() : controller(env.make()) {}
    FakePlayer& player() { return *env.players.at(0); }
    // "loading paused 90/165 m1-front | open m1-front, …": whether it loads, plays and scrubs,
    // its time and length, the file it shows, and the player calls since the last look.
    std::string state() {
        QString s = controller.isLoading() ? "loading " : "";
        s += controller.isPlaying() ? "playing" : "paused";
        s += controller.isScrubbing() ? " scrubbing" : "";
        s += QStringLiteral(" %1/%2").arg(controller.currentTime()).arg(controller.duration());
        for (const auto& f : files)
            if (controller.loadedVideoID() == f.id)
                s += " " + f.fileName.chopped(4);
        const QString calls = env.takeCalls();
        return (calls.isEmpty() ? s : s + " | " + calls).toStdString();
    }
    // Loads three files of 60, 60 and 45 s, delivers the lengths and the file's opening.
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

TEST_F(VideoPreviewControllerTest, OpensTheLocatedFileAndPlaysFromTheLocalTimeOnceTheExactSeekLands) {
    controller.loadPlaylist(playlist, 90, true);
    EXPECT_EQ(state(), "loading paused 90/0 m0-front | pause nothing");
    env.measures.back().done({60, 60, 45});
    EXPECT_EQ(state(), "loading paused 90/165 m1-front | open m1-front");
    player().report(Status::readyToPlay);
    EXPECT_EQ(state(), "paused 90/165 m1-front | seek m1-front 30");
    player().completeSeek();
    EXPECT_EQ(state(), "playing 90/165 m1-front | play m1-front 1");
}

TEST_F(VideoPreviewControllerTest, SameSignatureChangesNothingAndSupersededMeasuresAreDropped) {
    loadThree(0, true);
    player().completeSeek();
    EXPECT_EQ(state(),
              "playing 0/165 m0-front | pause nothing, open m0-front, seek m0-front 0, play m0-front 1");
    QSignalSpy spy(&controller, &VideoPreviewController::isPlayingChanged);
    controller.loadPlaylist(VideoSegmentPlaylist::singleCamera(files), 30, false);
    EXPECT_EQ(env.measures.size(), 1u);
    EXPECT_EQ(state(), "playing 0/165 m0-front");
    EXPECT_EQ(spy.count(), 0);
    controller.loadPlaylist(VideoSegmentPlaylist::singleCamera({files[0]}), 0, false);
    controller.loadPlaylist(VideoSegmentPlaylist::singleCamera({files[1]}), 0, false);
    env.measures[1].done({10}); // the first of the two arrives late, and is ignored
    EXPECT_EQ(controller.duration(), 165);
    env.measures[2].done({20});
    EXPECT_EQ(state(), "loading paused 0/20 m1-front | pause m0-front, pause m0-front, open m1-front");
}

TEST_F(VideoPreviewControllerTest, StopWhileMeasuringDropsTheResult) {
    controller.loadPlaylist(playlist, 0, true);
    controller.stop();
    env.measures.back().done({60, 60, 45});
    EXPECT_EQ(state(), "paused 0/0 | pause nothing, pause nothing, open nothing");
}

TEST_F(VideoPreviewControllerTest, PlaysOnAcrossFilesAndRestartsAfterTheEnd) {
    loadThree(0, true);
    player().completeSeek();
    player().end();
    EXPECT_EQ(state(), "loading playing 0/165 m1-front | pause nothing, open m0-front, seek m0-front 0, play "
                       "m0-front 1, open m1-front");
    player().report(Status::readyToPlay);
    player().completeSeek();
    EXPECT_EQ(state(), "playing 60/165 m1-front | seek m1-front 0, play m1-front 1");
    player().end();
    player().report(Status::readyToPlay);
    player().completeSeek();
    player().tick(44.9);
    EXPECT_EQ(state(), "playing 164.9/165 m2-front | open m2-front, seek m2-front 0, play m2-front 1");
    player().end();
    EXPECT_EQ(state(), "paused 165/165 m2-front");
    controller.togglePlayPause(); // at the end: from the start again
    EXPECT_EQ(state(), "loading playing 0/165 m0-front | open m0-front, play m0-front 1");
}

// The drag previews with tolerant seeks, one once the pointer rests; letting go lands exactly
// and plays on when it played before.
TEST_F(VideoPreviewControllerTest, ScrubbingSeeksOnceAfterThePointerRests) {
    loadThree(0, true);
    player().completeSeek();
    env.takeCalls();
    controller.setScrubbing(true);
    for (double t : {10.0, 20.0, 30.0, 40.0})
        controller.updateScrubPosition(t);
    EXPECT_EQ(state(), "playing scrubbing 40/165 m0-front | pause m0-front");
    ASSERT_EQ(env.delayed.size(), 4u);
    EXPECT_EQ(env.delayed.back()->milliseconds, 33);
    EXPECT_EQ(env.runDelayed(), 1);
    EXPECT_EQ(state(), "playing scrubbing 40/165 m0-front | seek m0-front 40 -0.1+0.1");
    controller.finishScrubbing();
    EXPECT_EQ(state(), "playing 40/165 m0-front | seek m0-front 40");
    player().completeSeek();
    EXPECT_EQ(state(), "playing 40/165 m0-front | play m0-front 1");
}

TEST_F(VideoPreviewControllerTest, ScrubAcrossABoundaryOpensTheOtherFileWithoutPlaying) {
    loadThree(0, false);
    player().completeSeek();
    env.takeCalls();
    controller.setScrubbing(true);
    controller.updateScrubPosition(70);
    controller.updateScrubPosition(500); // clamped to the end
    EXPECT_EQ(state(), "paused scrubbing 165/165 m0-front | pause m0-front");
    controller.updateScrubPosition(70);
    env.runDelayed();
    player().report(Status::readyToPlay);
    player().completeSeek();
    EXPECT_EQ(state(), "paused scrubbing 70/165 m1-front | open m1-front, seek m1-front 10");
    controller.setScrubbing(false);
    player().completeSeek();
    EXPECT_EQ(state(), "paused 70/165 m1-front | seek m1-front 10");
}

TEST_F(VideoPreviewControllerTest, RateAppliesNowOnlyWhilePlaying) {
    loadThree(0, false);
    player().completeSeek();
    env.takeCalls();
    controller.setPlaybackRate(2);
    EXPECT_EQ(state(), "paused 0/165 m0-front");
    controller.togglePlayPause();
    EXPECT_EQ(state(), "playing 0/165 m0-front | play m0-front 2");
    controller.setPlaybackRate(4);
    EXPECT_EQ(state(), "playing 0/165 m0-front | rate m0-front 4");
    controller.togglePlayPause();
    EXPECT_EQ(state(), "paused 0/165 m0-front | pause m0-front");
}

TEST_F(VideoPreviewControllerTest, SeekBeforeTheLengthsAreKnownOnlyMovesTheTime) {
    controller.loadPlaylist(playlist, 0, false);
    bool done = false;
    controller.seek(75, false, [&] { done = true; });
    EXPECT_TRUE(done);
    EXPECT_EQ(state(), "loading paused 75/0 m0-front | pause nothing");
}

TEST_F(VideoPreviewControllerTest, AFileThatFailsToOpenStopsLoading) {
    controller.loadPlaylist(playlist, 0, true);
    env.measures.back().done({60, 60, 45});
    player().report(Status::failed);
    EXPECT_EQ(state(), "paused 0/165 m0-front | pause nothing, open m0-front");
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
