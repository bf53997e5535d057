// Races with a player's threads, each repeated with the interface thread acting at another point.

#include "PlayerTestSupport.h"

#include <QCoreApplication>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <gtest/gtest.h>
#include <map>

using namespace orvane;
using namespace orvane::media;
using sample::FramePattern;

namespace {

const int frontCamera = sample::cameraIndex(CameraAngle::front);
const int backCamera = sample::cameraIndex(CameraAngle::back);

// Keeps the interface thread busy, so that its next call lands at another point of the worker's progress.
void spin(int microseconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::microseconds(microseconds);
    while (std::chrono::steady_clock::now() < until) {
    }
}

// Every completion of every seek, and whether all of them ran on the interface thread.
struct Completions {
    std::map<int, std::vector<bool>> of;
    bool onInterfaceThread = true;
    AbstractMediaPlayer::SeekCompletion operator()(int seek) {
        return [this, seek](bool finished) {
            of[seek].push_back(finished);
            onInterfaceThread = onInterfaceThread && QThread::currentThread() == qApp->thread();
        };
    }
};

// What the sink got from `camera`'s frame 0 on, after the first `skipped` frames.
std::vector<FramePattern> fromFirstFrameOf(const test::SinkLog& log, int camera, size_t skipped) {
    auto frames = log.frames();
    return {std::find(frames.begin() + skipped, frames.end(), FramePattern{0, camera}), frames.end()};
}

class MediaPlayerThreadingTest : public test::PlayerTest {};

// The item removed or the player destroyed mid-seek: it reports unfinished once, and nothing of the old item
// follows.
TEST_F(MediaPlayerThreadingTest, StopDuringASeek) {
    for (int round = 0; round < 24; ++round) {
        SCOPED_TRACE(round);
        QVideoSink ownSink;
        test::SinkLog ownLog(ownSink);
        auto own = std::make_unique<MediaPlayer>();
        own->setVideoSink(&ownSink);
        ASSERT_EQ(open(*own, large), Status::readyToPlay);
        Completions completions;
        std::vector<Status> statuses;
        int ticks = 0;
        QObject::connect(own.get(), &AbstractMediaPlayer::itemStatusChanged,
                         [&](Status s) { statuses.push_back(s); });
        QObject::connect(own.get(), &AbstractMediaPlayer::periodicTime, [&](double) { ++ticks; });
        own->seek(35.5 / fps, 0, 0, completions(0));
        spin(round * 200);
        if (round % 3 == 2) {
            own.reset();
            continue;
        }
        own->replaceCurrentItem({});
        EXPECT_EQ(own->itemStatus(), Status::none);
        // Opening the next item tells when the worker is done with the old one.
        ASSERT_EQ(open(*own, back), Status::readyToPlay);
        EXPECT_EQ(completions.of, (std::map<int, std::vector<bool>>{{0, {false}}}));
        EXPECT_TRUE(completions.onInterfaceThread);
        EXPECT_EQ(statuses, (std::vector{Status::none, Status::loading, Status::readyToPlay}));
        EXPECT_EQ(ticks, 0) << "the old item's landing reported a time";
        EXPECT_EQ(fromFirstFrameOf(ownLog, backCamera, 0), (std::vector<FramePattern>{{0, backCamera}}));
    }
}

// A rate set while the next file loads plays it at that rate to its end, with no frame of the old file.
TEST_F(MediaPlayerThreadingTest, RateChangeDuringAFileSwitch) {
    int ends = 0;
    std::optional<float> rateWhenReady;
    QObject::connect(&player, &AbstractMediaPlayer::didPlayToEnd, [&] { ++ends; });
    QObject::connect(&player, &AbstractMediaPlayer::itemStatusChanged, [&](Status s) {
        if (s == Status::readyToPlay)
            rateWhenReady = player.rate();
    });
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        const bool toBack = round % 2 == 0;
        const float rate = round < 2 ? 2 : 4;
        ASSERT_EQ(open(player, toBack ? clip : back), Status::readyToPlay);
        player.playImmediately(1);
        const size_t playing = log.size();
        ASSERT_TRUE(test::waitUntil([&] { return log.size() > playing + 2; }));
        ends = 0;
        player.replaceCurrentItem(toBack ? back : clip);
        spin(round * 700);
        player.setRate(rate);
        EXPECT_EQ(player.rate(), rate);
        ASSERT_TRUE(test::waitUntil([&] { return ends > 0; }, 10000));
        EXPECT_EQ(ends, 1);
        EXPECT_EQ(rateWhenReady, rate);
        EXPECT_EQ(player.rate(), 0);
        auto frames = fromFirstFrameOf(log, toBack ? backCamera : frontCamera, playing);
        ASSERT_FALSE(frames.empty());
        // Paused at the end on a picture decoded for speed, the player may already show it again
        // decoded in full: the same frame, once more.
        if (frames.size() > 1 && frames.back().frameIndex == frames[frames.size() - 2].frameIndex)
            frames.pop_back();
        for (size_t i = 1; i < frames.size(); ++i) {
            EXPECT_EQ(frames[i].cameraIndex, frames[0].cameraIndex) << i;
            EXPECT_GT(frames[i].frameIndex, frames[i - 1].frameIndex) << i;
        }
        EXPECT_EQ(frames.back().frameIndex, lastFrame);
    }
}

// A rate set while an unreadable file loads ends with the failure: no clock keeps running.
TEST_F(MediaPlayerThreadingTest, RateSetWhileAFailingFileLoadsEndsWithTheFailure) {
    ASSERT_EQ(open(player, clip), Status::readyToPlay);
    player.playImmediately(1);
    player.replaceCurrentItem(broken);
    player.setRate(2);
    ASSERT_TRUE(test::waitUntil([&] { return player.itemStatus() == Status::failed; }));
    EXPECT_EQ(player.rate(), 0);
    int ticks = 0;
    bool later = false;
    QObject::connect(&player, &MediaPlayer::periodicTime, [&] { ++ticks; });
    // Due after two periods of the 1/30 s time signal, this timer fires after any of its ticks.
    QTimer::singleShot(2 * 1000 / 30 + 1, [&] { later = true; });
    ASSERT_TRUE(test::waitUntil([&] { return later; }));
    EXPECT_EQ(ticks, 0);
}

// Players destroyed opening, failing, decoding ahead, at 4×, seeking or stepping: no crash, hang or leak.
TEST_F(MediaPlayerThreadingTest, DestructionWhileDecoding) {
    for (int round = 0; round < 60; ++round) {
        SCOPED_TRACE(round);
        QVideoSink ownSink;
        auto own = std::make_unique<MediaPlayer>();
        own->setVideoSink(&ownSink);
        own->replaceCurrentItem(round % 5 == 4 ? broken : clip);
        spin(round % 7 * 300);
        auto settled = [&] { return own->itemStatus() != Status::loading; };
        if (round % 4 == 1) {
            own->playImmediately(4);
            ASSERT_TRUE(test::waitUntil([&] { return own->presentedFrames() > round % 6 || settled(); }));
        } else if (round % 4 == 2) {
            ASSERT_TRUE(test::waitUntil(settled));
            own->seek((round + 0.5) / fps, 0, 0, [](bool) {});
            spin(round * 50);
        } else if (round % 4 == 3) {
            ASSERT_TRUE(test::waitUntil(settled));
            own->stepFrames(round % 2 ? 5 : -3);
        }
        own.reset();
        QCoreApplication::processEvents();
    }
}

// Playing to the end at 2× and 4×: one end, on the last frame's end, every frame shown or dropped.
TEST_F(MediaPlayerThreadingTest, EndOfFileAtFourTimes) {
    ASSERT_EQ(open(player, clip), Status::readyToPlay);
    for (auto [start, rate] : {std::pair{0.0, 4.0f}, {1.0, 2.0f}, {1.9, 4.0f}}) {
        SCOPED_TRACE(start);
        ASSERT_TRUE(seekAndWait(start));
        int ends = 0;
        size_t shownAtEnd = 0;
        double timeAtEnd = -1, latestTick = 0;
        bool ticksInOrder = true;
        QObject context;
        QObject::connect(&player, &AbstractMediaPlayer::didPlayToEnd, &context, [&] {
            ++ends;
            shownAtEnd = log.size();
            timeAtEnd = player.currentTime();
        });
        QObject::connect(&player, &AbstractMediaPlayer::periodicTime, &context, [&](double t) {
            ticksInOrder = ticksInOrder && (ends > 0 || (t >= latestTick && t <= player.duration()));
            latestTick = ends > 0 ? latestTick : t;
        });
        const size_t before = log.size();
        const int64_t counted = player.presentedFrames() + player.droppedFrames();
        player.playImmediately(rate);
        ASSERT_TRUE(test::waitUntil([&] { return ends > 0; }));
        // Whatever the worker posted before a seek's completion arrives before it.
        seekAndWait(0.5, 0.5, 0.5);
        EXPECT_EQ(ends, 1);
        EXPECT_EQ(player.rate(), 0);
        EXPECT_NEAR(timeAtEnd, player.duration(), 1e-6);
        EXPECT_TRUE(ticksInOrder);
        EXPECT_GT(latestTick, start);
        EXPECT_GE(player.presentedFrames() + player.droppedFrames() - counted, lastFrame - int(start * fps));
        const auto frames = log.frames();
        ASSERT_EQ(frames.size(), shownAtEnd + 1) << "shown after the end";
        EXPECT_EQ(frames[shownAtEnd - 1].frameIndex, lastFrame);
        for (size_t i = before + 1; i < shownAtEnd; ++i)
            EXPECT_GT(frames[i].frameIndex, frames[i - 1].frameIndex) << i;
    }
}

// Seeks superseded or cancelled in flight complete once, unfinished, on the interface thread; the last lands.
TEST_F(MediaPlayerThreadingTest, SupersededSeeksFinishUnfinishedOnce) {
    ASSERT_EQ(open(player, large), Status::readyToPlay);
    Completions completions;
    std::map<int, bool> outstandingWhenSuperseded;
    const int seeks = 40;
    for (int seek = 0; seek < seeks; ++seek) {
        if (seek > 0)
            outstandingWhenSuperseded[seek - 1] = completions.of.count(seek - 1) == 0;
        player.seek((seek * 7 % 36 + 0.5) / fps, 0, 0, completions(seek));
        if (seek % 5 == 3) {
            player.cancelPendingSeeks();
            EXPECT_EQ(completions.of.count(seek), 0u) << "ran inside the call";
        }
        spin(seek % 4 * 3000);
        if (seek % 3 == 0)
            QCoreApplication::processEvents();
    }
    ASSERT_TRUE(test::waitUntil([&] { return completions.of.count(seeks - 1) > 0; }));
    EXPECT_EQ(completions.of[seeks - 1], std::vector<bool>{true});
    EXPECT_TRUE(completions.onInterfaceThread);
    EXPECT_EQ(log.last(), (seeks - 1) * 7 % 36);
    for (int seek = 0; seek + 1 < seeks; ++seek) {
        ASSERT_EQ(completions.of[seek].size(), 1u) << seek;
        if (outstandingWhenSuperseded[seek] || seek % 5 == 3) {
            EXPECT_FALSE(completions.of[seek][0]) << seek;
        }
    }
}

// A seek sent while the file opens (as a grid cell's) lands, and the file still reports ready.
TEST_F(MediaPlayerThreadingTest, ASeekWhileTheFileOpensLetsItReportReady) {
    for (int round = 0; round < 16; ++round) {
        SCOPED_TRACE(round);
        Completions completions;
        player.replaceCurrentItem(round % 2 ? large : clip);
        spin(round * 400);
        player.seek(20.5 / fps, 0, 0, completions(round));
        ASSERT_TRUE(test::waitUntil([&] { return player.itemStatus() == Status::readyToPlay; }));
        ASSERT_TRUE(test::waitUntil([&] { return completions.of.count(round) > 0; }));
        EXPECT_EQ(completions.of[round], std::vector<bool>{true});
    }
}

// Once setVideoSink(nullptr) returns, the old sink gets no frame, though playing goes on.
TEST_F(MediaPlayerThreadingTest, ADetachedSinkGetsNothingMore) {
    ASSERT_EQ(open(player, clip), Status::readyToPlay);
    for (int round = 0; round < 10; ++round) {
        player.playImmediately(4);
        const size_t playing = log.size();
        ASSERT_TRUE(test::waitUntil([&] { return log.size() > playing + size_t(round % 3); }));
        player.setVideoSink(nullptr);
        const size_t detached = log.size();
        const int64_t presented = player.presentedFrames();
        ASSERT_TRUE(
            test::waitUntil([&] { return player.presentedFrames() > presented + 2 || player.rate() == 0; }));
        EXPECT_EQ(log.size(), detached);
        player.setVideoSink(&sink);
        player.seek(0, 0, 0);
    }
}

} // namespace
