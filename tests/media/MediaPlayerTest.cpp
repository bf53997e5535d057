#include "MediaPlayer.h"
#include "MediaTestClips.h"
#include "PlayerTestSupport.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QThread>
#include <QVideoSink>

using namespace orvane;
using namespace orvane::media;
using Status = AbstractMediaPlayer::ItemStatus;

namespace {

constexpr double fps = 36;

class MediaPlayerTest : public test::SharedClipTest {
protected:
    void open(const QString& path = *clip) {
        player.setVideoSink(&sink);
        player.replaceCurrentItem(path);
        ASSERT_TRUE(test::waitUntil([&] { return player.itemStatus() != Status::loading; }));
    }
    std::optional<int> shown() { return test::patternFrame(sink.videoFrame()); }
    // Seeks and waits for the completion; returns whether it reported finished.
    bool seekAndWait(double time, double before = 0, double after = 0) {
        std::optional<bool> finished;
        player.seek(time, before, after, [&](bool f) { finished = f; });
        EXPECT_TRUE(test::waitUntil([&] { return finished.has_value(); }));
        return finished.value_or(false);
    }

    QVideoSink sink;
    MediaPlayer player;
};

TEST_F(MediaPlayerTest, OpensAndShowsTheFirstFrame) {
    open();
    EXPECT_EQ(player.itemStatus(), Status::readyToPlay);
    EXPECT_NEAR(player.duration(), 2.0, 0.03);
    ASSERT_TRUE(test::waitUntil([&] { return shown().has_value(); }));
    EXPECT_EQ(shown(), 0);
    EXPECT_EQ(sink.videoFrame().size(), QSize(160, 120));
}

TEST_F(MediaPlayerTest, DamagedOrMissingFilesFailAndTheirSeeksDoNotFinish) {
    const QString cut = test::writeTestClip(folder->path(), QStringLiteral("cut.mp4"), 1, 64, 48, sample::Damage::truncated);
    for (const QString& path : {cut, folder->path() + QStringLiteral("/none.mp4")}) {
        player.replaceCurrentItem(path);
        std::optional<bool> finished;
        player.seek(0.5, 0, 0, [&](bool f) { finished = f; });
        ASSERT_TRUE(test::waitUntil([&] { return player.itemStatus() != Status::loading; }));
        EXPECT_EQ(player.itemStatus(), Status::failed);
        EXPECT_EQ(finished, false);
        // Seeks issued after the failure also complete, so a grid never waits for this cell.
        std::optional<bool> later;
        player.seek(0.1, 0, 0, [&](bool f) { later = f; });
        ASSERT_TRUE(test::waitUntil([&] { return later.has_value(); }));
        EXPECT_FALSE(*later);
        player.playImmediately(1);
        EXPECT_EQ(player.rate(), 0);
    }
}

TEST_F(MediaPlayerTest, GridThreadSettingsOpenSeekAndFailLikeTheDefaults) {
    MediaPlayer::Options options;
    options.decoderThreads = 1;
    options.largeFrameDecoderThreads = 2; // the header is read first to choose
    MediaPlayer cell(options);
    QVideoSink cellSink;
    cell.setVideoSink(&cellSink);
    cell.replaceCurrentItem(folder->path() + QStringLiteral("/none.mp4"));
    ASSERT_TRUE(test::waitUntil([&] { return cell.itemStatus() != Status::loading; }));
    EXPECT_EQ(cell.itemStatus(), Status::failed);
    cell.replaceCurrentItem(*clip);
    ASSERT_TRUE(test::waitUntil([&] { return cell.itemStatus() != Status::loading; }));
    ASSERT_EQ(cell.itemStatus(), Status::readyToPlay);
    std::optional<bool> finished;
    cell.seek(40 / fps + 0.2 / fps, 0, 0, [&](bool f) { finished = f; });
    ASSERT_TRUE(test::waitUntil([&] { return finished.has_value(); }));
    EXPECT_TRUE(*finished);
    EXPECT_EQ(test::patternFrame(cellSink.videoFrame()), 40);
}

TEST_F(MediaPlayerTest, ExactSeeksShowTheExactFrame) {
    open();
    for (int frame : {36, 35, 0, 71, 50, 1}) {
        ASSERT_TRUE(seekAndWait(frame / fps + 0.2 / fps));
        EXPECT_EQ(shown(), frame);
        EXPECT_NEAR(player.currentTime(), frame / fps + 0.2 / fps, 1e-6);
    }
}

TEST_F(MediaPlayerTest, TolerantSeekLandsWithinTheWindow) {
    open();
    ASSERT_TRUE(seekAndWait(1.03, 0.1, 0.1));
    ASSERT_TRUE(shown());
    EXPECT_NEAR(*shown() / fps, 1.03, 0.1 + 1e-9);
}

TEST_F(MediaPlayerTest, NewerSeeksAndCancellationFinishEarlierSeeksUnfinished) {
    open();
    std::vector<std::pair<int, bool>> completions;
    player.seek(0.5, 0, 0, [&](bool f) { completions.push_back({1, f}); });
    player.seek(1.5, 0, 0, [&](bool f) { completions.push_back({2, f}); });
    ASSERT_TRUE(test::waitUntil([&] { return completions.size() == 2; }));
    EXPECT_EQ(completions, (std::vector<std::pair<int, bool>>{{1, false}, {2, true}}));
    EXPECT_EQ(shown(), 54);

    bool called = false, finished = true;
    player.seek(0.2, 0, 0, [&](bool f) { called = true, finished = f; });
    player.cancelPendingSeeks();
    EXPECT_FALSE(called) << "completions arrive later, never inside the call";
    ASSERT_TRUE(test::waitUntil([&] { return called; }));
    EXPECT_FALSE(finished);
}

TEST_F(MediaPlayerTest, StepsFramesBothWaysAcrossAKeyFrame) {
    open();
    ASSERT_TRUE(seekAndWait(36 / fps));
    player.stepFrames(-1);
    ASSERT_TRUE(test::waitUntil([&] { return shown() == 35; }));
    player.stepFrames(2);
    ASSERT_TRUE(test::waitUntil([&] { return shown() == 37; }));
    EXPECT_NEAR(player.currentTime(), 37 / fps, 1e-6);
}

TEST_F(MediaPlayerTest, PlaysToTheEndAndStops) {
    open();
    ASSERT_TRUE(seekAndWait(1.5));
    int ticks = 0, ends = 0;
    QObject::connect(&player, &AbstractMediaPlayer::periodicTime, [&](double) { ++ticks; });
    QObject::connect(&player, &AbstractMediaPlayer::didPlayToEnd, [&] { ++ends; });
    player.playImmediately(2);
    EXPECT_EQ(player.rate(), 2);
    ASSERT_TRUE(test::waitUntil([&] { return ends == 1; }));
    EXPECT_EQ(player.rate(), 0);
    EXPECT_EQ(shown(), 71);
    EXPECT_NEAR(player.currentTime(), 2.0, 0.03);
    EXPECT_GE(ticks, 1) << "the time is reported while playing and once more at the end";
    EXPECT_GE(player.presentedFrames() + player.droppedFrames(), 18); // frames 54 … 71, shown or dropped
}

TEST_F(MediaPlayerTest, PauseHoldsThePosition) {
    open();
    player.playImmediately(1);
    ASSERT_TRUE(test::waitUntil([&] { return player.currentTime() > 0.2; }));
    player.pause();
    const double held = player.currentTime();
    QThread::msleep(100);
    EXPECT_EQ(player.currentTime(), held);
    ASSERT_TRUE(test::waitUntil([&] { return shown().has_value(); }));
    EXPECT_NEAR(*shown() / fps, held, 2 / fps);
}

TEST_F(MediaPlayerTest, RemovingTheItemEndsEverything) {
    open();
    player.playImmediately(1);
    player.replaceCurrentItem({});
    EXPECT_FALSE(player.hasCurrentItem());
    EXPECT_EQ(player.itemStatus(), Status::none);
    EXPECT_EQ(player.rate(), 0);
    std::optional<bool> finished;
    player.seek(1, 0, 0, [&](bool f) { finished = f; });
    ASSERT_TRUE(test::waitUntil([&] { return finished.has_value(); }));
    EXPECT_FALSE(*finished);
}

} // namespace
