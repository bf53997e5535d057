#pragma once

#include "AbstractMediaPlayer.h"
#include "HardwareDecoding.h"
#include "LatestRequest.h"

#include <QTimer>
#include <atomic>
#include <cstdint>
#include <map>
#include <memory>

namespace orvane::media {

// Plays one video file into a QVideoSink; the car records no sound, so only video is played.
// Lives on the interface thread. Each player owns a decode thread that keeps a few frames ahead
// of a presentation clock driven by the rate, and a presentation thread that hands each frame
// to the sink when it is due, dropping frames that are already late, so a slow decode never
// delays a frame that is ready. At 2× and above, when decoding cannot keep up, the player skips
// to the next key frame instead of showing pictures that lag the clock. A file that fails to
// open leaves no picture; one whose pictures end before its index says stops its clock on the
// last one (didStopShort), and so does one whose pictures stop coming (a read hanging on a
// drive pulled out) until they come again. Paused or sought, the time is the shown picture's.
class MediaPlayer : public AbstractMediaPlayer {
    Q_OBJECT
public:
    struct Options {
        // Two frame threads let one player use both cores; players side by side take one each.
        int decoderThreads = 2;
        // Threads for pictures over 1920 × 1080 when more than decoderThreads, so the big
        // camera of a grid keeps pace with the small ones.
        int largeFrameDecoderThreads = 0;
        // Cheaper, slightly blockier pictures while playing (skipped anyway at ≥ 2× and when
        // behind); a paused picture, a seek's or a step's is always decoded in full.
        bool skipLoopFilter = false;
        // Decoded frames that may wait at 1×: enough to ride out a slow one (a key frame, a busy
        // machine); each holds a whole picture.
        int queuedFrames = 6;
        // Playing pictures wider than twice the shown width are halved (by 2 × 2 averages) while
        // they stay at least that wide: a grid cell, or a big camera in a small window, holds,
        // copies and uploads far less. A paused picture is decoded again in full.
        bool reduceToShownWidth = false;
        // Nice levels the decoding threads run below the process, so drawing the window comes
        // first when decoders are many (a grid); 0 leaves them level.
        int decoderNiceness = 0;
        // The VA-API device to decode on when the machine offers it (else software, silently).
        QByteArray hardwareDevice = HardwareDecoding::defaultDevice;
    };

    explicit MediaPlayer(QObject* parent = nullptr);
    MediaPlayer(const Options& options, QObject* parent = nullptr);
    ~MediaPlayer() override;

    void replaceCurrentItem(const QString& path) override;
    bool hasCurrentItem() const override;
    ItemStatus itemStatus() const override;
    void playImmediately(float rate) override;
    void pause() override;
    float rate() const override;
    void setRate(float rate) override;
    double currentTime() const override;
    void seek(double time, double toleranceBefore, double toleranceAfter,
              SeekCompletion completion = {}) override;
    void cancelPendingSeeks() override;
    void setVideoSink(QVideoSink* sink) override;
    void setShownWidth(int pixels) override;
    QString problem() const override;
    bool sourceGone() const override;

    // Moves by whole frames from the shown one (negative: backwards); pauses first.
    void stepFrames(int count);
    // The item's container duration (0 until ready).
    double duration() const;

    // Frames shown and frames dropped for lateness since the item was opened.
    int64_t presentedFrames() const;
    int64_t droppedFrames() const;
    // Presentation time of the frame last handed to the sink.
    double presentedTime() const;
    // Decoded frames waiting to be shown.
    int framesWaiting() const;

private:
    struct Worker;
    void onOpened(uint64_t generation, bool ok, double duration, const QString& problem, bool gone);
    void onSeekDone(uint64_t generation, uint64_t id, double landed, bool stoppedShort, int readError,
                    bool gone);
    void onPresented(uint64_t generation);
    void onEnded(uint64_t generation, bool stoppedShort, int readError, bool gone);
    void onStepped(uint64_t generation, double time);
    void failPendingSeeks();

    std::shared_ptr<Worker> worker_;
    QTimer ticker_;
    QString path_;
    ItemStatus status_ = ItemStatus::none;
    float rate_ = 0;
    double duration_ = 0;
    // Each opened item is a request; what the threads report for an earlier one is dropped.
    LatestRequest opens_;
    uint64_t nextSeekId_ = 0;
    QString problem_;
    bool sourceGone_ = false;
    std::map<uint64_t, SeekCompletion> pendingSeeks_;
};

} // namespace orvane::media
