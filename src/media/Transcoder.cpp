#include "Transcoder.h"

#include "EncoderSetup.h"
#include "FfmpegHandles.h"
#include "FileName.h"
#include "TimelapsePackets.h"
#include "VideoDecoderInternal.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <optional>

namespace orvane::media {

namespace {

// Output timestamps in 1/90000 s: exact for every common frame rate.
constexpr AVRational outputTimeBase{1, 90000};
// Largest numerator or denominator when the frame rate becomes a fraction for the encoder.
constexpr int frameRatePrecision = 100000;
// The decoder's share of the two cores; the encoder takes the rest.
constexpr int decoderThreads = 2;
// Audio read before the first kept video frame waits for it, up to this many packets.
constexpr size_t maxHeldAudioPackets = 4096;
// Stream ticks become seconds with rounding: times this close to a boundary are on it.
constexpr double boundarySlack = 1e-6;
// Key frame times in the index and in packets may differ by rounding: a timelapse decodes half
// a frame more around each frame it takes.
constexpr double timelapseMarginFrames = 0.5;
// Presets when the caller names none: the fastest that keeps the quality the bit rate buys.
constexpr const char* defaultH264Preset = "superfast";
constexpr const char* defaultHevcPreset = "ultrafast";

bool isPlanar420(int format) {
    return format == AV_PIX_FMT_YUV420P || format == AV_PIX_FMT_YUVJ420P;
}

YuvPlanes planesOf(AVFrame* f) {
    return {f->data[0], f->linesize[0], f->data[1], f->linesize[1],
            f->data[2], f->linesize[2], f->width,   f->height};
}

ff::Frame allocateFrame(int width, int height, AVPixelFormat format) {
    ff::Frame f = ff::makeFrame();
    f->format = format;
    f->width = width;
    f->height = height;
    checkFfmpeg(av_frame_get_buffer(f.get(), 0), "av_frame_get_buffer");
    return f;
}

// A writable frame of the given size and format, reusing `frame` when it already fits.
AVFrame* writableFrame(ff::Frame& frame, int width, int height, AVPixelFormat format) {
    if (!frame || frame->width != width || frame->height != height || frame->format != format)
        frame = allocateFrame(width, height, format);
    checkFfmpeg(av_frame_make_writable(frame.get()), "av_frame_make_writable");
    return frame.get();
}

// Turns a 4:2:0 picture by 90, 180 or 270 degrees clockwise into `dst` (sized for the result).
void rotatePlanes(const AVFrame* src, AVFrame* dst, int degrees) {
    for (int plane = 0; plane < 3; ++plane) {
        const int sw = plane ? (src->width + 1) / 2 : src->width;
        const int sh = plane ? (src->height + 1) / 2 : src->height;
        const uint8_t* s = src->data[plane];
        const int ss = src->linesize[plane];
        uint8_t* d = dst->data[plane];
        const int ds = dst->linesize[plane];
        for (int y = 0; y < sh; ++y)
            for (int x = 0; x < sw; ++x) {
                const uint8_t value = s[size_t(y) * ss + x];
                int dx, dy;
                if (degrees == 90) {
                    dx = sh - 1 - y;
                    dy = x;
                } else if (degrees == 180) {
                    dx = sw - 1 - x;
                    dy = sh - 1 - y;
                } else {
                    dx = y;
                    dy = sw - 1 - x;
                }
                d[size_t(dy) * ds + dx] = value;
            }
    }
}

} // namespace

struct Transcoder::Impl {
    QString path;
    ff::InputFormat input;
    int videoIndex = -1;
    int audioIndex = -1;
    int64_t firstPts = 0;
    TranscodeSource source;
    bool used = false;

    // What the exporter needs to know of the opened source's video stream and audio.
    void describe(const std::string& name);
};

void Transcoder::Impl::describe(const std::string& name) {
    Impl& d = *this;
    AVFormatContext* raw = d.input.get();
    d.videoIndex = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (d.videoIndex < 0)
        throw NoVideoStreamError("no video stream: " + name);
    const AVStream* vs = raw->streams[d.videoIndex];
    if (vs->codecpar->width <= 0 || vs->codecpar->height <= 0)
        throw NoVideoStreamError("video stream without a picture size: " + name);
    d.audioIndex = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, d.videoIndex, nullptr, 0);
    TranscodeSource& s = d.source;
    s.rotation = displayRotation(vs);
    const bool sideways = s.rotation == 90 || s.rotation == 270;
    s.width = sideways ? vs->codecpar->height : vs->codecpar->width;
    s.height = sideways ? vs->codecpar->width : vs->codecpar->height;
    if (vs->avg_frame_rate.num > 0 && vs->avg_frame_rate.den > 0)
        s.frameRate = av_q2d(vs->avg_frame_rate);
    if (raw->duration > 0)
        s.duration = double(raw->duration) / AV_TIME_BASE;
    else if (vs->duration > 0)
        s.duration = double(vs->duration) * av_q2d(vs->time_base);
    s.videoDuration = vs->duration > 0 ? double(vs->duration) * av_q2d(vs->time_base) : s.duration;
    s.bitRate = vs->codecpar->bit_rate;
    s.hasAudio = d.audioIndex >= 0;
    s.matrix = vs->codecpar->color_space == AVCOL_SPC_BT709 ? YuvMatrix::bt709 : YuvMatrix::bt601;
    s.fullRange =
        vs->codecpar->color_range == AVCOL_RANGE_JPEG || vs->codecpar->format == AV_PIX_FMT_YUVJ420P;
    d.firstPts = vs->start_time != AV_NOPTS_VALUE ? vs->start_time : 0;
}

Transcoder::Transcoder(const QString& input) : d(std::make_unique<Impl>()) {
    d->path = input;
    d->input = openInput(input);
    d->describe(FileName::display(input).toStdString());
    TranscodeSource& s = d->source;
    // The open file's size: the name may not survive a round trip through Qt's file functions.
    if (const int64_t bytes = d->input->pb ? avio_size(d->input->pb) : -1;
        s.bitRate <= 0 && s.duration > 0 && bytes > 0)
        s.bitRate = int64_t(double(bytes) * 8.0 / s.duration);
}

Transcoder::Transcoder(const RawVideoStream& stream) : d(std::make_unique<Impl>()) {
    ff::initialize();
    if (stream.fd < 0 || stream.width <= 0 || stream.height <= 0 || stream.frameRate <= 0 ||
        stream.framesTakenEvery <= 0)
        throw MediaError("raw video stream without a pipe, size or rate");
    const std::string url = "pipe:" + std::to_string(stream.fd);
    d->path = QString::fromStdString(url);
    ff::Options options;
    const std::string size = std::to_string(stream.width) + "x" + std::to_string(stream.height);
    const std::string rate = std::to_string(stream.frameRate) + "/" + std::to_string(stream.framesTakenEvery);
    options.set("video_size", size.c_str());
    options.set("pixel_format", "yuv420p");
    options.set("framerate", rate.c_str());
    AVFormatContext* raw = nullptr;
    if (const int opened =
            avformat_open_input(&raw, url.c_str(), av_find_input_format("rawvideo"), options.get());
        opened < 0)
        throw MediaError("cannot open " + url + ": " + ffmpegErrorText(opened));
    d->input = ff::InputFormat(raw);
    d->describe(url);
    d->source.frameRate = double(stream.frameRate) / stream.framesTakenEvery;
    d->source.framesTakenEvery = stream.framesTakenEvery;
    d->source.duration = d->source.videoDuration = std::max(stream.duration, 0.0);
    // Uncompressed pictures say nothing of the footage's rate; the encoder's would follow them.
    d->source.bitRate = 0;
}

Transcoder::~Transcoder() = default;

const TranscodeSource& Transcoder::source() const {
    return d->source;
}

namespace {

// One run of a transcoder: the decoder, encoder and muxer it opens, and what the frames carry
// from one to the next. Steps: open, seek to the start, decode and encode every frame in the
// range (audio copied alongside), finish the file.
class TranscodeRun {
public:
    TranscodeRun(AVFormatContext* input, int videoIndex, int audioIndex, int64_t firstPts,
                 const TranscodeSource& source, const TranscodeSettings& settings,
                 const TranscodeHooks& hooks)
        : in_(input), videoIndex_(videoIndex), audioIndex_(audioIndex), firstPts_(firstPts), source_(source),
          settings_(settings), hooks_(hooks), videoTimeBase_(input->streams[videoIndex]->time_base),
          start_(std::max(settings.start, 0.0)),
          end_(settings.length > 0 ? start_ + settings.length : INFINITY) {}

    TranscodeOutcome run(const QString& outputPath) {
        out_ = FileName::encode(outputPath).toStdString(); // the file system's bytes
        openDecoder();
        openVideoEncoder();
        openMuxer();
        seekToStart();
        decodeRange();
        finish();
        return outcome();
    }

private:
    bool cancelled() const { return hooks_.cancelled && hooks_.cancelled(); }
    double frameRate() const {
        return settings_.frameRate > 0 ? settings_.frameRate : double(cameraFrameRate);
    }

    // A write the system refused (a full disk, a size limit) is the user's to know about.
    void checkWrite(int code, const char* what) const {
        if (systemErrorOf(code))
            throw OutputWriteError(ffmpegErrorText(code));
        checkFfmpeg(code, std::string(what) + " " + out_);
    }

    void openDecoder() {
        const AVStream* vs = in_->streams[videoIndex_];
        const AVCodec* codec = avcodec_find_decoder(vs->codecpar->codec_id);
        if (!codec)
            throw MediaError("no decoder for the video stream");
        decoder_.reset(avcodec_alloc_context3(codec));
        if (!decoder_)
            throw MediaError("avcodec_alloc_context3: out of memory");
        checkFfmpeg(avcodec_parameters_to_context(decoder_.get(), vs->codecpar), "decoder parameters");
        decoder_->pkt_timebase = videoTimeBase_;
        decoder_->thread_count = decoderThreads;
        decoder_->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
        checkFfmpeg(avcodec_open2(decoder_.get(), codec, nullptr), "open decoder");
    }

    // A timelapse decodes only the stretches between key frames that hold a frame it takes;
    // packets are then passed over by their own times, which frames in decoding order keep.
    void planTimelapseReading() {
        if (!timelapse() || decoder_->has_b_frames != 0)
            return;
        // Index and packet times may differ by rounding either way around a key frame too.
        const double margin = timelapseMarginFrames * frameDuration_;
        packets_.emplace(keyFrameTimes(in_, videoIndex_, firstPts_), settings_.speed * frameDuration_, margin,
                         -margin);
    }

    // Whether a video packet goes to the decoder; one passed over still counts as read.
    bool decodes(const AVPacket* packet) {
        const int64_t ts = packetTimestamp(*packet);
        if (!packets_ || !haveBase_ || ts == AV_NOPTS_VALUE)
            return true;
        const double t = double(ts - firstPts_) * av_q2d(videoTimeBase_);
        if (t >= end_ - boundarySlack || packets_->needed(t, packet->flags & AV_PKT_FLAG_KEY))
            return true;
        lastSeen_ = std::max(lastSeen_, t);
        return false;
    }

    void openVideoEncoder() {
        const bool hevc = settings_.codec == VideoCodec::HEVC;
        EncoderSetup setup;
        setup.codec = settings_.codec;
        setup.width = settings_.width;
        setup.height = settings_.height;
        // libx265 takes the range from color_range alone.
        setup.pixelFormat = source_.fullRange && !hevc ? AV_PIX_FMT_YUVJ420P : AV_PIX_FMT_YUV420P;
        setup.timeBase = outputTimeBase;
        setup.frameRate = av_d2q(frameRate(), frameRatePrecision);
        setup.bitRate = settings_.bitRate;
        setup.keyFrameInterval = settings_.keyFrameInterval;
        setup.preset = !settings_.preset.empty() ? settings_.preset
                       : hevc                    ? defaultHevcPreset
                                                 : defaultH264Preset;
        const AVCodecParameters* par = in_->streams[videoIndex_]->codecpar;
        encoder_.emplace(setup, [&](AVCodecContext* e) {
            e->color_range = source_.fullRange ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
            e->colorspace = par->color_space;
            e->color_primaries = par->color_primaries;
            e->color_trc = par->color_trc;
        });
    }

    void openMuxer() {
        AVFormatContext* raw = nullptr;
        checkFfmpeg(avformat_alloc_output_context2(&raw, nullptr, "mp4", out_.c_str()), "create " + out_);
        output_.reset(raw);
        videoOut_ = avformat_new_stream(raw, nullptr);
        if (!videoOut_)
            throw MediaError("avformat_new_stream: out of memory");
        checkFfmpeg(avcodec_parameters_from_context(videoOut_->codecpar, encoder_->context()),
                    "stream parameters");
        videoOut_->time_base = encoder_->context()->time_base;
        videoOut_->avg_frame_rate = encoder_->context()->framerate;
        addAudioStream();
        for (unsigned i = 0; i < in_->nb_streams; ++i)
            if (int(i) != videoIndex_ && !(audioOut_ && int(i) == audioIndex_))
                in_->streams[i]->discard = AVDISCARD_ALL;
        checkWrite(avio_open(&raw->pb, out_.c_str(), AVIO_FLAG_WRITE), "open");
        checkWrite(avformat_write_header(raw, nullptr), "write header");
    }

    // The source's audio is copied as it is; a format MP4 cannot hold is left out rather than
    // failing the export.
    void addAudioStream() {
        if (audioIndex_ < 0 || timelapse())
            return;
        const AVStream* as = in_->streams[audioIndex_];
        audioTimeBase_ = as->time_base;
        if (avformat_query_codec(output_->oformat, as->codecpar->codec_id, FF_COMPLIANCE_NORMAL) != 1)
            return;
        audioOut_ = avformat_new_stream(output_.get(), nullptr);
        if (!audioOut_)
            throw MediaError("avformat_new_stream: out of memory");
        checkFfmpeg(avcodec_parameters_copy(audioOut_->codecpar, as->codecpar), "audio parameters");
        audioOut_->codecpar->codec_tag = 0;
        audioOut_->time_base = as->time_base;
    }

    // Positions the reader at the key frame before the start.
    void seekToStart() {
        if (start_ <= 0)
            return;
        const int64_t target = firstPts_ + int64_t(std::floor(start_ / av_q2d(videoTimeBase_)));
        if (avformat_seek_file(in_, videoIndex_, INT64_MIN, target, target, 0) < 0)
            avformat_seek_file(in_, videoIndex_, INT64_MIN, firstPts_, firstPts_, 0);
    }

    void decodeRange() {
        frameDuration_ = 1.0 / (source_.frameRate > 0 ? source_.frameRate : frameRate());
        planTimelapseReading();
        ff::Packet packet = ff::makePacket();
        while (!pastEnd_) {
            if (cancelled())
                throw TranscodeCancelled();
            const int read = av_read_frame(in_, packet.get());
            if (read < 0) {
                // A refused read (the drive went away) is no fault of the footage: the export fails.
                const int cause = in_->pb && in_->pb->error < 0 ? in_->pb->error : read;
                if (systemErrorOf(cause))
                    throw UnreadableMediaError("read: " + ffmpegErrorText(cause), readFailureText(cause));
                readFailed_ = read != AVERROR_EOF;
                break; // the end, or a damaged tail: export what was readable
            }
            if (packet->stream_index == videoIndex_ && !decodes(packet.get())) {
                av_packet_unref(packet.get());
                continue;
            }
            if (packet->stream_index == videoIndex_) {
                damaged_ += (packet->flags & AV_PKT_FLAG_CORRUPT) != 0;
                const int sent = avcodec_send_packet(decoder_.get(), packet.get());
                av_packet_unref(packet.get());
                damaged_ += sent == AVERROR_INVALIDDATA;
                if (sent < 0 && sent != AVERROR_INVALIDDATA && sent != AVERROR(EAGAIN))
                    checkFfmpeg(sent, "decode");
                receiveFrames();
            } else if (audioOut_ && packet->stream_index == audioIndex_) {
                takeAudio(packet.get());
            }
            av_packet_unref(packet.get());
        }
        if (!pastEnd_) {
            avcodec_send_packet(decoder_.get(), nullptr);
            receiveFrames();
        }
        writeHeld();
        finishTimelapse();
    }

    void receiveFrames() {
        for (;;) {
            const int rc = avcodec_receive_frame(decoder_.get(), decoded_.get());
            if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
                return;
            if (rc == AVERROR_INVALIDDATA) {
                ++damaged_;
                continue; // a damaged frame: skip it
            }
            checkFfmpeg(rc, "decode");
            damaged_ += decoded_->decode_error_flags != 0 || (decoded_->flags & AV_FRAME_FLAG_CORRUPT);
            handleFrame(decoded_.get());
            av_frame_unref(decoded_.get());
            if (pastEnd_)
                return;
        }
    }

    void handleFrame(AVFrame* f) {
        const int64_t ts = f->best_effort_timestamp != AV_NOPTS_VALUE ? f->best_effort_timestamp : f->pts;
        if (ts == AV_NOPTS_VALUE)
            return;
        const double t = double(ts - firstPts_) * av_q2d(videoTimeBase_);
        // A frame is shown until the next one starts: the last one before the start may hold it.
        if (!haveBase_ && t < start_ - boundarySlack) {
            av_frame_unref(held_.get());
            checkFfmpeg(av_frame_ref(held_.get(), f), "av_frame_ref");
            heldTime_ = t;
            return;
        }
        if (!haveBase_ && t > start_ + boundarySlack)
            writeHeld();
        av_frame_unref(held_.get());
        if (timelapse() && haveBase_) {
            takeForTimelapse(f, t);
            return;
        }
        if (t >= end_ - boundarySlack) {
            pastEnd_ = true;
            return;
        }
        writePicture(f, t);
    }

    bool timelapse() const { return settings_.speed > 1; }

    // A frame arrived at `t` (after the first written): the one pending before it was shown
    // until then, so it is taken when a target time falls in that interval (once, however many
    // do: a gap in the footage leaves no repeated pictures).
    void takeForTimelapse(AVFrame* f, double t) {
        lastSeen_ = t;
        if (!nextTarget_) // the first frame written is target 0
            nextTarget_ = std::max(start_, base_) + settings_.speed * frameDuration_;
        const double shownUntil = std::min(t, end_);
        takePending(shownUntil);
        if (t >= end_ - boundarySlack) {
            pastEnd_ = true;
            return;
        }
        checkFfmpeg(av_frame_ref(pending_.get(), f), "av_frame_ref");
        pendingTime_ = t;
    }

    void takePending(double shownUntil) {
        if (pending_->buf[0] && *nextTarget_ < shownUntil - boundarySlack) {
            writePicture(pending_.get(), pendingTime_);
            while (*nextTarget_ < shownUntil - boundarySlack)
                *nextTarget_ += settings_.speed * frameDuration_;
        }
        av_frame_unref(pending_.get());
    }

    // The last frame pending at the end of the footage, shown for one frame interval.
    void finishTimelapse() {
        if (timelapse() && nextTarget_)
            takePending(std::min(pendingTime_ + frameDuration_, end_));
    }

    // The frame the start lies in, when no later frame followed it.
    void writeHeld() {
        if (!haveBase_ && held_->buf[0])
            writePicture(held_.get(), heldTime_);
        av_frame_unref(held_.get());
    }

    void writePicture(AVFrame* f, double t) {
        if (!haveBase_)
            startOutputAt(t);
        AVFrame* target = encoderPicture(uprightPicture(f));
        if (hooks_.overlays)
            hooks_.overlays(t, overlays_);
        // A picture that is not our own copy is copied before overlays write into it.
        if (!overlays_.empty() && target != scaled_.get())
            checkFfmpeg(av_frame_make_writable(target), "av_frame_make_writable");
        for (const YuvOverlay* overlay : overlays_)
            if (overlay)
                overlay->blendInto(planesOf(target));
        overlays_.clear();
        encodeFrame(target, t);
    }

    // The first kept frame is output time 0; audio held until now follows it.
    void startOutputAt(double t) {
        haveBase_ = true;
        base_ = t;
        if (packets_)
            packets_->start(std::max(start_, base_));
        for (ff::Packet& p : heldAudio_)
            writeAudio(p.get());
        heldAudio_.clear();
    }

    // The decoded picture turned by the source's rotation (4:2:0 planes; other formats are
    // converted first).
    AVFrame* uprightPicture(AVFrame* f) {
        if (!source_.rotation)
            return f;
        AVFrame* picture = f;
        if (!isPlanar420(f->format)) {
            AVFrame* planar = writableFrame(converted_, f->width, f->height, AV_PIX_FMT_YUV420P);
            ff::Sws convert(sws_getContext(f->width, f->height, AVPixelFormat(f->format), f->width, f->height,
                                           AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr));
            if (!convert)
                throw MediaError("cannot convert the picture format");
            sws_scale(convert.get(), f->data, f->linesize, 0, f->height, planar->data, planar->linesize);
            picture = planar;
        }
        const bool sideways = source_.rotation != 180;
        AVFrame* turned =
            writableFrame(upright_, sideways ? picture->height : picture->width,
                          sideways ? picture->width : picture->height, AVPixelFormat(picture->format));
        rotatePlanes(picture, turned, source_.rotation);
        turned->color_range = f->color_range;
        return turned;
    }

    // The picture at the encoder's size: as it is when it already fits, else cropped to an even
    // size and scaled in one pass.
    AVFrame* encoderPicture(AVFrame* picture) {
        const AVCodecContext* e = encoder_->context();
        if (isPlanar420(picture->format) && picture->width == e->width && picture->height == e->height)
            return picture;
        const int evenW = picture->width & ~1, evenH = picture->height & ~1;
        if (!sws_ || swsWidth_ != evenW || swsHeight_ != evenH || swsFormat_ != picture->format) {
            // Full-range 4:2:0 is scaled as is: the encoder is told its range.
            const AVPixelFormat from =
                picture->format == AV_PIX_FMT_YUVJ420P ? AV_PIX_FMT_YUV420P : AVPixelFormat(picture->format);
            sws_.reset(sws_getContext(evenW, evenH, from, e->width, e->height, AV_PIX_FMT_YUV420P,
                                      SWS_BICUBIC, nullptr, nullptr, nullptr));
            if (!sws_)
                throw MediaError("cannot scale the picture");
            swsWidth_ = evenW;
            swsHeight_ = evenH;
            swsFormat_ = picture->format;
        }
        AVFrame* scaled = writableFrame(scaled_, e->width, e->height, AV_PIX_FMT_YUV420P);
        sws_scale(sws_.get(), picture->data, picture->linesize, 0, evenH, scaled->data, scaled->linesize);
        return scaled;
    }

    void encodeFrame(AVFrame* target, double t) {
        const bool consecutive = timelapse() || settings_.framesTakenEvery > 1;
        const double outputTime = consecutive ? double(written_) / frameRate() : t - base_;
        int64_t pts = std::llround(outputTime / av_q2d(outputTimeBase));
        if (lastPts_ != AV_NOPTS_VALUE && pts <= lastPts_)
            pts = lastPts_ + 1;
        lastPts_ = pts;
        target->pts = pts;
        target->pict_type = AV_PICTURE_TYPE_NONE;
        encoder_->send(target);
        writeEncoded();
        if (hooks_.frameWritten)
            hooks_.frameWritten(written_, t);
        ++written_;
        lastTime_ = t;
        if (hooks_.progress)
            hooks_.progress(t - base_);
    }

    void writeEncoded() {
        while (encoder_->receive(encoded_.get())) {
            av_packet_rescale_ts(encoded_.get(), encoder_->context()->time_base, videoOut_->time_base);
            encoded_->stream_index = videoOut_->index;
            checkWrite(av_interleaved_write_frame(output_.get(), encoded_.get()), "write");
        }
    }

    void takeAudio(AVPacket* p) {
        if (haveBase_)
            writeAudio(p);
        else if (heldAudio_.size() < maxHeldAudioPackets)
            heldAudio_.emplace_back(av_packet_clone(p));
    }

    // Audio keeps its place against the video: both are shifted by the same base.
    void writeAudio(AVPacket* p) {
        const double baseSeconds = double(firstPts_) * av_q2d(videoTimeBase_) + base_;
        const int64_t shift = int64_t(std::llround(baseSeconds / av_q2d(audioTimeBase_)));
        const int64_t ts = packetTimestamp(*p);
        if (ts == AV_NOPTS_VALUE || ts < shift ||
            double(ts) * av_q2d(audioTimeBase_) - baseSeconds + base_ >= end_) {
            av_packet_unref(p);
            return;
        }
        if (p->pts != AV_NOPTS_VALUE)
            p->pts -= shift;
        if (p->dts != AV_NOPTS_VALUE)
            p->dts = std::max<int64_t>(p->dts - shift, 0);
        av_packet_rescale_ts(p, audioTimeBase_, audioOut_->time_base);
        p->stream_index = audioOut_->index;
        p->pos = -1;
        checkWrite(av_interleaved_write_frame(output_.get(), p), "write");
    }

    void finish() {
        if (cancelled())
            throw TranscodeCancelled();
        if (written_ == 0)
            throw MediaError("no video frame could be read in the chosen range");
        encoder_->send(nullptr);
        writeEncoded();
        checkWrite(av_write_trailer(output_.get()), "write");
        checkWrite(avio_closep(&output_->pb), "close");
    }

    // A source is incomplete when reading or decoding failed on the way, or when the video
    // ended well before the index (or the chosen cut) said it would.
    TranscodeOutcome outcome() const {
        TranscodeOutcome result;
        result.framesWritten = written_;
        result.encoder = HardwareEncoding::encoderName(encoder_->path(), settings_.codec);
        result.exportedLength =
            timelapse() ? double(written_) / frameRate() : lastTime_ + frameDuration_ - base_;
        const double expectedEnd =
            std::min(end_, source_.videoDuration > 0 ? source_.videoDuration : INFINITY);
        result.incomplete =
            readFailed_ || damaged_ > 0 ||
            endsEarly(expectedEnd, std::max(lastTime_, lastSeen_) + frameDuration_, frameDuration_);
        return result;
    }

    AVFormatContext* in_;
    const int videoIndex_;
    const int audioIndex_;
    const int64_t firstPts_;
    const TranscodeSource& source_;
    const TranscodeSettings& settings_;
    const TranscodeHooks& hooks_;
    const AVRational videoTimeBase_;
    AVRational audioTimeBase_{1, 1};
    const double start_;
    const double end_;
    std::string out_;

    ff::CodecContext decoder_;
    std::optional<ExportEncoder> encoder_;
    ff::OutputFormat output_;
    AVStream* videoOut_ = nullptr;
    AVStream* audioOut_ = nullptr;

    ff::Frame decoded_ = ff::makeFrame();
    ff::Frame held_ = ff::makeFrame(); // the latest frame before the start
    double heldTime_ = 0;
    ff::Frame converted_; // 4:2:0 copy of a picture to rotate
    ff::Frame upright_;   // rotated picture
    ff::Frame scaled_;    // encoder-sized picture
    ff::Packet encoded_ = ff::makePacket();
    ff::Sws sws_;
    int swsWidth_ = 0, swsHeight_ = 0, swsFormat_ = -1;
    std::vector<const YuvOverlay*> overlays_;
    std::deque<ff::Packet> heldAudio_; // audio read before the first video frame is known

    double frameDuration_ = 0;
    bool haveBase_ = false;
    double base_ = 0; // source time of output time 0
    int64_t lastPts_ = AV_NOPTS_VALUE;
    int64_t written_ = 0;
    bool pastEnd_ = false;
    double lastTime_ = 0;                 // source time of the last frame written
    double lastSeen_ = 0;                 // … and of the last frame read (a timelapse takes only some)
    ff::Frame pending_ = ff::makeFrame(); // a timelapse's latest frame, until the next one comes
    double pendingTime_ = 0;
    std::optional<double> nextTarget_; // when a timelapse takes its next frame
    std::optional<TimelapsePackets> packets_;
    bool readFailed_ = false;
    int64_t damaged_ = 0; // packets and frames the decoder could not use as they were
};

} // namespace

TranscodeOutcome Transcoder::run(const QString& outputPath, const TranscodeSettings& settings,
                                 const TranscodeHooks& hooks) {
    if (d->used)
        throw MediaError("a transcoder runs once");
    d->used = true;
    if (settings.width <= 0 || settings.height <= 0 || settings.width % 2 || settings.height % 2)
        throw MediaError("output size must be positive and even");
    return TranscodeRun(d->input.get(), d->videoIndex, d->audioIndex, d->firstPts, d->source, settings, hooks)
        .run(outputPath);
}

} // namespace orvane::media
