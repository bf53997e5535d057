#include "MediaPlayer.h"

#include "VideoDecoder.h"
#include "VideoDecoderInternal.h"

#include <QPointer>
#include <QVideoFrame>
#include <QVideoSink>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>

namespace orvane::media {

namespace {

using SteadyClock = std::chrono::steady_clock;

double secondsNow() { return std::chrono::duration<double>(SteadyClock::now().time_since_epoch()).count(); }

bool isFullRange(const AVFrame* f) {
    return f->color_range == AVCOL_RANGE_JPEG || f->format == AV_PIX_FMT_YUVJ420P;
}

// Copies a decoded picture into a YUV 4:2:0 video frame (even size, colour range and matrix
// carried over). Other pixel formats go through swscale.
QVideoFrame toVideoFrame(const AVFrame* f, SwsContext*& sws) {
    const int w = f->width & ~1, h = f->height & ~1;
    if (w <= 0 || h <= 0)
        return {};
    QVideoFrameFormat format(QSize(w, h), QVideoFrameFormat::Format_YUV420P);
    format.setColorRange(isFullRange(f) ? QVideoFrameFormat::ColorRange_Full : QVideoFrameFormat::ColorRange_Video);
    format.setColorSpace(f->colorspace == AVCOL_SPC_BT709 ? QVideoFrameFormat::ColorSpace_BT709
                                                          : QVideoFrameFormat::ColorSpace_BT601);
    QVideoFrame frame(format);
    if (!frame.map(QVideoFrame::WriteOnly))
        return {};
    if (f->format == AV_PIX_FMT_YUV420P || f->format == AV_PIX_FMT_YUVJ420P) {
        for (int plane = 0; plane < 3; ++plane) {
            const int rows = plane == 0 ? h : h / 2;
            const int bytes = plane == 0 ? w : w / 2;
            uint8_t* dst = frame.bits(plane);
            const int dstStride = frame.bytesPerLine(plane);
            for (int y = 0; y < rows; ++y)
                std::memcpy(dst + size_t(y) * dstStride, f->data[plane] + size_t(y) * f->linesize[plane], size_t(bytes));
        }
    } else {
        sws = sws_getCachedContext(sws, f->width, f->height, AVPixelFormat(f->format), w, h, AV_PIX_FMT_YUV420P,
                                   SWS_BILINEAR, nullptr, nullptr, nullptr);
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
        ff::Frame frame;
        double time;
    };

    // Shared with the interface thread, under `mutex`.
    std::mutex mutex;
    std::condition_variable wake;
    bool quit = false;
    bool reopen = false;
    QString openPath;
    uint64_t generation = 0;
    std::optional<SeekRequest> seek;
    int step = 0;
    bool playing = false;
    bool seeking = false;
    double rate = 1;
    double anchorWall = 0;  // clock: item time anchorMedia at wall time anchorWall
    double anchorMedia = 0;

    std::mutex sinkMutex;
    QPointer<QVideoSink> sink;

    std::atomic<int64_t> presented{0};
    std::atomic<int64_t> dropped{0};
    std::atomic<double> presentedTime{0};

    MediaPlayer* owner = nullptr;
    Options options;
    std::thread thread;

    // The decode thread's own state.
    std::unique_ptr<VideoDecoder> decoder;
    std::deque<Queued> queue;
    bool ended = false; // the decoder has no more frames
    double frameDuration = 1.0 / 30;
    SwsContext* sws = nullptr;

    ~Worker() { sws_freeContext(sws); }

    double clockLocked(double now) const {
        if (!playing || seeking)
            return anchorMedia;
        return anchorMedia + (now - anchorWall) * rate;
    }

    template <typename F> void post(F&& f) { QMetaObject::invokeMethod(owner, std::forward<F>(f), Qt::QueuedConnection); }

    void present(const AVFrame* f, double time) {
        QVideoFrame frame = toVideoFrame(f, sws);
        frame.setStartTime(qint64(time * 1e6));
        {
            std::lock_guard lock(sinkMutex);
            if (sink)
                sink->setVideoFrame(frame);
        }
        presentedTime = time;
        ++presented;
    }
    void presentCurrent() {
        if (const AVFrame* f = VideoDecoderAccess::frame(*decoder))
            present(f, decoder->frameTime());
    }

    void run() {
        std::unique_lock lock(mutex);
        for (;;) {
            if (quit)
                return;
            if (reopen) {
                reopen = false;
                const QString path = openPath;
                const uint64_t gen = generation;
                lock.unlock();
                queue.clear();
                decoder.reset();
                ended = false;
                presented = 0;
                dropped = 0;
                bool ok = false;
                double duration = 0;
                if (!path.isEmpty()) {
                    try {
                        decoder = std::make_unique<VideoDecoder>(
                            path, VideoDecoderOptions{options.decoderThreads, options.skipLoopFilter});
                        frameDuration = decoder->info().frameDuration;
                        duration = decoder->info().duration;
                        ok = decoder->next();
                        if (ok)
                            presentCurrent();
                    } catch (const std::exception&) {
                        ok = false;
                    }
                    if (!ok)
                        decoder.reset();
                    post([o = owner, gen, ok, duration] { o->onOpened(gen, ok, duration); });
                }
                lock.lock();
                continue;
            }
            if (!decoder) {
                seek.reset(); // the interface thread fails them when the item fails
                step = 0;
                wake.wait(lock);
                continue;
            }
            const uint64_t gen = generation;
            if (seek) {
                const SeekRequest request = *seek;
                seek.reset();
                lock.unlock();
                queue.clear();
                ended = false;
                const bool exact = request.before <= 0 && request.after <= 0;
                const bool ok = exact ? decoder->seekExact(request.time)
                                      : decoder->seekTolerant(request.time, request.before, request.after);
                if (ok)
                    presentCurrent();
                const double landed = ok ? decoder->frameTime() : request.time;
                lock.lock();
                if (!seek && !reopen) {
                    anchorMedia = exact ? std::max(0.0, request.time) : landed;
                    anchorWall = secondsNow();
                    seeking = false;
                }
                post([o = owner, gen, id = request.id, landed] { o->onSeekDone(gen, id, landed); });
                continue;
            }
            if (step != 0) {
                const int count = step;
                step = 0;
                lock.unlock();
                queue.clear();
                ended = false;
                const double target = presentedTime + count * frameDuration + frameDuration / 2;
                if (decoder->seekExact(std::max(0.0, target)))
                    presentCurrent();
                const double time = decoder->frameTime();
                lock.lock();
                anchorMedia = time;
                anchorWall = secondsNow();
                post([o = owner, gen, time] { o->onStepped(gen, time); });
                continue;
            }
            if (!playing || seeking) {
                wake.wait(lock);
                continue;
            }

            const double now = secondsNow();
            const double clock = clockLocked(now);
            if (!queue.empty()) {
                const double head = queue.front().time;
                if (head <= clock + 1e-4) {
                    // A frame is stale once the next one is due as well.
                    if (queue.size() > 1 && queue[1].time <= clock) {
                        ++dropped;
                        queue.pop_front();
                        continue;
                    }
                    if (clock - head > 0.5 && !ended) {
                        // Decoding cannot keep up: jump to a key frame ahead of the clock.
                        lock.unlock();
                        const double skippedFrom = head;
                        queue.clear();
                        if (decoder->seekTolerant(clock + 0.25, 0, 1.0)) {
                            dropped += std::max<int64_t>(0, int64_t((decoder->frameTime() - skippedFrom) / frameDuration));
                            Queued q{ff::makeFrame(), decoder->frameTime()};
                            av_frame_ref(q.frame.get(), VideoDecoderAccess::frame(*decoder));
                            queue.push_back(std::move(q));
                        } else {
                            ended = true;
                        }
                        lock.lock();
                        continue;
                    }
                    Queued q = std::move(queue.front());
                    queue.pop_front();
                    lock.unlock();
                    present(q.frame.get(), q.time);
                    lock.lock();
                    continue;
                }
            }
            if (queue.size() < 3 && !ended) {
                lock.unlock();
                if (decoder->next()) {
                    Queued q{ff::makeFrame(), decoder->frameTime()};
                    av_frame_ref(q.frame.get(), VideoDecoderAccess::frame(*decoder));
                    queue.push_back(std::move(q));
                } else {
                    ended = true;
                }
                lock.lock();
                continue;
            }
            // Wait for the head frame, or for the last frame's interval to run out.
            const double dueMedia = !queue.empty() ? queue.front().time : presentedTime + frameDuration;
            if (queue.empty() && clock >= dueMedia) {
                playing = false;
                anchorMedia = dueMedia;
                post([o = owner, gen] { o->onEnded(gen); });
                continue;
            }
            const double dueWall = anchorWall + (dueMedia - anchorMedia) / rate;
            wake.wait_for(lock, std::chrono::duration<double>(std::clamp(dueWall - now, 0.0, 0.25)));
        }
    }
};

MediaPlayer::MediaPlayer(QObject* parent) : MediaPlayer(Options{}, parent) {}

MediaPlayer::MediaPlayer(const Options& options, QObject* parent)
    : AbstractMediaPlayer(parent), worker_(std::make_shared<Worker>()) {
    ff::initialize();
    worker_->owner = this;
    worker_->options = options;
    worker_->thread = std::thread([w = worker_.get()] { w->run(); });
    ticker_.setInterval(1000 / 30);
    ticker_.setTimerType(Qt::PreciseTimer);
    connect(&ticker_, &QTimer::timeout, this, [this] { emit periodicTime(currentTime()); });
}

MediaPlayer::~MediaPlayer() {
    {
        std::lock_guard lock(worker_->mutex);
        worker_->quit = true;
    }
    worker_->wake.notify_all();
    worker_->thread.join();
}

void MediaPlayer::replaceCurrentItem(const QString& path) {
    failPendingSeeks();
    {
        std::lock_guard lock(worker_->mutex);
        worker_->reopen = true;
        worker_->openPath = path;
        worker_->generation = ++generation_;
        worker_->seek.reset();
        worker_->step = 0;
        worker_->playing = false;
        worker_->seeking = false;
        worker_->anchorMedia = 0;
    }
    worker_->wake.notify_all();
    path_ = path;
    rate_ = 0;
    duration_ = 0;
    ticker_.stop();
    const ItemStatus next = path.isEmpty() ? ItemStatus::none : ItemStatus::loading;
    if (status_ != next) {
        status_ = next;
        emit itemStatusChanged(status_);
    }
}

bool MediaPlayer::hasCurrentItem() const { return !path_.isEmpty(); }
MediaPlayer::ItemStatus MediaPlayer::itemStatus() const { return status_; }
float MediaPlayer::rate() const { return rate_; }
double MediaPlayer::duration() const { return duration_; }
int64_t MediaPlayer::presentedFrames() const { return worker_->presented; }
int64_t MediaPlayer::droppedFrames() const { return worker_->dropped; }
double MediaPlayer::presentedTime() const { return worker_->presentedTime; }

double MediaPlayer::currentTime() const {
    std::lock_guard lock(worker_->mutex);
    const double t = worker_->clockLocked(secondsNow());
    return duration_ > 0 ? std::clamp(t, 0.0, duration_) : std::max(0.0, t);
}

void MediaPlayer::playImmediately(float rate) { setRate(rate); }

void MediaPlayer::pause() { setRate(0); }

void MediaPlayer::setRate(float rate) {
    if (!(rate >= 0))
        rate = 0;
    if (!hasCurrentItem() || status_ == ItemStatus::failed)
        rate = 0;
    {
        std::lock_guard lock(worker_->mutex);
        const double now = secondsNow();
        worker_->anchorMedia = worker_->clockLocked(now);
        worker_->anchorWall = now;
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

void MediaPlayer::seek(double time, double toleranceBefore, double toleranceAfter, SeekCompletion completion) {
    if (!hasCurrentItem() || status_ == ItemStatus::failed) {
        if (completion)
            QMetaObject::invokeMethod(this, [c = std::move(completion)] { c(false); }, Qt::QueuedConnection);
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
        worker_->anchorMedia = std::max(0.0, time);
    }
    worker_->wake.notify_all();
}

void MediaPlayer::cancelPendingSeeks() { failPendingSeeks(); }

void MediaPlayer::failPendingSeeks() {
    // Delivered later, like every other completion, so callers never re-enter themselves.
    for (auto& [id, completion] : pendingSeeks_)
        QMetaObject::invokeMethod(this, [c = std::move(completion)] { c(false); }, Qt::QueuedConnection);
    pendingSeeks_.clear();
}

void MediaPlayer::setVideoSink(QVideoSink* sink) {
    std::lock_guard lock(worker_->sinkMutex);
    worker_->sink = sink;
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

void MediaPlayer::onOpened(uint64_t generation, bool ok, double duration) {
    if (generation != generation_)
        return;
    duration_ = ok ? duration : 0;
    status_ = ok ? ItemStatus::readyToPlay : ItemStatus::failed;
    if (!ok)
        failPendingSeeks();
    emit itemStatusChanged(status_);
}

void MediaPlayer::onSeekDone(uint64_t generation, uint64_t id, double) {
    if (generation != generation_)
        return;
    auto it = pendingSeeks_.find(id);
    if (it != pendingSeeks_.end()) {
        SeekCompletion completion = std::move(it->second);
        pendingSeeks_.erase(it);
        completion(true);
    }
    emit periodicTime(currentTime());
}

void MediaPlayer::onStepped(uint64_t generation, double) {
    if (generation == generation_)
        emit periodicTime(currentTime());
}

void MediaPlayer::onEnded(uint64_t generation) {
    if (generation != generation_ || rate_ <= 0)
        return;
    rate_ = 0;
    ticker_.stop();
    emit periodicTime(currentTime());
    emit didPlayToEnd();
}

} // namespace orvane::media
