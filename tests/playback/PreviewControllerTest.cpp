// The previews over scripted players: each step checked as one line of state and the calls made meanwhile.

#include "FakePreviewEnvironment.h"
#include "MultiCameraPreviewController.h"
#include "PlaybackSegmentResolver.h"
#include "VideoPreviewController.h"

#include <QSignalSpy>
#include <QVideoSink>
#include <gtest/gtest.h>

using namespace orvane;
using test::FakePlayer;
using Status = media::AbstractMediaPlayer::ItemStatus;
using A = CameraAngle;

namespace {

// Minute `minute`'s file of a camera, "m1-back.mp4" (no camera: "m1.mp4").
TeslaVideoFile cam(int minute, std::optional<CameraAngle> angle, double startOffset = 0) {
    TeslaVideoFile f;
    f.id = QUuid::createUuid();
    f.fileName =
        QStringLiteral("m%1").arg(minute) + (angle ? Camera::fileNameSuffix(*angle) : QStringLiteral(".mp4"));
    f.url = QStringLiteral("/drive/") + f.fileName;
    f.startTime = 1000 + 60 * minute + startOffset;
    f.cameraAngle = angle;
    return f;
}

class VideoPreviewControllerTest : public ::testing::Test {
protected:
    VideoPreviewControllerTest() : controller(env.make()) {}
    FakePlayer& player() { return *env.players.at(0); }
    // "loading paused 90/165 m1-front | open m1-front, …", the calls made since the last look.
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
    // Loads three files of 60, 60 and 45 s at 0 and lands the opening seek; the calls so far are taken.
    void ready(bool resume) {
        controller.loadPlaylist(playlist, 0, resume);
        env.measures.back().done({60, 60, 45});
        player().report(Status::readyToPlay);
        player().completeSeek();
        env.takeCalls();
    }

    std::vector<TeslaVideoFile> files{cam(0, A::front), cam(1, A::front), cam(2, A::front)};
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
    ready(true);
    QSignalSpy spy(&controller, &VideoPreviewController::isPlayingChanged);
    controller.loadPlaylist(VideoSegmentPlaylist::singleCamera(files), 30, false);
    EXPECT_EQ(env.measures.size(), 2u); // the step shown, then the whole time line
    EXPECT_EQ(state(), "playing 0/165 m0-front");
    EXPECT_EQ(spy.count(), 0);
    controller.loadPlaylist(VideoSegmentPlaylist::singleCamera({files[0]}), 0, false);
    controller.loadPlaylist(VideoSegmentPlaylist::singleCamera({files[1]}), 0, false);
    env.measures[2].done({10}); // the first of the two arrives late, and is ignored
    EXPECT_EQ(controller.duration(), 165);
    env.measures[3].done({20});
    EXPECT_EQ(state(), "loading paused 0/20 m1-front | pause m0-front, pause m0-front, open m1-front");
}

TEST_F(VideoPreviewControllerTest, PlaysOnAcrossFilesAndRestartsAfterTheEnd) {
    ready(true);
    player().end();
    EXPECT_EQ(state(), "loading playing 0/165 m1-front | open m1-front");
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

// A drag seeks tolerantly once the pointer rests; letting go lands exactly and plays on.
TEST_F(VideoPreviewControllerTest, ScrubbingSeeksOnceAfterThePointerRests) {
    ready(true);
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
    ready(false);
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

TEST_F(VideoPreviewControllerTest, BeforeTheLengthsAreKnownASeekOnlyMovesTheTimeAndAStopDropsThem) {
    controller.loadPlaylist(playlist, 0, false);
    bool done = false;
    controller.seek(75, false, [&] { done = true; });
    EXPECT_TRUE(done);
    EXPECT_EQ(state(), "loading paused 75/0 m0-front | pause nothing");
    controller.stop();
    env.measures.back().done({60, 60, 45});
    EXPECT_EQ(state(), "paused 0/0 | pause nothing, open nothing");
}

// Playing into a minute that cannot be read goes on with the next and says so; paused, it stays and
// Play goes on. Pictures running out stop time and picture on the last one, saying whether the
// footage ended or the drive went away; Play then goes on after them (from the start after the last).
TEST_F(VideoPreviewControllerTest, UnreadableMinutesArePassedOverAndEarlyEndsStopSayingWhy) {
    using N = PreviewController::Notice;
    const QString why = QStringLiteral("文件不完整或已损坏");
    ready(true);
    player().problemText = why;
    player().end();
    player().report(Status::failed);
    EXPECT_EQ(state(), "loading playing 120/165 m2-front | open m1-front, open m2-front");
    EXPECT_EQ(controller.notice(), N::skippedUnreadable);
    EXPECT_TRUE(controller.noticeText().contains(why)) << controller.noticeText().toStdString();
    player().report(Status::readyToPlay);
    player().completeSeek();
    controller.togglePlayPause();
    controller.seek(70, false);
    EXPECT_EQ(controller.notice(), N::none) << "the user moved";
    player().report(Status::failed);
    EXPECT_EQ(state(),
              "paused 70/165 m1-front | seek m2-front 0, play m2-front 1, pause m2-front, open m1-front");
    EXPECT_EQ(controller.problem(), (PlaybackProblem{true, 0, why}));
    controller.togglePlayPause();
    player().report(Status::readyToPlay);
    player().completeSeek();
    player().tick(30);
    EXPECT_EQ(state(), "playing 150/165 m2-front | open m2-front, seek m2-front 0, play m2-front 1");
    player().stopShort(31.5);
    EXPECT_EQ(state(), "paused 151.5/165 m2-front | pause m2-front");
    EXPECT_EQ(controller.notice(), N::endedEarly);
    EXPECT_EQ(controller.problem(), (PlaybackProblem{false, 151.5, why}));
    controller.togglePlayPause();
    EXPECT_EQ(state(), "loading paused 0/165 m0-front | open m0-front") << "after the last minute: the start";
    player().report(Status::readyToPlay);
    player().completeSeek();
    player().stopShort(20);
    player().gone = true; // as the drive goes away, its next minute cannot be opened either
    controller.togglePlayPause();
    player().report(Status::failed);
    EXPECT_EQ(state(),
              "paused 60/165 m1-front | seek m0-front 0, play m0-front 1, pause m0-front, open m1-front, "
              "pause m1-front");
    EXPECT_EQ(controller.notice(), N::sourceGone);
}

// Seeking, opening or switching camera at and around minute boundaries (times on a boundary and
// inside the pictures next to it) shows the minute the time resolves to: a boundary is the next
// minute's first picture, the end of the last minute stays in it.
TEST_F(VideoPreviewControllerTest, TheMinuteShownIsTheOneTheTimeResolvesTo) {
    ready(false);
    std::vector<TeslaVideoFile> back{cam(0, A::back), cam(1, A::back), cam(2, A::back)};
    const auto backPlaylist = VideoSegmentPlaylist::singleCamera(back);
    const struct {
        double t;
        int step;
        double local;
    } cases[] = {{59.99, 0, 59.99},  {60, 1, 0},  {60.01, 1, 0.01},
                 {119.99, 1, 59.99}, {120, 2, 0}, {165, 2, 45}};
    for (const auto& c : cases) {
        controller.seek(c.t, false);
        if (player().itemStatus() == Status::loading)
            player().report(Status::readyToPlay);
        player().completeSeek();
        EXPECT_EQ(controller.currentStepIndex(), c.step) << c.t;
        EXPECT_NEAR(player().time, c.local, 1e-9) << c.t;
        const auto shown = PlaybackSegmentResolver::playbackSegment(
            controller.currentTime(), playlist.steps, controller.stepDurations(), std::nullopt, 0);
        ASSERT_TRUE(shown) << c.t;
        EXPECT_EQ(shown->video.id, files[size_t(c.step)].id) << c.t;
        EXPECT_NEAR(shown->localTime, c.local, 1e-9) << c.t;
        // The other camera opened at the same time shows the same minute.
        test::FakeEnvironment otherEnv;
        VideoPreviewController other(otherEnv.make());
        other.loadPlaylist(backPlaylist, controller.currentTime(), false);
        otherEnv.measures.back().done({60, 60, 45});
        EXPECT_EQ(other.loadedVideoID(), back[size_t(c.step)].id) << c.t;
    }
}

// The lengths come back through the base both previews share, which drops them once the preview is gone.
TEST_F(VideoPreviewControllerTest, DestroyedControllerIgnoresLateResults) {
    test::FakeEnvironment lateEnv;
    auto* owned = new VideoPreviewController(lateEnv.make());
    owned->loadPlaylist(playlist, 0, true);
    ASSERT_EQ(lateEnv.measures.size(), 2u);
    auto first = lateEnv.measures.front().done;
    auto done = lateEnv.measures.back().done;
    delete owned;
    first({60});
    done({60, 60, 45}); // a live controller would open the first file now
    EXPECT_TRUE(lateEnv.opened->empty());
    EXPECT_TRUE(lateEnv.delayed.empty());
}

// The step asked for shows on its own length; the whole time line's lengths then only move its place.
TEST_F(VideoPreviewControllerTest, TheStepShownStartsOnItsOwnLengthAndTheOthersFollow) {
    const struct {
        struct {
            int startStep;
            double offset;
            bool fullFirst;
            std::vector<double> full;
        } in;
        const char* states; // after the first result; after the second
    } cases[] = {
        {{2, 10, false, {60, 50, 45}},
         "loading paused 130/165 m2-front | open m2-front; loading paused 120/155 m2-front"},
        {{0, 30, false, {45, 60, 45}},
         "loading paused 30/165 m0-front | open m0-front; loading paused 30/150 m0-front"},
        {{2, 50, false, {60, 60, 45}},
         "loading paused 50/0 m0-front; loading paused 165/165 m2-front | open m2-front"},
        {{1, 5, true, {60, 60, 45}},
         "loading paused 65/165 m1-front | open m1-front; loading paused 65/165 m1-front"},
    };
    for (const auto& [c, states] : cases) {
        controller.stop();
        env.measures.clear();
        controller.loadPlaylist(VideoSegmentPlaylist::singleCamera(files), c.offset, false, c.startStep);
        ASSERT_EQ(env.measures.size(), 2u);
        ASSERT_EQ(env.measures[0].steps.size(), 1u);
        EXPECT_EQ(env.measures[0].steps[0].files()[0].id, files[size_t(c.startStep)].id);
        env.takeCalls();
        const auto quick = env.measures[0].done, full = env.measures[1].done;
        const double own = c.full[size_t(c.startStep)];
        c.fullFirst ? full(c.full) : quick({own});
        const std::string first = state();
        c.fullFirst ? quick({own}) : full(c.full);
        EXPECT_EQ(first + "; " + state(), states) << c.startStep << " " << c.offset;
    }
}

QString names(const std::vector<TeslaVideoFile>& files) {
    QStringList out;
    for (const auto& f : files)
        out << f.fileName;
    return out.join(QLatin1Char(' '));
}

TEST(VideosForGridTest, PicksAMinuteAndItsNewestFilePerGridCamera) {
    std::vector<TeslaVideoFile> files;
    for (int minute : {0, 1})
        for (A a : {A::rightRepeater, A::back, A::front, A::leftRepeater})
            files.push_back(cam(minute, a));
    files.insert(files.end(), {cam(2, A::front), cam(2, A::leftPillar), cam(3, std::nullopt)});
    // Without a focus: the later of the fullest minutes, in grid order.
    EXPECT_EQ(names(MultiCameraPreviewController::videosForGrid(files, std::nullopt)),
              "m1-front.mp4 m1-back.mp4 m1-left_repeater.mp4 m1-right_repeater.mp4");
    // With one: its minute, the newest file of each camera, none without grid cameras.
    const auto newer = cam(1, A::back, 5);
    const auto grid = MultiCameraPreviewController::videosForGrid(
        {cam(0, A::front), cam(1, A::front), cam(1, A::back), newer, cam(2, A::front), cam(1, A::leftPillar)},
        cam(1, A::rightRepeater));
    // A pillar camera's file makes it the six-camera grid.
    EXPECT_EQ(names(grid), "m1-left_pillar.mp4 m1-front.mp4 m1-back.mp4");
    EXPECT_EQ(grid.at(2).id, newer.id);
    EXPECT_TRUE(MultiCameraPreviewController::videosForGrid({cam(5, std::nullopt), cam(1, A::front)},
                                                            cam(5, std::nullopt))
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
    // Loads a playlist of these files, delivers its lengths (60 s a step) and opens its cells.
    void load(std::vector<TeslaVideoFile> files, double initialTime, bool resume) {
        const auto playlist = VideoSegmentPlaylist::multiCamera(files);
        controller.loadPlaylist(playlist, initialTime, resume);
        env.measures.back().done(std::vector<double>(playlist.steps.size(), 60));
    }
    // Loads them from the start and lands every cell's opening seek; the calls so far are taken.
    void ready(std::vector<TeslaVideoFile> files, bool resume) {
        load(std::move(files), 0, resume);
        reportAll();
        completeAllSeeks();
        env.takeCalls();
    }
    // "loading playing 72/120 step 1 [m1-front m1-back… - -] | calls" ("…": loading, "-": empty).
    std::string state() {
        QString s = controller.isLoading() ? "loading " : "";
        s += controller.isPlaying() ? "playing" : "paused";
        s += QStringLiteral(" %1/%2 step %3 [")
                 .arg(controller.currentTime())
                 .arg(controller.duration())
                 .arg(controller.currentStepIndex());
        QStringList cells;
        for (const auto& slot : controller.cameraSlots())
            cells << (slot.video ? slot.video->fileName.chopped(4) + (slot.isLoading ? "…" : "") : "-");
        s += cells.join(' ') + "]";
        const QString calls = env.takeCalls();
        return (calls.isEmpty() ? s : s + " | " + calls).toStdString();
    }

    test::FakeEnvironment env;
    MultiCameraPreviewController controller;
};

// An unreadable cell or one whose pictures run out says why; the others play on until none is left.
TEST_F(MultiCameraPreviewControllerTest, UnreadableAndStoppedCellsSayWhyAndTheOthersPlayOn) {
    const QString why = QStringLiteral("文件不完整或已损坏");
    EXPECT_EQ(state(), "paused 0/0 step 0 [- - - -]");
    load({cam(0, A::front), cam(0, A::back), cam(0, A::leftRepeater)}, 0, true);
    EXPECT_EQ(controller.expectedLoadCount(), 3);
    EXPECT_FALSE(controller.cameraSlots()[3].player) << "no player for the missing camera";
    EXPECT_EQ(controller.masterPlayer(), controller.cameraSlots()[0].player.get());
    auto players = cellPlayers();
    players[0]->problemText = why;
    players[0]->report(Status::failed);
    players[1]->report(Status::readyToPlay);
    EXPECT_EQ(state(), "loading paused 0/60 step 0 [m0-front m0-back m0-left_repeater… -] | open m0-front, "
                       "open m0-back, open m0-left_repeater");
    players[2]->report(Status::readyToPlay);
    EXPECT_EQ(state(),
              "paused 0/60 step 0 [m0-front m0-back m0-left_repeater -] | pause m0-front, pause m0-back, "
              "pause m0-left_repeater, seek m0-front 0, seek m0-back 0, seek m0-left_repeater 0");
    players[1]->completeSeek();
    players[0]->failSeeks(); // a failed item never lands; it still counts
    EXPECT_EQ(state(), "paused 0/60 step 0 [m0-front m0-back m0-left_repeater -]");
    players[2]->completeSeek();
    EXPECT_EQ(state(), "playing 0/60 step 0 [m0-front m0-back m0-left_repeater -] | play m0-front 1, play "
                       "m0-back 1, play m0-left_repeater 1");
    const auto& cells = controller.cameraSlots();
    EXPECT_EQ(cells[0].problem, (PlaybackProblem{true, 0, why}));
    EXPECT_EQ(controller.masterPlayer(), players[1]);
    players[1]->stopShort(12);
    EXPECT_EQ(cells[1].problem, (PlaybackProblem{false, 12, QString()}));
    EXPECT_TRUE(controller.isPlaying()) << "one cell left showing pictures";
    EXPECT_EQ(controller.masterPlayer(), players[2]);
    players[2]->tick(20);
    players[2]->stopShort(20.5);
    EXPECT_FALSE(controller.isPlaying());
    EXPECT_EQ(controller.currentTime(), 20.5);
    controller.seekAll(5, false);
    EXPECT_EQ(cells[1].problem, std::nullopt) << "moving plays the stopped cells again";
    EXPECT_EQ(cells[0].problem, (PlaybackProblem{true, 0, why}));
}

// Cells hold still during a seek or a drag (a playing cell would start its own clock) and resume together.
TEST_F(MultiCameraPreviewControllerTest, CellsHoldStillDuringASeekOrADragAndResumeTogether) {
    ready({cam(0, A::front), cam(0, A::back)}, true);
    controller.seekAll(30, true);
    EXPECT_EQ(state(), "playing 30/60 step 0 [m0-front m0-back - -] | pause m0-front, pause m0-back, seek "
                       "m0-front 30, seek m0-back 30");
    cellPlayers()[1]->completeSeek();
    EXPECT_EQ(state(), "playing 30/60 step 0 [m0-front m0-back - -]");
    cellPlayers()[0]->completeSeek();
    EXPECT_EQ(state(), "playing 30/60 step 0 [m0-front m0-back - -] | play m0-front 1, play m0-back 1");
    controller.setScrubbing(true);
    EXPECT_EQ(state(), "playing 30/60 step 0 [m0-front m0-back - -] | pause m0-front, pause m0-back");
    controller.updateScrubPosition(20);
    controller.updateScrubPosition(25);
    EXPECT_EQ(env.runDelayed(), 1);
    EXPECT_EQ(
        state(),
        "playing 25/60 step 0 [m0-front m0-back - -] | seek m0-front 25 -0.1+0.1, seek m0-back 25 -0.1+0.1");
    controller.finishScrubbing();
    cellPlayers()[0]->completeSeek();
    EXPECT_EQ(state(), "playing 25/60 step 0 [m0-front m0-back - -] | seek m0-front 25, seek m0-back 25");
    cellPlayers()[1]->completeSeek();
    EXPECT_EQ(state(), "playing 25/60 step 0 [m0-front m0-back - -] | play m0-front 1, play m0-back 1");
}

// The first cell to end moves on (the other's end belongs to the old step); the last step's end stops.
// The old step's players let go of the cells' sinks before the new ones take them.
TEST_F(MultiCameraPreviewControllerTest, TheFirstCellToEndAdvancesOnceAndTheLastStepEnds) {
    QVideoSink sinks[2];
    controller.setVideoSink(0, &sinks[0]);
    controller.setVideoSink(1, &sinks[1]);
    ready({cam(0, A::front), cam(0, A::back), cam(1, A::front), cam(1, A::back)}, true);
    auto first = cellPlayers();
    EXPECT_EQ(first[1]->sink, &sinks[1]);
    EXPECT_EQ(state(), "playing 0/120 step 0 [m0-front m0-back - -]");
    first[1]->end();
    first[0]->end();
    EXPECT_EQ(state(), "loading playing 0/120 step 1 [m1-front… m1-back… - -] | open m1-front, open m1-back, "
                       "play m1-front 1, play m1-back 1");
    for (int cell : {0, 1}) {
        EXPECT_EQ(first[size_t(cell)]->sink, nullptr) << "a picture on its way would cover the new minute's";
        EXPECT_EQ(cellPlayers()[size_t(cell)]->sink, &sinks[cell]);
    }
    reportAll();
    completeAllSeeks();
    cellPlayers()[0]->end();
    EXPECT_EQ(state(),
              "paused 120/120 step 1 [m1-front m1-back - -] | pause m1-front, pause m1-back, seek m1-front "
              "0, seek m1-back 0, play m1-front 1, play m1-back 1, pause m1-front, pause m1-back");
    for (FakePlayer* p : cellPlayers())
        EXPECT_EQ(p->rate(), 0);
}

// A minute none of whose grid cameras can be read (or that has none) is passed over while playing.
TEST_F(MultiCameraPreviewControllerTest, AMinuteWithoutAReadableCameraIsPassedOverWhilePlaying) {
    load({cam(0, A::front), cam(0, A::back), cam(1, A::front)}, 0, true);
    reportAll(Status::failed);
    EXPECT_EQ(state(), "loading playing 60/120 step 1 [m1-front… - - -] | open m0-front, open m0-back, "
                       "open m1-front, play m1-front 1");
    EXPECT_EQ(controller.notice(), PreviewController::Notice::skippedUnreadable);
}

TEST_F(MultiCameraPreviewControllerTest, AStepWithoutGridCamerasShowsEmptyCells) {
    load({cam(0, std::nullopt)}, 0, true);
    controller.togglePlayPause();
    EXPECT_EQ(state(), "paused 60/60 step 0 [- - - -]");
    EXPECT_FALSE(controller.masterPlayer());
    controller.stop();
    EXPECT_EQ(controller.cameraSlots().size(), 4u);
    EXPECT_FALSE(controller.loadedPlaylistSignature());
}

// A car with pillar cameras: six cells in the order the cameras sit on the car.
TEST_F(MultiCameraPreviewControllerTest, SixCamerasFillSixCellsInTheOrderTheySitOnTheCar) {
    std::vector<TeslaVideoFile> files;
    for (A a : Camera::physicalCases)
        files.push_back(cam(0, a));
    load(files, 0, false);
    env.takeCalls();
    EXPECT_EQ(state(),
              "loading paused 0/60 step 0 [m0-left_pillar… m0-front… m0-right_pillar… m0-left_repeater… "
              "m0-back… m0-right_repeater…]");
}

} // namespace
