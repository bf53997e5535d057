#pragma once

#include "FramePattern.h"
#include "MediaPlayer.h"
#include "MediaTestClips.h"

#include <QVideoFrame>
#include <QVideoSink>
#include <mutex>
#include <optional>
#include <vector>

namespace orvane::test {

// Every frame's pattern (-1 unreadable) a player hands `sink`, logged on the presentation thread.
class SinkLog {
public:
    explicit SinkLog(QVideoSink& sink) {
        // No context object: the slot runs on the thread that delivers the frame.
        connection_ = QObject::connect(&sink, &QVideoSink::videoFrameChanged, [this](QVideoFrame frame) {
            std::optional<sample::FramePattern> pattern;
            if (frame.isValid() && frame.map(QVideoFrame::ReadOnly)) {
                pattern = sample::FramePattern::read(frame.bits(0), frame.bytesPerLine(0), frame.width(),
                                                     frame.height());
                frame.unmap();
            }
            std::lock_guard lock(mutex_);
            frames_.push_back(pattern.value_or(sample::FramePattern{-1, -1}));
            latest_ = frame;
        });
    }
    ~SinkLog() { QObject::disconnect(connection_); }
    SinkLog(const SinkLog&) = delete;
    SinkLog& operator=(const SinkLog&) = delete;

    std::vector<sample::FramePattern> frames() const {
        std::lock_guard lock(mutex_);
        return frames_;
    }
    size_t size() const {
        std::lock_guard lock(mutex_);
        return frames_.size();
    }
    // Frame index of the latest arrival.
    std::optional<int> last() const {
        std::lock_guard lock(mutex_);
        return frames_.empty() ? std::nullopt : std::optional(frames_.back().frameIndex);
    }
    // The latest arrival's luma plane, row by row.
    QByteArray lastLuma() const {
        QVideoFrame frame;
        {
            std::lock_guard lock(mutex_);
            frame = latest_;
        }
        QByteArray out;
        if (!frame.map(QVideoFrame::ReadOnly))
            return out;
        for (int y = 0; y < frame.height(); ++y)
            out.append(reinterpret_cast<const char*>(frame.bits(0)) + qsizetype(y) * frame.bytesPerLine(0),
                       frame.width());
        frame.unmap();
        return out;
    }

private:
    QMetaObject::Connection connection_;
    mutable std::mutex mutex_;
    std::vector<sample::FramePattern> frames_;
    QVideoFrame latest_;
};

// The player suites: their clips and a player playing into a logged sink.
class PlayerTest : public SharedClipTest {
protected:
    using Status = media::AbstractMediaPlayer::ItemStatus;

    static void SetUpTestSuite() {
        SharedClipTest::SetUpTestSuite();
        large = writeClip({.path = *folder / "large.mp4", .width = 640, .height = 480});
        back = writeClip({.path = *folder / "back.mp4", .camera = CameraAngle::back, .seconds = 2});
        broken = writeClip(
            {.path = *folder / "cut.mp4", .width = 64, .height = 48, .damage = sample::Damage::truncated});
    }
    PlayerTest() { player.setVideoSink(&sink); }

    // Opens `path` and waits until it is ready (its first frame is in the sink by then) or failed.
    static Status open(media::MediaPlayer& player, const QString& path) {
        player.replaceCurrentItem(path);
        EXPECT_TRUE(waitUntil([&] { return player.itemStatus() != Status::loading; })) << path.toStdString();
        return player.itemStatus();
    }
    // Seeks and waits for the completion; returns whether it reported finished.
    bool seekAndWait(double time, double before = 0, double after = 0) {
        std::optional<bool> finished;
        player.seek(time, before, after, [&](bool f) { finished = f; });
        EXPECT_TRUE(waitUntil([&] { return finished.has_value(); })) << time;
        return finished.value_or(false);
    }

    static inline QString large;  // 640 × 480, 1 s: an exact seek decodes for a good while
    static inline QString back;   // the back camera, 2 s at 160 × 120
    static inline QString broken; // cut short: fails to open
    QVideoSink sink;
    SinkLog log{sink};
    media::MediaPlayer player;
};

} // namespace orvane::test
