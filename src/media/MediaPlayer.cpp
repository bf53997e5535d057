#include "MediaPlayer.h"

#include "MediaError.h"
#include "MediaProbe.h"
#include "PictureReduction.h"
#include "RegularFile.h"
#include "VideoDecoder.h"
#include "VideoDecoderInternal.h"

#include <QMetaMethod>
#include <QPointer>
#include <QVideoFrame>
#include <QVideoSink>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace orvane::media {

namespace {

using SteadyClock = std::chrono::steady_clock;

// periodicTime's pace while playing: about a display frame.
constexpr int periodicTimeMilliseconds = 1000 / 30;

double secondsNow() {
    return std::chrono::duration<double>(SteadyClock::now().time_since_epoch()).count();
}

// Lowers the calling thread's scheduling priority by `niceness` levels; threads it starts later
// (the decoder's own) inherit it. Best effort: refused, the thread stays as it was.
void lowerThisThread(int niceness) {
    if (niceness <= 0)
        return;
    const pid_t thread = gettid();
    errno = 0;
    const int current = getpriority(PRIO_PROCESS, id_t(thread));
    if (errno == 0)
        setpriority(PRIO_PROCESS, id_t(thread), current + niceness);
}

bool isFullRange(const AVFrame* f) {
    return f->color_range == AVCOL_RANGE_JPEG || f->format == AV_PIX_FMT_YUVJ420P;
}

// Copies the planes of a 4:2:0 picture (three planes, or NV12's two) row by row.
void copyPlanes(const AVFrame* f, QVideoFrame& frame, int w, int h) {
    const bool nv12 = f->format == AV_PIX_FMT_NV12;
    for (int plane = 0; plane < (nv12 ? 2 : 3); ++plane) {
        const int rows = plane == 0 ? h : h / 2;
        const int bytes = plane == 0 || nv12 ? w : w / 2;
        uint8_t* dst = frame.bits(plane);
        const int dstStride = frame.bytesPerLine(plane);
        for (int y = 0; y < rows; ++y)
            std::memcpy(dst + size_t(y) * dstStride, f->data[plane] + size_t(y) * f->linesize[plane],
                        size_t(bytes));
    }
}

// Copies a decoded picture into a 4:2:0 video frame (even size, colour range and matrix
// carried over): YUV 4:2:0 planes, or NV12 as a hardware decoder hands it over. Other pixel
// formats go through swscale.
QVideoFrame toVideoFrame(const AVFrame* f, SwsContext*& sws) {
    const int w = f->width & ~1, h = f->height & ~1;
    if (w <= 0 || h <= 0)
        return {};
    const bool nv12 = f->format == AV_PIX_FMT_NV12;
    QVideoFrameFormat format(QSize(w, h),
                             nv12 ? QVideoFrameFormat::Format_NV12 : QVideoFrameFormat::Format_YUV420P);
    format.setColorRange(isFullRange(f) ? QVideoFrameFormat::ColorRange_Full
                                        : QVideoFrameFormat::ColorRange_Video);
    format.setColorSpace(f->colorspace == AVCOL_SPC_BT709 ? QVideoFrameFormat::ColorSpace_BT709
                                                          : QVideoFrameFormat::ColorSpace_BT601);
    QVideoFrame frame(format);
    if (!frame.map(QVideoFrame::WriteOnly))
        return {};
    if (nv12 || f->format == AV_PIX_FMT_YUV420P || f->format == AV_PIX_FMT_YUVJ420P) {
        copyPlanes(f, frame, w, h);
    } else {
        sws = sws_getCachedContext(sws, f->width, f->height, AVPixelFormat(f->format), w, h,
                                   AV_PIX_FMT_YUV420P, SWS_BILINEAR, nullptr, nullptr, nullptr);
        if (sws) {
            uint8_t* dst[4] = {frame.bits(0), frame.bits(1), frame.bits(2), nullptr};
            int strides[4] = {frame.bytesPerLine(0), frame.bytesPerLine(1), frame.bytesPerLine(2), 0};
            sws_scale(sws, f->data, f->linesize, 0, f->height, dst, strides);
        }
    }
    frame.unmap();
    return frame;
}

} // namespace

struct MediaPlayer::Worker {
    struct SeekRequest {
        uint64_t id;
        double time, before, after;
    };
    struct Queued {
        ff::Frame frame; // null for an immediate entry without a picture
        double time = 0;
        double due = 0;                   // item time to show it at: its own, or earlier after a jump
        bool immediate = false;           // shown at once, whatever the clock (seek, step, open)
        bool clear = false;               // an immediate entry that takes the picture away
        bool exact = true;                // decoded at full quality
        std::function<void()> afterShown; // posted once the picture is in the sink
    };

    // Shared by the interface, decode and presentation threads, under `mutex`.
    std::mutex mutex;
    std::condition_variable wake; // both worker threads wait on it; every change notifies all
    bool quit = false;
    bool reopen = false;
    QString openPath;
    uint64_t generation = 0;
    std::optional<SeekRequest> seek;
    int step = 0;
    bool playing = false;
    bool seeking = false;
    double rate = 1;
    double anchorWall = 0; // clock: item time anchorMedia at wall time anchorWall
    double anchorMedia = 0;
    std::deque<Queued> queue; // decoded frames in time order, filled by decode, emptied by presentation
    bool ended = false;       // the decoder has no more frames
    int endReadError = 0;     // the refused read that ended them, if one did
    double itemDuration = 0;  // as the item's index says
    double frameDuration = assumedFrameDuration;
    double shownTime = 0;   // time of the picture on screen once the queued immediate entries are shown
    bool shownExact = true; // … and whether it is the full-quality picture
    // No picture has come for stallSeconds while playing (a read hangs on a drive pulled out):
    // the clock waits on the last picture instead of running on without pictures.
    bool stalled = false;
    double lastArrivalWall = 0; // when the decoder last handed a picture over, or playing began

    std::mutex sinkMutex;
    QPointer<QVideoSink> sink;
    // The picture shown last, for a sink attached while paused (a view made anew).
    QVideoFrame lastFrame;

    std::atomic<int64_t> presented{0};
    std::atomic<int64_t> dropped{0};
    std::atomic<double> presentedTime{0};
    std::atomic<int> shownWidth{0}; // set by the interface thread, read by the decode thread

    MediaPlayer* owner = nullptr;
    Options options;
    std::thread decodeThread;
    std::thread presentThread;

    // The decode thread's own state.
    std::unique_ptr<VideoDecoder> decoder;
    bool loopFilterSkipped = false;
    bool degraded = false;           // a frame since the last exact decode was made without the loop filter
    double frameSeconds = 0;         // running wall time of decoding a frame that follows another
    double keyFrameSeconds = 0;      // … and of decoding a key frame (at open, after a jump, in turn)
    double keyFrameInterval = 1;     // seconds between the file's key frames, as its index says
    double unreachableKeyFrame = -1; // a key frame a jump failed to decode
    // The presentation thread's own state.
    SwsContext* sws = nullptr;

    ~Worker() { sws_freeContext(sws); }

    double clockLocked(double now) const {
        if (!playing || seeking || stalled)
            return anchorMedia;
        return anchorMedia + (now - anchorWall) * rate;
    }

    // A decoded picture joined the queue: a stalled clock starts again from it.
    void noteArrivalLocked(double time) {
        lastArrivalWall = secondsNow();
        if (stalled) {
            stalled = false;
            anchorMedia = time;
            anchorWall = lastArrivalWall;
        }
    }

    // The pictures stopped because the file went away or its reads were refused (a drive pulled
    // out), rather than because its data ends. Called with `mutex` held, rarely.
    bool sourceGoneLocked(int readError) const {
        return systemErrorOf(readError) != 0 || !RegularFile::identify(openPath);
    }

    template <typename F> void post(F&& f) {
        QMetaObject::invokeMethod(owner, std::forward<F>(f), Qt::QueuedConnection);
    }

    // A picture for playing and whether it is the full-quality one.
    struct Picture {
        ff::Frame frame;
        bool exact = false;
        explicit operator bool() const { return bool(frame); }
    };

    Queued queued(Picture picture, double time) const {
        Queued q;
        q.frame = std::move(picture.frame);
        q.time = time;
        q.due = time;
        q.exact = picture.exact;
        return q;
    }

    // The decoder's picture for playing: reduced to the width shown when the player does that.
    // A reduced picture is not exact: what stays on screen paused is decoded again in full.
    Picture playingPicture() const {
        Picture picture{refFrame(*decoder), !degraded};
        const int width = shownWidth.load(std::memory_order_relaxed);
        if (picture && options.reduceToShownWidth && width > 0)
            if (ff::Frame reduced = reducedForWidth(*picture.frame, width)) {
                picture.frame = std::move(reduced);
                picture.exact = false;
            }
        return picture;
    }

    static ff::Frame refFrame(const VideoDecoder& d) {
        const AVFrame* f = VideoDecoderAccess::frame(d);
        if (!f)
            return {};
        ff::Frame copy = ff::makeFrame();
        av_frame_ref(copy.get(), f);
        return copy;
    }

    // Empties the queue. A report that was to follow a dropped picture (the file opened, a
    // seek landed) is still sent, or its caller would wait for ever.
    void clearQueueLocked() {
        for (Queued& q : queue)
            if (q.afterShown)
                q.afterShown();
        queue.clear();
    }

    // Replaces everything queued by the decoder's current frame, shown at once; `after` runs
    // on the interface thread once it is in the sink. Called with `mutex` held.
    void showNowLocked(std::function<void()> after) {
        clearQueueLocked();
        Queued q;
        q.frame = refFrame(*decoder);
        q.time = decoder->frameTime();
        q.immediate = true;
        q.exact = !degraded;
        q.afterShown = std::move(after);
        if (q.frame) {
            shownTime = q.time;
            shownExact = q.exact;
        }
        queue.push_back(std::move(q));
        wake.notify_all();
    }

    // Presentation thread only: a sink takes its frames from one thread.
    void present(const AVFrame* f, double time) {
        QVideoFrame frame = toVideoFrame(f, sws);
        frame.setStartTime(qint64(time * 1e6));
        {
            std::lock_guard lock(sinkMutex);
            lastFrame = frame;
            if (sink)
                sink->setVideoFrame(frame);
        }
        presentedTime = time;
        ++presented;
    }

    // Presentation thread only.
    void presentNothing() {
        std::lock_guard lock(sinkMutex);
        lastFrame = {};
        if (sink)
            sink->setVideoFrame(QVideoFrame());
    }

    // Skipping the deblocking filter makes decoding markedly cheaper at a small cost in
    // picture quality: worth it when frames pass too quickly to see, or to catch up.
    // Pictures made so are for playing only: what stays on screen paused is decoded again in full.
    void adaptLoopFilter(bool behind, double currentRate) {
        setLoopFilterSkipped(options.skipLoopFilter || currentRate >= 2 || behind);
    }
    void setLoopFilterSkipped(bool skip) {
        degraded = degraded || skip;
        if (skip != loopFilterSkipped) {
            loopFilterSkipped = skip;
            VideoDecoderAccess::codec(*decoder)->skip_loop_filter = skip ? AVDISCARD_ALL : AVDISCARD_DEFAULT;
        }
    }
    // Before an exact seek, a step or a refinement: every frame from the key frame on is decoded
    // in full (the decoder restarts there, so nothing skipped earlier leaks in).
    void useFullQuality() {
        setLoopFilterSkipped(false);
        degraded = false;
    }

    using Lock = std::unique_lock<std::mutex>;

    // The decode thread: one request at a time (open, seek, step), else the next frame, until
    // told to quit. Every step is entered and left with `mutex` held.
    void runDecode() {
        lowerThisThread(options.decoderNiceness);
        Lock lock(mutex);
        while (!quit) {
            if (reopen) {
                openItem(lock);
            } else if (!decoder) {
                seek.reset(); // the interface thread fails them when the item fails
                step = 0;
                wake.wait(lock);
            } else if (seek) {
                performSeek(lock);
            } else if (step != 0) {
                performStep(lock);
            } else if (!playing && !seeking && !shownExact && !hasImmediateLocked()) {
                refineShown(lock);
            } else if (seeking || ended || queue.size() >= queueLimitLocked()) {
                // Decodes ahead while paused too, so playing starts from a full queue (and the
                // cells of a grid start together).
                wake.wait(lock);
            } else {
                decodeAhead(lock);
            }
        }
    }

    // Thread count for a file: the big camera of a grid may get more than the others.
    int decoderThreadsFor(const QString& path) const {
        int threads = options.decoderThreads;
        if (options.largeFrameDecoderThreads > threads) {
            const MediaInfo header = MediaProbe::probe(path);
            if (int64_t(header.width) * header.height > largeFramePixels)
                threads = options.largeFrameDecoderThreads;
        }
        return threads;
    }

    void openItem(Lock& lock) {
        reopen = false;
        const QString path = openPath;
        const uint64_t gen = generation;
        clearQueueLocked();
        ended = false;
        lock.unlock();
        decoder.reset();
        loopFilterSkipped = false;
        presented = 0;
        dropped = 0;
        bool ok = false, gone = false;
        double duration = 0, frameLength = assumedFrameDuration;
        QString problem;
        if (!path.isEmpty()) {
            try {
                decoder = std::make_unique<VideoDecoder>(
                    path, VideoDecoderOptions{decoderThreadsFor(path), false, options.hardwareDevice});
                HardwareDecoding::notePreviewPath(decoder->usesHardware() ? HardwareDecoding::Path::vaapi
                                                                          : HardwareDecoding::Path::software);
                degraded = false;
                frameLength = decoder->info().frameDuration;
                duration = decoder->info().duration;
                const double started = secondsNow();
                ok = decoder->next();
                keyFrameSeconds = secondsNow() - started;
                frameSeconds = 0;
            } catch (const UnreadableMediaError& e) {
                problem = e.reason();
            } catch (const std::exception&) {
                ok = false;
            }
            if (!ok && problem.isEmpty())
                problem = readFailureText(decoder ? decoder->readError() : 0);
            if (!ok)
                gone = systemErrorOf(decoder ? decoder->readError() : 0) != 0 || !RegularFile::identify(path);
            if (!ok)
                decoder.reset();
        }
        lock.lock();
        frameDuration = frameLength;
        itemDuration = duration;
        stalled = false;
        auto opened = [o = owner, gen, ok, duration, problem, gone] {
            o->onOpened(gen, ok, duration, problem, gone);
        };
        if (ok && !reopen) {
            showNowLocked([this, opened] { post(opened); });
            return;
        }
        if (!reopen)
            clearPictureLocked(); // nothing of the previous item may stay on screen
        if (!path.isEmpty())
            post(opened);
    }

    // Takes the picture off the sink, after whatever is queued to be shown at once.
    void clearPictureLocked() {
        clearQueueLocked();
        Queued q;
        q.immediate = true;
        q.clear = true;
        queue.push_back(std::move(q));
        wake.notify_all();
    }

    // An exact seek whose key frame is lost (a file cut short) lands on the last picture
    // before it rather than leaving the previous one on screen under the new time.
    bool seekExactOrEarlier(double time) {
        bool ok = decoder->seekExact(time);
        const double stepBack = std::max(keyFrameInterval, assumedFrameDuration);
        for (double t = time - stepBack; !ok && t > -stepBack; t -= stepBack)
            ok = decoder->seekExact(std::max(0.0, t));
        return ok;
    }

    // An exact seek into the picture on screen while the frames after it wait in order (as
    // after opening, when a grid's cells are all sought to where they opened): the decoder
    // already stands there, so nothing is decoded again.
    bool landsOnShownLocked(const SeekRequest& request) const {
        const bool exact = request.before <= 0 && request.after <= 0;
        const double next = queue.empty() ? shownTime + frameDuration : queue.front().time;
        return exact && shownExact && !hasImmediateLocked() && request.time >= shownTime &&
               request.time < next;
    }

    void performSeek(Lock& lock) {
        const uint64_t gen = generation;
        const SeekRequest request = *seek;
        seek.reset();
        if (landsOnShownLocked(request)) {
            // The time is the shown picture's own, as for every seek.
            anchorMedia = shownTime;
            anchorWall = secondsNow();
            lastArrivalWall = anchorWall;
            seeking = false;
            post([o = owner, gen, id = request.id, landed = shownTime] {
                o->onSeekDone(gen, id, landed, false, 0, false);
            });
            wake.notify_all();
            return;
        }
        clearQueueLocked();
        lock.unlock();
        useFullQuality();
        const bool exact = request.before <= 0 && request.after <= 0;
        const bool ok = exact ? seekExactOrEarlier(request.time)
                              : decoder->seekTolerant(request.time, request.before, request.after);
        const double landed = ok ? decoder->frameTime() : request.time;
        const int readError = decoder->readError();
        lock.lock();
        ended = false;
        // The pictures ended before the time asked for: the clock stands on the last one.
        const bool stoppedShort =
            exact && ok && request.time >= landed + frameDuration &&
            (readError || endsEarly(itemDuration, landed + frameDuration, frameDuration));
        if (!seek && !reopen) {
            // The time reported is that of the picture landed on (the start of its display
            // interval), so what is shown beside it (the time, the record) belongs to it.
            anchorMedia = ok ? landed : std::max(0.0, request.time);
            anchorWall = secondsNow();
            lastArrivalWall = anchorWall;
            seeking = false;
        }
        const bool gone = stoppedShort && sourceGoneLocked(readError);
        auto done = [o = owner, gen, id = request.id, landed, stoppedShort, readError, gone] {
            o->onSeekDone(gen, id, landed, stoppedShort, readError, gone);
        };
        if (ok)
            showNowLocked([this, done] { post(done); });
        else
            post(done);
    }

    void performStep(Lock& lock) {
        const uint64_t gen = generation;
        const int count = step;
        step = 0;
        const double from = shownTime;
        clearQueueLocked();
        lock.unlock();
        useFullQuality();
        const bool ok = stepFrom(from, count);
        const double time = decoder->frameTime();
        lock.lock();
        ended = false;
        anchorMedia = time;
        anchorWall = secondsNow();
        auto done = [o = owner, gen, time] { o->onStepped(gen, time); };
        if (ok)
            showNowLocked([this, done] { post(done); });
        else
            post(done);
    }

    bool hasImmediateLocked() const {
        return std::any_of(queue.begin(), queue.end(), [](const Queued& q) { return q.immediate; });
    }

    // Paused on a picture decoded for playing only: the same frame, decoded in full, replaces it.
    void refineShown(Lock& lock) {
        const double time = shownTime;
        shownExact = true; // once, even when decoding fails
        clearQueueLocked();
        lock.unlock();
        useFullQuality();
        const bool ok = decoder->seekExact(time);
        lock.lock();
        if (ok && !supersededLocked() && !playing) {
            ended = false; // the frames after it are decoded again
            showNowLocked({});
        }
    }

    // Moves the decoder `count` frames from the one shown at `from` by the file's own frame
    // times, so an uneven pace neither skips nor repeats a frame. Decode thread, lock let go.
    bool stepFrom(double from, int count) {
        if (!decoder->seekExact(std::max(0.0, from)))
            return false;
        for (int i = 0; i < count; ++i)
            if (!decoder->next())
                break; // the last frame stays
        for (int i = 0; i > count; --i)
            if (!decoder->previous())
                break; // the first frame stays
        return true;
    }

    // True when a request arrived while the lock was let go: the work done meanwhile is stale.
    bool supersededLocked() const { return seek || reopen || step != 0 || !decoder; }

    void decodeAhead(Lock& lock) {
        const double clock = clockLocked(secondsNow());
        const double newest = queue.empty() ? shownTime : queue.back().time;
        if (playing && rate >= fastRate) {
            if (const auto key = keyFrameToJumpTo(clock, newest)) {
                jumpToKeyFrame(lock, *key, newest);
                return;
            }
        }
        if (clock - newest > catchUpLimit) {
            skipAhead(lock, clock, newest);
            return;
        }
        const double currentRate = rate;
        lock.unlock();
        // Behind when the frame to decode is already due.
        adaptLoopFilter(newest + frameDuration <= clock, currentRate);
        const double started = secondsNow();
        const bool decoded = decoder->next();
        noteDecodeTime(secondsNow() - started, decoder->isKeyFrame());
        Picture picture = decoded ? playingPicture() : Picture{};
        const double time = decoder->frameTime();
        lock.lock();
        // A seek into the picture shown keeps the queue and the decoder where they stand, so the
        // frame joins the queue; an open or a step starts over from its own position.
        if (reopen || step != 0)
            return;
        if (!decoded) {
            ended = true;
            endReadError = decoder->readError();
        } else if (picture) {
            queue.push_back(queued(std::move(picture), time));
            noteArrivalLocked(time);
        }
        wake.notify_all();
    }

    void noteDecodeTime(double seconds, bool keyFrame) {
        double& average = keyFrame ? keyFrameSeconds : frameSeconds;
        average = average > 0 ? average + decodeTimeSmoothing * (seconds - average) : seconds;
    }

    // At fastRate and above, the key frame to jump to so that pictures are shown no later than
    // fastForwardLagFrames behind the clock. When decoding cannot keep up over a key-frame
    // interval, the frames it cannot afford are skipped at the end of each interval; a jump is
    // taken only while the queued frames cover its own decoding, unless decoding on would be
    // late too. Called with `mutex` held.
    std::optional<double> keyFrameToJumpTo(double clock, double newest) {
        const std::optional<double> key = decoder->keyFrameAtOrAfter(newest + 0.5 * frameDuration);
        if (!key || *key < newest + 1.5 * frameDuration)
            return std::nullopt; // the next frame is a key frame: decoding it costs what a jump costs
        if (*key == unreachableKeyFrame)
            return std::nullopt;
        if (const auto following = decoder->keyFrameAtOrAfter(*key + 0.5 * frameDuration))
            keyFrameInterval = *following - *key;
        const double frameWall = frameDuration / rate;
        const double allowedLate = (fastForwardLagFrames - 1) * frameWall;
        const double keyFrameCost = keyFrameSeconds * jumpSafety;
        const double lead = (newest - clock) / rate; // until the newest decoded frame is due
        const double framesToKey = (*key - newest) / frameDuration;
        const double leadAtKey =
            lead + (framesToKey - 1) * (frameWall - frameSeconds) + frameWall - keyFrameCost;
        const bool lateAtKey = leadAtKey < -allowedLate;
        const double safeJumpLead =
            keyFrameCost - frameWall - allowedLate; // a jump started now lands in time
        if (lead < safeJumpLead && !lateAtKey)
            return std::nullopt; // decoding on keeps time; a jump would not
        const double intervalFrames = std::max(1.0, keyFrameInterval / frameDuration);
        const double affordable =
            (intervalFrames * frameWall - keyFrameCost) / std::max(frameSeconds, fastestFrameSeconds);
        const double unaffordable = intervalFrames - 1 - affordable;
        // Skipping also pays for the next jump: the skipped frames' time covers its decoding.
        const double framesToSkip = unaffordable > 0 ? std::max(unaffordable, keyFrameCost / frameWall) : 0;
        if (framesToSkip > 0 && framesToKey - 1 <= framesToSkip)
            return key;
        const bool lastChance = lead + frameWall - frameSeconds < safeJumpLead;
        return lateAtKey && lastChance ? key : std::nullopt;
    }

    // How many decoded frames may wait: at fastRate and above, enough to keep showing frames
    // on time while a key frame decodes.
    size_t queueLimitLocked() const {
        const size_t capacity = size_t(std::max(1, options.queuedFrames));
        if (!playing || rate < fastRate || frameDuration <= 0)
            return capacity;
        const double keyFrameSpan = keyFrameSeconds * jumpSafety * rate / frameDuration;
        return std::clamp(size_t(std::ceil(keyFrameSpan)) + capacity / 2, capacity,
                          std::max(capacity, fastQueueCapacity));
    }

    // Skips the frames up to the key frame at `key`, which is shown in the place of the first
    // of them (a little ahead of its time) so the picture never waits for the jump.
    void jumpToKeyFrame(Lock& lock, double key, double newest) {
        const double currentRate = rate;
        lock.unlock();
        adaptLoopFilter(true, currentRate);
        const double started = secondsNow();
        const bool ok = decoder->seekNextKeyFrame(key);
        noteDecodeTime(secondsNow() - started, true);
        Picture picture = ok ? playingPicture() : Picture{};
        const double time = decoder->frameTime();
        lock.lock();
        if (supersededLocked())
            return;
        if (!ok || !picture) {
            // A damaged file: decode on from wherever the reader stands, and never try this one again.
            unreachableKeyFrame = key;
            return;
        }
        dropped += std::max<int64_t>(0, std::llround((time - newest) / frameDuration) - 1);
        Queued q = queued(std::move(picture), time);
        q.due = std::min(time, newest + frameDuration);
        queue.push_back(std::move(q));
        noteArrivalLocked(q.due);
        wake.notify_all();
    }

    // Decoding cannot keep up: jump to a key frame ahead of the clock.
    void skipAhead(Lock& lock, double clock, double newest) {
        const int64_t skippedFrames = int64_t((clock - newest) / frameDuration);
        const double currentRate = rate;
        clearQueueLocked();
        lock.unlock();
        adaptLoopFilter(true, currentRate);
        const bool ok = decoder->seekTolerant(clock + catchUpLead, 0, catchUpWindow);
        Picture picture = ok ? playingPicture() : Picture{};
        const double time = decoder->frameTime();
        lock.lock();
        if (ok && !seek && !reopen && step == 0) {
            dropped += std::max<int64_t>(0, skippedFrames);
            if (picture) {
                queue.push_back(queued(std::move(picture), time));
                noteArrivalLocked(time);
            }
            wake.notify_all();
        } else if (!ok) {
            ended = true;
            wake.notify_all();
        }
    }

    // Presentation thread, nothing queued while playing: the last picture stays for its own
    // interval, then the item ends (or stops short); when pictures stop coming the time holds on
    // the last one. Called with `mutex` held; waits or changes the state, then returns.
    void waitForPictures(Lock& lock, double now, double clock) {
        const double endTime = shownTime + frameDuration;
        // A held time has shown the last picture long enough.
        if (ended && !reopen && !seek && step == 0 && (clock >= endTime || stalled)) {
            stalled = false;
            playing = false;
            // Pictures that end before the index says stop the clock on the last one.
            const bool stoppedShort = endReadError || endsEarly(itemDuration, endTime, frameDuration);
            anchorMedia = stoppedShort ? shownTime : endTime;
            const bool gone = stoppedShort && sourceGoneLocked(endReadError);
            post([o = owner, gen = generation, stoppedShort, error = endReadError, gone] {
                o->onEnded(gen, stoppedShort, error, gone);
            });
            wake.notify_all();
        } else if (ended) {
            wake.wait_for(lock,
                          std::chrono::duration<double>(std::clamp((endTime - clock) / rate, 0.0, 0.25)));
        } else if (stalled) {
            wake.wait(lock);
        } else if (const double silent = now - lastArrivalWall; silent >= stallSeconds && clock >= endTime) {
            stalled = true; // the time stays with the last picture until another comes
            anchorMedia = shownTime;
            anchorWall = now;
        } else {
            wake.wait_for(lock, std::chrono::duration<double>(std::max(stallSeconds - silent, 0.01)));
        }
    }

    void runPresent() {
        Lock lock(mutex);
        for (;;) {
            if (quit)
                return;
            if (!queue.empty() && queue.front().immediate) {
                Queued q = std::move(queue.front());
                queue.pop_front();
                lock.unlock();
                if (q.frame)
                    present(q.frame.get(), q.time);
                else if (q.clear)
                    presentNothing();
                if (q.afterShown)
                    q.afterShown();
                lock.lock();
                wake.notify_all();
                continue;
            }
            if (!playing || seeking) {
                wake.wait(lock);
                continue;
            }
            const double now = secondsNow();
            const double clock = clockLocked(now);
            if (queue.empty()) {
                waitForPictures(lock, now, clock);
                continue;
            }
            const double head = queue.front().due;
            if (head > clock + 1e-4) {
                const double dueWall = anchorWall + (head - anchorMedia) / rate;
                wake.wait_for(lock, std::chrono::duration<double>(std::clamp(dueWall - now, 0.0, 0.25)));
                continue;
            }
            // A frame is stale once the next one is due as well.
            if (queue.size() > 1 && queue[1].due <= clock) {
                ++dropped;
                queue.pop_front();
                wake.notify_all();
                continue;
            }
            Queued q = std::move(queue.front());
            queue.pop_front();
            shownTime = q.time;
            shownExact = q.exact;
            const uint64_t shownGeneration = generation;
            wake.notify_all();
            lock.unlock();
            present(q.frame.get(), q.time);
            post([o = owner, shownGeneration] { o->onPresented(shownGeneration); });
            lock.lock();
        }
    }

    // Playing without a new picture for this long (wall seconds) is a stall, not a slow decode:
    // a decoder falling behind still hands pictures over many times a second.
    static constexpr double stallSeconds = 1.0;
    // The most frames waiting at fast rates (about 200 MB of the largest camera's pictures).
    static constexpr size_t fastQueueCapacity = 24;
    // Pictures over 1920 × 1080 may get their own thread count.
    static constexpr int64_t largeFramePixels = int64_t(1920) * 1080;
    // The frame length assumed until a file says its own.
    static constexpr double assumedFrameDuration = 1.0 / 30;
    // How far (item seconds) the decoded picture may fall behind before skipping ahead, to a
    // key frame this far ahead of the clock (so the jump's own decoding does not leave it
    // behind again) or within this window after that.
    static constexpr double catchUpLimit = 0.5;
    static constexpr double catchUpLead = 0.25;
    static constexpr double catchUpWindow = 1.0;
    // From this rate on, pictures pass too quickly to miss one: skipping to a key frame beats
    // showing a picture late.
    static constexpr double fastRate = 2;
    // The most a picture may lag the clock at fastRate and above, in frames.
    static constexpr double fastForwardLagFrames = 2;
    // Key frames vary in size: plan for one that takes this much longer than the average.
    static constexpr double jumpSafety = 1.5;
    // A floor for the measured decode time of a frame, so an unmeasured one divides nothing by 0.
    static constexpr double fastestFrameSeconds = 1e-4;
    // Weight of the newest measurement in the running decode times.
    static constexpr double decodeTimeSmoothing = 0.2;
};

MediaPlayer::MediaPlayer(QObject* parent) : MediaPlayer(Options{}, parent) {}

MediaPlayer::MediaPlayer(const Options& options, QObject* parent)
    : AbstractMediaPlayer(parent), worker_(std::make_shared<Worker>()) {
    ff::initialize();
    worker_->owner = this;
    worker_->options = options;
    worker_->decodeThread = std::thread([w = worker_.get()] { w->runDecode(); });
    worker_->presentThread = std::thread([w = worker_.get()] { w->runPresent(); });
    ticker_.setInterval(periodicTimeMilliseconds);
    ticker_.setTimerType(Qt::PreciseTimer);
    connect(&ticker_, &QTimer::timeout, this, [this] { emit periodicTime(currentTime()); });
}

MediaPlayer::~MediaPlayer() {
    {
        std::lock_guard lock(worker_->mutex);
        worker_->quit = true;
    }
    worker_->wake.notify_all();
    worker_->decodeThread.join();
    worker_->presentThread.join();
}

void MediaPlayer::replaceCurrentItem(const QString& path) {
    failPendingSeeks();
    {
        std::lock_guard lock(worker_->sinkMutex);
        worker_->lastFrame = {}; // never the old item's picture in a view attached later
    }
    {
        std::lock_guard lock(worker_->mutex);
        worker_->reopen = true;
        worker_->openPath = path;
        worker_->generation = opens_.start();
        worker_->seek.reset();
        worker_->step = 0;
        worker_->playing = false;
        worker_->seeking = false;
        worker_->stalled = false;
        worker_->anchorMedia = 0;
    }
    worker_->wake.notify_all();
    path_ = path;
    rate_ = 0;
    duration_ = 0;
    problem_.clear();
    sourceGone_ = false;
    ticker_.stop();
    const ItemStatus next = path.isEmpty() ? ItemStatus::none : ItemStatus::loading;
    if (status_ != next) {
        status_ = next;
        emit itemStatusChanged(status_);
    }
}

bool MediaPlayer::hasCurrentItem() const {
    return !path_.isEmpty();
}
QString MediaPlayer::problem() const {
    return problem_;
}
bool MediaPlayer::sourceGone() const {
    return sourceGone_;
}
MediaPlayer::ItemStatus MediaPlayer::itemStatus() const {
    return status_;
}
float MediaPlayer::rate() const {
    return rate_;
}
double MediaPlayer::duration() const {
    return duration_;
}
int64_t MediaPlayer::presentedFrames() const {
    return worker_->presented;
}
int64_t MediaPlayer::droppedFrames() const {
    return worker_->dropped;
}
double MediaPlayer::presentedTime() const {
    return worker_->presentedTime;
}
int MediaPlayer::framesWaiting() const {
    std::lock_guard lock(worker_->mutex);
    return int(worker_->queue.size());
}

double MediaPlayer::currentTime() const {
    std::lock_guard lock(worker_->mutex);
    const double t = worker_->clockLocked(secondsNow());
    return duration_ > 0 ? std::clamp(t, 0.0, duration_) : std::max(0.0, t);
}

void MediaPlayer::playImmediately(float rate) {
    setRate(rate);
}

void MediaPlayer::pause() {
    setRate(0);
}

void MediaPlayer::setRate(float rate) {
    if (!(rate >= 0))
        rate = 0;
    if (!hasCurrentItem() || status_ == ItemStatus::failed)
        rate = 0;
    {
        std::lock_guard lock(worker_->mutex);
        const double now = secondsNow();
        // Paused, the time is that of the picture left on screen.
        const bool pausing = rate <= 0 && worker_->playing && !worker_->seeking;
        worker_->anchorMedia = pausing ? worker_->shownTime : worker_->clockLocked(now);
        worker_->anchorWall = now;
        if (rate > 0 && !worker_->playing)
            worker_->lastArrivalWall = now;
        worker_->stalled = false;
        worker_->playing = rate > 0;
        if (rate > 0)
            worker_->rate = rate;
    }
    worker_->wake.notify_all();
    const bool wasPlaying = rate_ > 0;
    rate_ = rate;
    if (rate > 0) {
        ticker_.start();
    } else {
        ticker_.stop();
        if (wasPlaying)
            emit periodicTime(currentTime());
    }
}

void MediaPlayer::seek(double time, double toleranceBefore, double toleranceAfter,
                       SeekCompletion completion) {
    if (!hasCurrentItem() || status_ == ItemStatus::failed) {
        if (completion)
            QMetaObject::invokeMethod(
                this, [c = std::move(completion)] { c(false); }, Qt::QueuedConnection);
        return;
    }
    // A newer seek supersedes the pending ones.
    failPendingSeeks();
    const uint64_t id = ++nextSeekId_;
    if (completion)
        pendingSeeks_[id] = std::move(completion);
    {
        std::lock_guard lock(worker_->mutex);
        worker_->seek = Worker::SeekRequest{id, time, toleranceBefore, toleranceAfter};
        worker_->step = 0;
        worker_->seeking = true;
        worker_->stalled = false;
        worker_->anchorMedia = std::max(0.0, time);
    }
    worker_->wake.notify_all();
}

void MediaPlayer::cancelPendingSeeks() {
    failPendingSeeks();
}

void MediaPlayer::failPendingSeeks() {
    // Delivered later, like every other completion, so callers never re-enter themselves.
    for (auto& [id, completion] : pendingSeeks_)
        QMetaObject::invokeMethod(
            this, [c = std::move(completion)] { c(false); }, Qt::QueuedConnection);
    pendingSeeks_.clear();
}

void MediaPlayer::setVideoSink(QVideoSink* sink) {
    std::lock_guard lock(worker_->sinkMutex);
    worker_->sink = sink;
    // A view made anew while paused shows the frame at the player's time, not black.
    if (sink && worker_->lastFrame.isValid())
        sink->setVideoFrame(worker_->lastFrame);
}

void MediaPlayer::setShownWidth(int pixels) {
    worker_->shownWidth.store(std::max(0, pixels), std::memory_order_relaxed);
}

void MediaPlayer::stepFrames(int count) {
    if (count == 0 || status_ != ItemStatus::readyToPlay)
        return;
    pause();
    {
        std::lock_guard lock(worker_->mutex);
        worker_->step += count;
    }
    worker_->wake.notify_all();
}

void MediaPlayer::onOpened(uint64_t generation, bool ok, double duration, const QString& problem, bool gone) {
    if (!opens_.isLatest(generation))
        return;
    duration_ = ok ? duration : 0;
    problem_ = problem;
    sourceGone_ = gone;
    status_ = ok ? ItemStatus::readyToPlay : ItemStatus::failed;
    if (!ok) {
        failPendingSeeks();
        setRate(0); // a rate set while the file opened must not keep a clock running for nothing
    }
    emit itemStatusChanged(status_);
}

void MediaPlayer::onSeekDone(uint64_t generation, uint64_t id, double landed, bool stoppedShort,
                             int readError, bool gone) {
    if (!opens_.isLatest(generation))
        return;
    problem_ = stoppedShort ? readFailureText(readError) : QString();
    sourceGone_ = gone;
    auto it = pendingSeeks_.find(id);
    if (it != pendingSeeks_.end()) {
        SeekCompletion completion = std::move(it->second);
        pendingSeeks_.erase(it);
        completion(true);
    }
    emit periodicTime(currentTime());
    if (stoppedShort)
        emit didStopShort(landed);
}

void MediaPlayer::onStepped(uint64_t generation, double) {
    if (opens_.isLatest(generation))
        emit periodicTime(currentTime());
}

// While pictures flow the time follows each one, so what is drawn beside a picture (the
// dashboard's record) belongs to it rather than to one up to a tick earlier; the ticker covers
// the gaps between pictures.
void MediaPlayer::onPresented(uint64_t generation) {
    static const QMetaMethod periodicTimeSignal = QMetaMethod::fromSignal(&AbstractMediaPlayer::periodicTime);
    if (!opens_.isLatest(generation) || rate_ <= 0 || !isSignalConnected(periodicTimeSignal))
        return;
    ticker_.start();
    emit periodicTime(currentTime());
}

void MediaPlayer::onEnded(uint64_t generation, bool stoppedShort, int readError, bool gone) {
    if (!opens_.isLatest(generation) || rate_ <= 0)
        return;
    rate_ = 0;
    ticker_.stop();
    emit periodicTime(currentTime());
    if (!stoppedShort) {
        emit didPlayToEnd();
        return;
    }
    problem_ = readFailureText(readError);
    sourceGone_ = gone;
    emit didStopShort(currentTime());
}

} // namespace orvane::media
