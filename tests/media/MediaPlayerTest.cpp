// The grid cells' decoder options also play in the preview's fault screen test.

#include "PlayerTestSupport.h"
#include "VideoDecoder.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QVideoSink>
#include <functional>
#include <gtest/gtest.h>
#include <map>

using namespace orvane;
using namespace orvane::media;

namespace {

class MediaPlayerTest : public test::PlayerTest {};

// A file that cannot open takes the picture away and says why; its seeks finish unfinished.
TEST_F(MediaPlayerTest, AFileThatCannotOpenTakesThePictureAwayAndItsSeeksDoNotFinish) {
    for (const QString& path : {broken, *folder / "none.mp4"}) {
        SCOPED_TRACE(path.toStdString());
        ASSERT_EQ(open(player, clip), Status::readyToPlay);
        ASSERT_EQ(log.last(), 0);
        player.replaceCurrentItem(path);
        std::optional<bool> finished;
        player.seek(0.5, 0, 0, [&](bool f) { finished = f; });
        ASSERT_TRUE(test::waitUntil([&] { return player.itemStatus() != Status::loading; }));
        EXPECT_EQ(player.itemStatus(), Status::failed);
        EXPECT_EQ(finished, false);
        EXPECT_TRUE(test::waitUntil([&] { return log.last() == -1; })) << "the previous picture stayed";
        EXPECT_FALSE(seekAndWait(0.1));
        player.playImmediately(1);
        EXPECT_EQ(player.rate(), 0);
    }
    QVideoSink later;
    player.setVideoSink(&later);
    EXPECT_FALSE(later.videoFrame().isValid());
}

// Length and size once open; seeks on a frame's start, inside it, just before its end, across key
// frame 36: the frame whose interval holds the time, and its start as the time.
TEST_F(MediaPlayerTest, ExactSeeksShowTheExactFrame) {
    ASSERT_EQ(open(player, clip), Status::readyToPlay);
    EXPECT_NEAR(player.duration(), 2.0, 0.03);
    EXPECT_EQ(sink.videoFrame().size(), QSize(320, 240));
    for (int frame : {36, 35, 0, 71, 50, 1})
        for (double within : {0.0, 0.2, 0.95}) {
            const double time = (frame + within) / fps;
            ASSERT_TRUE(seekAndWait(time));
            EXPECT_EQ(log.last(), frame) << time;
            EXPECT_NEAR(player.currentTime(), frame / fps, 1e-6);
        }
}

// An exact seek into the picture a file opened on (as a grid's cells do) plays on from the next frame,
// sought while the frames after it are being decoded and once they wait decoded.
TEST_F(MediaPlayerTest, ASeekIntoTheOpeningPicturePlaysOnFromTheNextFrame) {
    constexpr float slowRate = 0.25f; // a loaded machine drops no frame at this pace
    for (const bool decodedAhead : {false, true}) {
        ASSERT_EQ(open(player, clip), Status::readyToPlay);
        const int queueLimit = MediaPlayer::Options{}.queuedFrames;
        ASSERT_TRUE(test::waitUntil([&] { return !decodedAhead || player.framesWaiting() == queueLimit; }));
        ASSERT_TRUE(seekAndWait(0.5 / fps));
        const size_t before = log.size();
        player.playImmediately(slowRate);
        ASSERT_TRUE(test::waitUntil([&] { return log.last() >= 3; }));
        player.pause();
        std::vector<int> played;
        for (size_t i = before; i < log.frames().size(); ++i)
            played.push_back(log.frames()[i].frameIndex);
        ASSERT_GE(played.size(), 3u);
        EXPECT_EQ(std::vector<int>(played.begin(), played.begin() + 3), (std::vector<int>{1, 2, 3}))
            << decodedAhead;
    }
}

// At 30 frames a second and unevenly: no frame skipped or shown twice, across the key frame at 30.
TEST_F(MediaPlayerTest, EveryStepShowsTheNextOrPreviousFrame) {
    for (const bool uneven : {false, true}) {
        const sample::ClipSpec spec{.path = *folder / (uneven ? "step-uneven.mp4" : "step-thirty.mp4"),
                                    .framesPerSecond = 30,
                                    .seconds = 2,
                                    .unevenTiming = uneven};
        ASSERT_EQ(open(player, test::writeClip(spec)), Status::readyToPlay);
        ASSERT_TRUE(seekAndWait(sample::frameTime(spec, 28)));
        for (const auto& [count, frame] : {std::pair{1, 29}, {1, 30}, {1, 31}, {-1, 30}, {-2, 28}, {3, 31}}) {
            player.stepFrames(count);
            EXPECT_TRUE(test::waitUntil([&] { return log.last() == frame; }))
                << "uneven " << uneven << " step " << count << " showed " << log.last().value_or(-1);
            EXPECT_NEAR(player.currentTime(), sample::frameTime(spec, frame), 1e-4);
        }
    }
}

// What is drawn beside the picture (the dashboard) reads the time: it follows every picture, not
// only the 30 Hz tick, and pausing holds it.
TEST_F(MediaPlayerTest, TheTimeFollowsEveryPictureAndPauseHoldsIt) {
    ASSERT_EQ(open(player, clip), Status::readyToPlay);
    int published = 0;
    QObject::connect(&player, &AbstractMediaPlayer::periodicTime, [&] { ++published; });
    const size_t before = log.size();
    player.playImmediately(1);
    ASSERT_TRUE(test::waitUntil([&] { return player.currentTime() > 1.5; }));
    const int shown = int(log.size() - before);
    QCoreApplication::processEvents();
    EXPECT_GE(published, shown - 1) << "the last picture's notice may still be on its way";
    player.pause();
    const double held = player.currentTime();
    const size_t atPause = log.size();
    const int publishedAtPause = published;
    QCoreApplication::processEvents();
    EXPECT_EQ(player.currentTime(), held);
    // A seek's picture comes after any picture still on its way, and its notice after theirs.
    ASSERT_TRUE(seekAndWait(0));
    EXPECT_LE(log.size() - atPause, 2u) << "at most the picture on its way when paused";
    EXPECT_NEAR(log.frames()[log.size() - 2].frameIndex / fps, held, 2 / fps);
    EXPECT_EQ(published, publishedAtPause + 1) << "only the seek's";
}

// Pictures ending before the index says: playing or seeking into the gap stops on the last picture.
TEST_F(MediaPlayerTest, PicturesEndingEarlyStopTheClockOnTheLastOne) {
    const QString cut = test::writeClip(
        {.path = *folder / "cut-short.mp4", .seconds = 2, .damage = sample::Damage::cutShort});
    for (const bool byPlaying : {true, false}) {
        SCOPED_TRACE(byPlaying ? "playing" : "seeking");
        ASSERT_EQ(open(player, cut), Status::readyToPlay);
        std::optional<double> stoppedAt;
        bool ended = false;
        QObject context;
        QObject::connect(&player, &AbstractMediaPlayer::didStopShort, &context,
                         [&](double t) { stoppedAt = t; });
        QObject::connect(&player, &AbstractMediaPlayer::didPlayToEnd, &context, [&] { ended = true; });
        if (byPlaying)
            player.playImmediately(4);
        else
            EXPECT_TRUE(seekAndWait(player.duration() - 0.1));
        ASSERT_TRUE(test::waitUntil([&] { return stoppedAt.has_value(); }));
        EXPECT_FALSE(ended);
        EXPECT_EQ(player.rate(), 0);
        ASSERT_TRUE(log.last());
        const double lastPicture = *log.last() / fps;
        EXPECT_LT(lastPicture, player.duration() - 0.5) << "not cut short";
        EXPECT_NEAR(player.currentTime(), lastPicture, 1e-6);
        EXPECT_NEAR(*stoppedAt, lastPicture, 1e-6);
        EXPECT_EQ(player.problem(), "文件不完整或已损坏");
    }
}

// A read that hangs (a drive pulled out answers only after its time-out) holds the time on the last
// picture instead of running on without pictures; the refused read then stops it there, saying the
// drive went away. The test runs itself again with such reads preloaded.
TEST_F(MediaPlayerTest, AReadHangingOnAPulledDriveHoldsTheTimeOnTheLastPicture) {
    const QString hanging = qEnvironmentVariable("ORVANE_FAIL_READS_OF");
    if (hanging.isEmpty()) {
        const QString path =
            test::writeClip({.path = *folder / "pulled.mp4", .width = 320, .height = 240, .seconds = 6});
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LD_PRELOAD", ORVANE_FAILING_READS_PATH);
        environment.insert("ASAN_OPTIONS", "verify_asan_link_order=0");
        environment.insert("ORVANE_FAIL_READS_OF", path);
        environment.insert("ORVANE_FAIL_READS_AFTER", QString::number(QFile(path).size() / 2));
        environment.insert("ORVANE_STALL_READS_MS", "3000");
        QProcess child;
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::MergedChannels);
        child.start(
            QCoreApplication::applicationFilePath(),
            {"--gtest_filter=MediaPlayerTest.AReadHangingOnAPulledDriveHoldsTheTimeOnTheLastPicture"});
        ASSERT_TRUE(child.waitForFinished(60000));
        EXPECT_EQ(child.exitCode(), 0) << child.readAll().toStdString();
        return;
    }
    ASSERT_EQ(open(player, hanging), Status::readyToPlay);
    double latest = 0;
    std::optional<double> stoppedAt;
    QObject context;
    QObject::connect(&player, &AbstractMediaPlayer::periodicTime, &context,
                     [&](double t) { latest = std::max(latest, t); });
    QObject::connect(&player, &AbstractMediaPlayer::didStopShort, &context, [&](double t) { stoppedAt = t; });
    player.playImmediately(1);
    ASSERT_TRUE(test::waitUntil([&] { return stoppedAt.has_value(); }, 20000));
    const double lastPicture = *log.last() / fps;
    EXPECT_LT(lastPicture, 4) << "the reads did not hang";
    EXPECT_NEAR(*stoppedAt, lastPicture, 1e-6);
    EXPECT_NEAR(player.currentTime(), lastPicture, 1e-6);
    EXPECT_LT(latest, lastPicture + 1.5) << "the time ran on without pictures";
    EXPECT_TRUE(player.sourceGone());
    EXPECT_TRUE(player.problem().contains(qt_error_string(EIO))) << player.problem().toStdString();
}

// A cell skipping the deblocking filter when playing shows full-quality pictures paused, seeked, stepped.
TEST_F(MediaPlayerTest, PicturesLeftOnScreenAreFullQualityWhenPlayingSkipsTheLoopFilter) {
    // The sample clips are made without the deblocking filter; the car's footage uses it.
    const QString blocky = *folder / "deblocked.mp4";
    if (!test::runProgram("ffmpeg", {"-v", "error", "-y", "-i", large, "-c:v", "libx264", "-preset",
                                     "veryfast", "-crf", "26", "-bf", "0", "-g", "36", blocky}))
        GTEST_SKIP() << "ffmpeg is not available";
    VideoDecoder full(blocky),
        reduced(blocky, {.threadCount = 1, .skipLoopFilter = true, .hardwareDevice = {}});
    ASSERT_TRUE(full.seekExact(10 / fps) && reduced.seekExact(10 / fps));
    ASSERT_NE(full.toImage(), reduced.toImage()) << "without the filter the clip's pictures must differ";

    ASSERT_EQ(open(player, blocky), Status::readyToPlay);
    std::map<int, QByteArray> exact;
    const auto fullQuality = [&](int index) {
        if (!exact.count(index) && seekAndWait((index + 0.5) / fps) && log.last() == index)
            exact[index] = log.lastLuma();
        return exact[index];
    };
    // A missing hardware device falls back to software decoding.
    MediaPlayer cell(
        {.decoderThreads = 1, .skipLoopFilter = true, .hardwareDevice = "/nonexistent/renderD128"});
    QVideoSink cellSink;
    test::SinkLog cellLog(cellSink);
    cell.setVideoSink(&cellSink);
    ASSERT_EQ(open(cell, blocky), Status::readyToPlay);
    EXPECT_EQ(HardwareDecoding::lastPreviewPath(), HardwareDecoding::Path::software);
    const std::vector<std::pair<const char*, std::function<void()>>> actions{
        {"paused while playing",
         [&] {
             cell.playImmediately(1);
             test::waitUntil([&] { return cellLog.last() >= 12; });
             cell.pause();
         }},
        {"exact seek", [&] { cell.seek(20.5 / fps, 0, 0); }},
        {"step", [&] { cell.stepFrames(3); }},
    };
    for (const auto& [name, act] : actions) {
        act();
        EXPECT_TRUE(test::waitUntil([&] {
            const auto index = cellLog.last();
            return index && *index > 0 && cellLog.lastLuma() == fullQuality(*index);
        })) << name;
    }
}

} // namespace
