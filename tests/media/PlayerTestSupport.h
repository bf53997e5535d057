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

// Every frame a player hands `sink`, read back from its pattern (-1 when unreadable), in the
// order they arrive, and the latest one. Frames arrive on the player's presentation thread, which
// writes the sink's own videoFrame() meanwhile: tests read this log instead.
class SinkLog {
public:
    explicit SinkLog(QVideoSink& sink);
    ~SinkLog() { QObject::disconnect(connection_); }
    SinkLog(const SinkLog&) = delete;
    SinkLog& operator=(const SinkLog&) = delete;

    std::vector<sample::FramePattern> frames() const;
    size_t size() const;
    // Frame index of the latest arrival.
    std::optional<int> last() const;
    // The latest arrival's luma plane, row by row.
    QByteArray lastLuma() const;

private:
    QMetaObject::Connection connection_;
    mutable std::mutex mutex_;
    std::vector<sample::FramePattern> frames_;
    QVideoFrame latest_;
};

// The player suites: their clips and a player playing into a logged sink.
class PlayerTest : public SharedClipTest {
protected:
    static void SetUpTestSuite();
    PlayerTest() { player.setVideoSink(&sink); }

    // Opens `path` and waits until it is ready (its first frame is in the sink by then) or failed.
    static media::AbstractMediaPlayer::ItemStatus open(media::MediaPlayer& player, const QString& path);
    // Seeks and waits for the completion; returns whether it reported finished.
    bool seekAndWait(double time, double before = 0, double after = 0);

    static inline QString large;  // 640 × 480, 1 s: an exact seek decodes for a good while
    static inline QString back;   // the back camera, 2 s at 160 × 120
    static inline QString broken; // cut short: fails to open
    QVideoSink sink;
    SinkLog log{sink};
    media::MediaPlayer player;
};

} // namespace orvane::test
