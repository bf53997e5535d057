#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QVideoSink;

namespace orvane::media {

// The player the preview controllers drive: one item (a file) at a time, a rate-driven clock,
// seeks with completions, and notifications on the interface thread. MediaPlayer is the real
// one; tests use a scripted fake.
class AbstractMediaPlayer : public QObject {
    Q_OBJECT
public:
    enum class ItemStatus { none, loading, readyToPlay, failed };
    // Called once on the interface thread; false when the seek was superseded or cancelled. A
    // player destroyed first drops the completions still pending (they would call into callers
    // being torn down).
    using SeekCompletion = std::function<void(bool finished)>;

    using QObject::QObject;

    // Opens `path` asynchronously (itemStatusChanged follows); an empty path removes the item.
    virtual void replaceCurrentItem(const QString& path) = 0;
    virtual bool hasCurrentItem() const = 0;
    virtual ItemStatus itemStatus() const = 0;

    // Starts playing now at `rate` (> 0).
    virtual void playImmediately(float rate) = 0;
    virtual void pause() = 0;
    // 0 while paused.
    virtual float rate() const = 0;
    // A positive rate plays at that rate, 0 pauses.
    virtual void setRate(float rate) = 0;

    // Seconds from the item's first frame: paused or after a seek, the start of the shown
    // picture's display interval.
    virtual double currentTime() const = 0;
    // Zero tolerances land on the frame whose display interval contains `time`; otherwise any
    // frame within the window (preferably a key frame). A newer seek supersedes older ones.
    virtual void seek(double time, double toleranceBefore, double toleranceAfter,
                      SeekCompletion completion = {}) = 0;
    virtual void cancelPendingSeeks() = 0;

    virtual void setVideoSink(QVideoSink* sink) = 0;
    // The width in pixels its pictures are shown at, for players that reduce what they play to
    // it (0: as recorded).
    virtual void setShownWidth(int pixels) { Q_UNUSED(pixels); }

    // Why the item failed to open, or why its pictures stopped short, in the user's words;
    // empty otherwise.
    virtual QString problem() const { return {}; }
    // The item failed or its pictures stopped short because its file went away or reading it
    // was refused (the drive was pulled out), not because of what the file holds.
    virtual bool sourceGone() const { return false; }

signals:
    void itemStatusChanged(orvane::media::AbstractMediaPlayer::ItemStatus status);
    // With each picture shown while playing (at least every 1/30 s), and after seeks and pauses.
    void periodicTime(double itemTime);
    void didPlayToEnd();
    // The pictures ended before the item's length (the file is cut short or damaged, or the
    // drive went away): the player paused on the last one, which shows `itemTime`.
    void didStopShort(double itemTime);
};

} // namespace orvane::media
