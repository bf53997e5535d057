#include "VideoDecoder.h"

#include "FileName.h"
#include "HardwareDevice.h"
#include "MediaError.h"
#include "VideoDecoderInternal.h"

#include <QCoreApplication>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

namespace orvane::media {

namespace {
// A step between two pictures of more than this many frame lengths means pictures were lost.
constexpr double missingFrameGap = 1.5;
} // namespace

struct VideoDecoder::Impl {
    ff::InputFormat format;
    AVStream* stream = nullptr;
    int streamIndex = -1;
    ff::CodecContext codec;
    ff::Frame frame = ff::makeFrame();   // the current frame
    ff::Frame scratch = ff::makeFrame(); // decoded into, then swapped in
    ff::Frame pending = ff::makeFrame(); // decoded past the current frame by an exact seek
    bool hasPending = false;
    ff::Packet packet = ff::makePacket();
    MediaInfo info;
    int64_t startTs = 0;
    int64_t frameTicks = 1; // one frame's display interval in stream ticks
    int64_t currentTs = 0;
    bool hasFrame = false;
    bool hardware = false; // decoding on a VA-API device
    bool demuxEnded = false;
    bool drainSent = false;
    int readError = 0; // the refused read that ended the stream, if one did
    // Where lost or damaged data begins (stream ticks); pictures from there on are patched up
    // by the decoder until a sound key frame follows.
    std::set<int64_t> damagedFrom;
    bool concealed = false;
    std::function<void(AVPacket*)> otherPackets;
    mutable SwsContext* sws = nullptr;

    ~Impl() { sws_freeContext(sws); }

    int64_t toTicks(double seconds) const {
        const double ticks = seconds / av_q2d(stream->time_base);
        const double limit = double(std::numeric_limits<int64_t>::max() / 4);
        return startTs + int64_t(std::llround(std::clamp(ticks, -limit, limit)));
    }
    double toSeconds(int64_t ts) const { return double(ts - startTs) * av_q2d(stream->time_base); }

    // Decodes one frame into `out`; false at the end of the stream. Packets the decoder
    // rejects (corrupt data) are skipped; a read error ends the stream.
    bool decodeInto(AVFrame* out) {
        int consecutiveErrors = 0;
        for (;;) {
            const int received = avcodec_receive_frame(codec.get(), out);
            if (received >= 0 && downloadHardwareFrame(out))
                return true;
            if (received >= 0) { // a picture the device could not hand over counts as damaged
                av_frame_unref(out);
                if (++consecutiveErrors > 64)
                    return false;
                continue;
            }
            if (received == AVERROR_EOF)
                return false;
            if (received != AVERROR(EAGAIN)) {
                if (++consecutiveErrors > 64 || drainSent)
                    return false;
                continue;
            }
            if (demuxEnded) {
                if (drainSent)
                    return false;
                avcodec_send_packet(codec.get(), nullptr);
                drainSent = true;
                continue;
            }
            if (const int read = av_read_frame(format.get(), packet.get()); read < 0) {
                const int cause = format->pb && format->pb->error < 0 ? format->pb->error : read;
                if (systemErrorOf(cause))
                    readError = cause;
                demuxEnded = true;
                continue;
            }
            if (packet->stream_index != streamIndex) {
                if (otherPackets)
                    otherPackets(packet.get());
                av_packet_unref(packet.get());
                continue;
            }
            const bool corrupt = packet->flags & AV_PKT_FLAG_CORRUPT;
            const int64_t ts = packetTimestamp(*packet);
            const int sent = avcodec_send_packet(codec.get(), packet.get());
            if (corrupt || (sent < 0 && sent != AVERROR(EAGAIN)))
                damagedFrom.insert(ts != AV_NOPTS_VALUE ? ts : currentTs + frameTicks);
            av_packet_unref(packet.get());
        }
    }

    int64_t timestampOf(const AVFrame* f) const {
        const int64_t ts = f->best_effort_timestamp;
        if (ts != AV_NOPTS_VALUE)
            return ts;
        return hasFrame ? currentTs + frameTicks : startTs;
    }

    // Makes `f` (decoded at `ts`) the current frame, noting whether its picture is patched up.
    void makeCurrent(AVFrame* f, int64_t ts) {
        noteDamage(*f, ts);
        av_frame_unref(frame.get());
        av_frame_move_ref(frame.get(), f);
        currentTs = ts;
        hasFrame = true;
    }

    // Decodes the next frame and makes it current.
    bool advance() {
        if (hasPending) {
            hasPending = false;
            makeCurrent(pending.get(), timestampOf(pending.get()));
            return true;
        }
        if (!decodeInto(scratch.get()))
            return false;
        makeCurrent(scratch.get(), timestampOf(scratch.get()));
        return true;
    }

    // A sound key frame ends the damage before it; a frame the decoder reports as patched
    // up, or one after a run of missing frames, starts damage of its own.
    void noteDamage(const AVFrame& f, int64_t ts) {
        const bool flagged = f.decode_error_flags != 0 || (f.flags & AV_FRAME_FLAG_CORRUPT);
        const bool key = f.key_frame || f.pict_type == AV_PICTURE_TYPE_I;
        if (key && !flagged)
            damagedFrom.erase(damagedFrom.begin(), damagedFrom.lower_bound(ts));
        else if (flagged || (hasFrame && double(ts - currentTs) > missingFrameGap * double(frameTicks)))
            damagedFrom.insert(ts);
        concealed = !damagedFrom.empty() && *damagedFrom.begin() <= ts;
    }

    void restart() {
        avcodec_flush_buffers(codec.get());
        demuxEnded = false;
        drainSent = false;
        hasFrame = false;
        hasPending = false;
        readError = 0;
        damagedFrom.clear();
        concealed = false;
        av_frame_unref(frame.get());
        av_frame_unref(pending.get());
    }

    // Makes current the last frame that starts at or before `target` (the first frame when
    // all start later): a frame is shown until the next one starts, whatever the file's pace.
    // The frame read past it is kept for the next advance().
    bool decodeToFrameAt(int64_t target) {
        if (!advance())
            return false;
        while (currentTs < target) {
            if (!decodeInto(pending.get()))
                return true; // the last frame stays on screen
            if (timestampOf(pending.get()) > target) {
                hasPending = true;
                return true;
            }
            makeCurrent(pending.get(), timestampOf(pending.get()));
        }
        return true;
    }

    // Seeks to the key frame at or before `ts` (the first one when there is none).
    void seekKeyAtOrBefore(int64_t ts) {
        if (avformat_seek_file(format.get(), streamIndex, std::numeric_limits<int64_t>::min(), ts, ts, 0) <
                0 &&
            av_seek_frame(format.get(), streamIndex, ts, AVSEEK_FLAG_BACKWARD) < 0)
            avformat_seek_file(format.get(), streamIndex, std::numeric_limits<int64_t>::min(), startTs,
                               std::numeric_limits<int64_t>::max(), 0);
        restart();
    }

    // Decodes forward until a frame starts at or after `earliest` or its interval contains
    // `target`; keeps the last frame when the stream ends first.
    bool decodeUntil(int64_t target, int64_t earliest) {
        while (advance()) {
            if (currentTs >= earliest || currentTs + frameTicks > target)
                return true;
        }
        return hasFrame;
    }

    // Opens the codec, on the options' device when asked; FFmpeg's code (negative: not opened).
    int openCodec(const AVCodec* decoder, const VideoDecoderOptions& options, bool onDevice) {
        codec.reset(avcodec_alloc_context3(decoder));
        if (!codec)
            throw MediaError("avcodec_alloc_context3: out of memory");
        checkFfmpeg(avcodec_parameters_to_context(codec.get(), stream->codecpar),
                    "avcodec_parameters_to_context");
        codec->pkt_timebase = stream->time_base;
        hardware = onDevice && attachVaapiDevice(codec.get(), decoder, options.hardwareDevice);
        if (onDevice && !hardware)
            return AVERROR(ENODEV);
        codec->thread_count = hardware ? 1 : std::max(0, options.threadCount);
        codec->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
        if (options.skipLoopFilter)
            codec->skip_loop_filter = AVDISCARD_ALL;
        return avcodec_open2(codec.get(), decoder, nullptr);
    }

    // Timestamp of the key frame the index lists nearest `ts` in one direction, if any.
    std::optional<int64_t> indexedKey(int64_t ts, bool backward) const {
        const int i = av_index_search_timestamp(stream, ts, backward ? AVSEEK_FLAG_BACKWARD : 0);
        if (i < 0)
            return std::nullopt;
        const AVIndexEntry* entry = avformat_index_get_entry(stream, i);
        if (!entry || !(entry->flags & AVINDEX_KEYFRAME))
            return std::nullopt;
        return entry->timestamp;
    }
};

VideoDecoder::VideoDecoder(const QString& path, const VideoDecoderOptions& options)
    : d(std::make_unique<Impl>()) {
    d->format = openInput(path);
    const AVCodec* decoder = nullptr;
    d->streamIndex = av_find_best_stream(d->format.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &decoder, 0);
    if (d->streamIndex < 0 || !decoder)
        throw UnreadableMediaError("no decodable video stream: " + FileName::display(path).toStdString(),
                                   QCoreApplication::translate("VideoDecoder", "文件中没有可播放的画面"));
    d->stream = d->format->streams[d->streamIndex];
    for (unsigned i = 0; i < d->format->nb_streams; ++i)
        if (int(i) != d->streamIndex && d->format->streams[i]->codecpar->codec_type != AVMEDIA_TYPE_AUDIO)
            d->format->streams[i]->discard = AVDISCARD_ALL;

    // A device that fails to open the decoder leaves the software decoder.
    if (options.hardwareDevice.isEmpty() || d->openCodec(decoder, options, true) < 0)
        checkFfmpeg(d->openCodec(decoder, options, false), "cannot open the video decoder");

    d->info = describe(d->format.get(), d->streamIndex);
    d->startTs = d->stream->start_time != AV_NOPTS_VALUE ? d->stream->start_time : 0;
    d->frameTicks = std::max<int64_t>(1, std::llround(d->info.frameDuration / av_q2d(d->stream->time_base)));
}

VideoDecoder::~VideoDecoder() = default;

const MediaInfo& VideoDecoder::info() const {
    return d->info;
}

bool VideoDecoder::next() {
    return d->advance();
}

bool VideoDecoder::previous() {
    if (!d->hasFrame || d->currentTs <= d->startTs)
        return false;
    const int64_t before = d->currentTs - 1;
    d->seekKeyAtOrBefore(before);
    return d->decodeToFrameAt(before);
}

bool VideoDecoder::seekExact(double time) {
    const int64_t target = d->toTicks(time);
    d->seekKeyAtOrBefore(target);
    return d->decodeToFrameAt(target);
}

bool VideoDecoder::seekTolerant(double time, double toleranceBefore, double toleranceAfter) {
    const int64_t target = d->toTicks(time);
    const int64_t earliest = d->toTicks(time - std::max(0.0, toleranceBefore));
    const int64_t latest = d->toTicks(time + std::max(0.0, toleranceAfter));
    // A key frame inside the window needs no decoding beyond itself: take the nearest one.
    std::optional<int64_t> key;
    if (auto before = d->indexedKey(target, true); before && *before >= earliest)
        key = before;
    if (auto after = d->indexedKey(target, false);
        after && *after <= latest && (!key || *after - target < target - *key))
        key = after;
    if (key) {
        if (avformat_seek_file(d->format.get(), d->streamIndex, *key, *key, *key, 0) >= 0) {
            d->restart();
            if (d->advance() && d->currentTs >= earliest && d->currentTs <= latest)
                return true;
        }
    }
    d->seekKeyAtOrBefore(target);
    return d->decodeUntil(target, earliest);
}

std::optional<double> VideoDecoder::keyFrameAtOrAfter(double time) const {
    const auto key = d->indexedKey(d->toTicks(time), false);
    return key ? std::optional<double>(d->toSeconds(*key)) : std::nullopt;
}

bool VideoDecoder::seekNextKeyFrame(double time) {
    const auto key = d->indexedKey(d->toTicks(time), false);
    if (!key || avformat_seek_file(d->format.get(), d->streamIndex, *key, *key, *key, 0) < 0)
        return false;
    d->restart();
    return d->advance();
}

bool VideoDecoder::usesHardware() const {
    return d->hardware;
}
bool VideoDecoder::hasFrame() const {
    return d->hasFrame;
}
int VideoDecoder::readError() const {
    return d->readError;
}
bool VideoDecoder::frameConcealed() const {
    return d->hasFrame && d->concealed;
}
double VideoDecoder::frameTime() const {
    return d->hasFrame ? d->toSeconds(d->currentTs) : 0.0;
}
bool VideoDecoder::isKeyFrame() const {
    return d->hasFrame && (d->frame->key_frame || d->frame->pict_type == AV_PICTURE_TYPE_I);
}
int VideoDecoder::frameWidth() const {
    return d->hasFrame ? d->frame->width : 0;
}
int VideoDecoder::frameHeight() const {
    return d->hasFrame ? d->frame->height : 0;
}

QImage VideoDecoder::toImage(QSize maxSize, bool applyRotation) const {
    const AVFrame* f = d->frame.get();
    if (!d->hasFrame || f->width <= 0 || f->height <= 0)
        return {};
    const int rotation = applyRotation ? d->info.rotation : 0;
    const bool quarterTurn = rotation == 90 || rotation == 270;
    // Fit in display orientation, then scale the stored picture to match.
    QSize shown = quarterTurn ? QSize(f->height, f->width) : QSize(f->width, f->height);
    if (maxSize.isValid() && !maxSize.isEmpty() &&
        (shown.width() > maxSize.width() || shown.height() > maxSize.height()))
        shown = shown.scaled(maxSize, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    const QSize stored = quarterTurn ? shown.transposed() : shown;

    d->sws = sws_getCachedContext(d->sws, f->width, f->height, AVPixelFormat(f->format), stored.width(),
                                  stored.height(), AV_PIX_FMT_RGB32, SWS_BILINEAR, nullptr, nullptr, nullptr);
    if (!d->sws)
        return {};
    const bool fullRange = f->color_range == AVCOL_RANGE_JPEG || f->format == AV_PIX_FMT_YUVJ420P ||
                           f->format == AV_PIX_FMT_YUVJ422P || f->format == AV_PIX_FMT_YUVJ444P;
    const int matrix = f->colorspace == AVCOL_SPC_BT709 ? SWS_CS_ITU709 : SWS_CS_DEFAULT;
    sws_setColorspaceDetails(d->sws, sws_getCoefficients(matrix), fullRange,
                             sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
    // swscale's vector code writes whole blocks of pixels, past the end of a row whose width is
    // not a multiple of them (362 wide overran the last row's heap block): scale into a padded
    // picture with a spare row and keep the part shown.
    constexpr int scaleBlockPixels = 16;
    const int paddedWidth = (stored.width() + scaleBlockPixels - 1) / scaleBlockPixels * scaleBlockPixels;
    QImage padded(paddedWidth, stored.height() + 1, QImage::Format_RGB32);
    if (padded.isNull())
        return {};
    uint8_t* dst[4] = {padded.bits(), nullptr, nullptr, nullptr};
    int dstStride[4] = {int(padded.bytesPerLine()), 0, 0, 0};
    sws_scale(d->sws, f->data, f->linesize, 0, f->height, dst, dstStride);
    QImage image = padded.copy(QRect(QPoint(), stored));
    if (rotation != 0)
        image = image.transformed(QTransform().rotate(rotation));
    return image;
}

const AVFrame* VideoDecoderAccess::frame(const VideoDecoder& decoder) {
    return decoder.d->hasFrame ? decoder.d->frame.get() : nullptr;
}
AVFormatContext* VideoDecoderAccess::format(const VideoDecoder& decoder) {
    return decoder.d->format.get();
}
AVCodecContext* VideoDecoderAccess::codec(VideoDecoder& decoder) {
    return decoder.d->codec.get();
}
AVStream* VideoDecoderAccess::stream(const VideoDecoder& decoder) {
    return decoder.d->stream;
}
int64_t VideoDecoderAccess::startTimestamp(const VideoDecoder& decoder) {
    return decoder.d->startTs;
}
void VideoDecoderAccess::setOtherPacketHandler(VideoDecoder& decoder,
                                               std::function<void(AVPacket*)> handler) {
    decoder.d->otherPackets = std::move(handler);
}

} // namespace orvane::media
