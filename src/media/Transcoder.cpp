#include "Transcoder.h"

#include "FfmpegHandles.h"

extern "C" {
#include <libavutil/display.h>
#include <libavutil/opt.h>
}

#include <QFileInfo>

#include <cmath>
#include <cstring>
#include <deque>

namespace orvane::media {

namespace {

constexpr AVRational outputTimeBase{1, 90000};

int clockwiseRotation(const AVStream* stream) {
    size_t size = 0;
    const uint8_t* matrix = av_stream_get_side_data(stream, AV_PKT_DATA_DISPLAYMATRIX, &size);
    if (!matrix || size < 9 * sizeof(int32_t))
        return 0;
    const double counterClockwise = av_display_rotation_get(reinterpret_cast<const int32_t*>(matrix));
    if (std::isnan(counterClockwise))
        return 0;
    int degrees = int(std::lround(-counterClockwise / 90.0)) * 90;
    degrees = ((degrees % 360) + 360) % 360;
    return degrees;
}

bool isPlanar420(int format) { return format == AV_PIX_FMT_YUV420P || format == AV_PIX_FMT_YUVJ420P; }

YuvPlanes planesOf(AVFrame* f) {
    return {f->data[0], f->linesize[0], f->data[1], f->linesize[1], f->data[2], f->linesize[2], f->width, f->height};
}

ff::Frame allocateFrame(int width, int height, AVPixelFormat format) {
    ff::Frame f = ff::makeFrame();
    f->format = format;
    f->width = width;
    f->height = height;
    checkFfmpeg(av_frame_get_buffer(f.get(), 0), "av_frame_get_buffer");
    return f;
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
};

Transcoder::Transcoder(const QString& input) : d(std::make_unique<Impl>()) {
    ff::initialize();
    d->path = input;
    const std::string path = input.toStdString();
    AVFormatContext* raw = nullptr;
    checkFfmpeg(avformat_open_input(&raw, path.c_str(), nullptr, nullptr), "open " + path);
    d->input.reset(raw);
    d->videoIndex = av_find_best_stream(raw, AVMEDIA_TYPE_VIDEO, -1, -1, nullptr, 0);
    if (d->videoIndex < 0)
        throw NoVideoStreamError("no video stream: " + path);
    const AVStream* vs = raw->streams[d->videoIndex];
    if (vs->codecpar->width <= 0 || vs->codecpar->height <= 0)
        throw NoVideoStreamError("video stream without a picture size: " + path);
    d->audioIndex = av_find_best_stream(raw, AVMEDIA_TYPE_AUDIO, -1, d->videoIndex, nullptr, 0);
    TranscodeSource& s = d->source;
    s.rotation = clockwiseRotation(vs);
    const bool sideways = s.rotation == 90 || s.rotation == 270;
    s.width = sideways ? vs->codecpar->height : vs->codecpar->width;
    s.height = sideways ? vs->codecpar->width : vs->codecpar->height;
    if (vs->avg_frame_rate.num > 0 && vs->avg_frame_rate.den > 0)
        s.frameRate = av_q2d(vs->avg_frame_rate);
    if (raw->duration > 0)
        s.duration = double(raw->duration) / AV_TIME_BASE;
    else if (vs->duration > 0)
        s.duration = double(vs->duration) * av_q2d(vs->time_base);
    s.bitRate = vs->codecpar->bit_rate;
    if (s.bitRate <= 0 && s.duration > 0)
        s.bitRate = int64_t(double(QFileInfo(input).size()) * 8.0 / s.duration);
    s.hasAudio = d->audioIndex >= 0;
    s.matrix = vs->codecpar->color_space == AVCOL_SPC_BT709 ? YuvMatrix::bt709 : YuvMatrix::bt601;
    s.fullRange = vs->codecpar->color_range == AVCOL_RANGE_JPEG || vs->codecpar->format == AV_PIX_FMT_YUVJ420P;
    d->firstPts = vs->start_time != AV_NOPTS_VALUE ? vs->start_time : 0;
}

Transcoder::~Transcoder() = default;

const TranscodeSource& Transcoder::source() const { return d->source; }

void Transcoder::run(const QString& outputPath, const TranscodeSettings& settings, const TranscodeHooks& hooks) {
    if (d->used)
        throw MediaError("a transcoder runs once");
    d->used = true;
    if (settings.width <= 0 || settings.height <= 0 || settings.width % 2 || settings.height % 2)
        throw MediaError("output size must be positive and even");
    AVFormatContext* in = d->input.get();
    AVStream* vs = in->streams[d->videoIndex];
    const AVRational vtb = vs->time_base;
    const TranscodeSource& src = d->source;
    const std::string out = outputPath.toStdString();
    auto cancelled = [&] { return hooks.cancelled && hooks.cancelled(); };

    // Decoder.
    const AVCodec* decoderCodec = avcodec_find_decoder(vs->codecpar->codec_id);
    if (!decoderCodec)
        throw MediaError("no decoder for the video stream");
    ff::CodecContext decoder(avcodec_alloc_context3(decoderCodec));
    if (!decoder)
        throw MediaError("avcodec_alloc_context3: out of memory");
    checkFfmpeg(avcodec_parameters_to_context(decoder.get(), vs->codecpar), "decoder parameters");
    decoder->pkt_timebase = vtb;
    decoder->thread_count = 2;
    decoder->thread_type = FF_THREAD_FRAME | FF_THREAD_SLICE;
    checkFfmpeg(avcodec_open2(decoder.get(), decoderCodec, nullptr), "open decoder");

    // Encoder: no B-frames, a key frame every keyFrameInterval frames and never elsewhere.
    const bool hevc = settings.codec == VideoCodec::HEVC;
    const char* encoderName = hevc ? "libx265" : "libx264";
    const AVCodec* encoderCodec = avcodec_find_encoder_by_name(encoderName);
    if (!encoderCodec)
        throw MediaError(std::string("encoder not available: ") + encoderName);
    ff::CodecContext encoder(avcodec_alloc_context3(encoderCodec));
    if (!encoder)
        throw MediaError("avcodec_alloc_context3: out of memory");
    AVCodecContext* e = encoder.get();
    e->width = settings.width;
    e->height = settings.height;
    e->pix_fmt = src.fullRange ? AV_PIX_FMT_YUVJ420P : AV_PIX_FMT_YUV420P;
    if (hevc)
        e->pix_fmt = AV_PIX_FMT_YUV420P; // libx265 takes range from color_range
    e->color_range = src.fullRange ? AVCOL_RANGE_JPEG : AVCOL_RANGE_MPEG;
    e->colorspace = vs->codecpar->color_space;
    e->color_primaries = vs->codecpar->color_primaries;
    e->color_trc = vs->codecpar->color_trc;
    e->time_base = outputTimeBase;
    const double fps = settings.frameRate > 0 ? settings.frameRate : 36.0;
    e->framerate = av_d2q(fps, 100000);
    e->bit_rate = settings.bitRate;
    const int keyint = std::max(settings.keyFrameInterval, 1);
    e->gop_size = keyint;
    e->keyint_min = keyint;
    e->max_b_frames = 0;
    e->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    ff::Options options;
    const std::string keyintText = std::to_string(keyint);
    std::string params;
    if (hevc) {
        options.set("preset", settings.preset.empty() ? "ultrafast" : settings.preset.c_str());
        options.set("profile", "main");
        params = "bframes=0:scenecut=0:keyint=" + keyintText + ":min-keyint=" + keyintText + ":log-level=error";
        options.set("x265-params", params.c_str());
    } else {
        options.set("preset", settings.preset.empty() ? "superfast" : settings.preset.c_str());
        // ultrafast alone would turn CABAC and 8x8 transforms off (Constrained Baseline).
        options.set("profile", "high");
        options.set("coder", "1");
        params = "8x8dct=1:bframes=0:scenecut=0:keyint=" + keyintText + ":min-keyint=" + keyintText;
        options.set("x264-params", params.c_str());
    }
    checkFfmpeg(avcodec_open2(e, encoderCodec, options.get()), std::string("open ") + encoderName);

    // Muxer.
    AVFormatContext* rawOut = nullptr;
    checkFfmpeg(avformat_alloc_output_context2(&rawOut, nullptr, "mp4", out.c_str()), "create " + out);
    ff::OutputFormat output(rawOut);
    AVStream* ovs = avformat_new_stream(rawOut, nullptr);
    if (!ovs)
        throw MediaError("avformat_new_stream: out of memory");
    checkFfmpeg(avcodec_parameters_from_context(ovs->codecpar, e), "stream parameters");
    ovs->time_base = e->time_base;
    ovs->avg_frame_rate = e->framerate;
    AVStream* oas = nullptr;
    AVRational atb{1, 1};
    if (d->audioIndex >= 0) {
        const AVStream* as = in->streams[d->audioIndex];
        atb = as->time_base;
        // An audio format MP4 cannot hold is left out rather than failing the export.
        if (avformat_query_codec(rawOut->oformat, as->codecpar->codec_id, FF_COMPLIANCE_NORMAL) == 1) {
            oas = avformat_new_stream(rawOut, nullptr);
            if (!oas)
                throw MediaError("avformat_new_stream: out of memory");
            checkFfmpeg(avcodec_parameters_copy(oas->codecpar, as->codecpar), "audio parameters");
            oas->codecpar->codec_tag = 0;
            oas->time_base = as->time_base;
        }
    }
    for (unsigned i = 0; i < in->nb_streams; ++i)
        if (int(i) != d->videoIndex && !(oas && int(i) == d->audioIndex))
            in->streams[i]->discard = AVDISCARD_ALL;
    checkFfmpeg(avio_open(&rawOut->pb, out.c_str(), AVIO_FLAG_WRITE), "open " + out);
    checkFfmpeg(avformat_write_header(rawOut, nullptr), "write header " + out);

    // Position the reader at the key frame before the start.
    const double start = std::max(settings.start, 0.0);
    const double end = settings.length > 0 ? start + settings.length : INFINITY;
    if (start > 0) {
        const int64_t target = d->firstPts + int64_t(std::floor(start / av_q2d(vtb)));
        if (avformat_seek_file(in, d->videoIndex, INT64_MIN, target, target, 0) < 0)
            avformat_seek_file(in, d->videoIndex, INT64_MIN, d->firstPts, d->firstPts, 0);
    }
    const double frameDuration = 1.0 / (src.frameRate > 0 ? src.frameRate : fps);

    ff::Packet packet = ff::makePacket();
    ff::Packet encoded = ff::makePacket();
    ff::Frame decoded = ff::makeFrame();
    ff::Frame upright;  // rotated picture
    ff::Frame scaled;   // encoder-sized picture
    ff::Sws sws;
    int swsW = 0, swsH = 0, swsFormat = -1;
    std::vector<const YuvOverlay*> overlays;
    bool haveBase = false;
    double base = 0; // source time of output time 0
    int64_t lastPts = AV_NOPTS_VALUE;
    int64_t written = 0;
    bool pastEnd = false;
    std::deque<AVPacket*> heldAudio; // audio read before the first video frame is known
    struct HeldFree {
        std::deque<AVPacket*>& q;
        ~HeldFree() {
            for (AVPacket* p : q)
                av_packet_free(&p);
        }
    } heldFree{heldAudio};

    auto writeEncoded = [&] {
        for (;;) {
            const int rc = avcodec_receive_packet(e, encoded.get());
            if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
                return;
            checkFfmpeg(rc, "encode");
            av_packet_rescale_ts(encoded.get(), e->time_base, ovs->time_base);
            encoded->stream_index = ovs->index;
            checkFfmpeg(av_interleaved_write_frame(rawOut, encoded.get()), "write " + out);
        }
    };

    auto writeAudio = [&](AVPacket* p) {
        // Audio keeps its place against the video: both are shifted by the same base.
        const double baseSeconds = double(d->firstPts) * av_q2d(vtb) + base;
        const int64_t shift = int64_t(std::llround(baseSeconds / av_q2d(atb)));
        const int64_t ts = p->pts != AV_NOPTS_VALUE ? p->pts : p->dts;
        if (ts == AV_NOPTS_VALUE || ts < shift || double(ts) * av_q2d(atb) - baseSeconds + base >= end) {
            av_packet_unref(p);
            return;
        }
        if (p->pts != AV_NOPTS_VALUE)
            p->pts -= shift;
        if (p->dts != AV_NOPTS_VALUE)
            p->dts = std::max<int64_t>(p->dts - shift, 0);
        av_packet_rescale_ts(p, atb, oas->time_base);
        p->stream_index = oas->index;
        p->pos = -1;
        checkFfmpeg(av_interleaved_write_frame(rawOut, p), "write " + out);
    };

    auto handleFrame = [&](AVFrame* f) {
        const int64_t ts = f->best_effort_timestamp != AV_NOPTS_VALUE ? f->best_effort_timestamp : f->pts;
        if (ts == AV_NOPTS_VALUE)
            return;
        const double t = double(ts - d->firstPts) * av_q2d(vtb);
        // Keep the frame whose display interval holds the start, and those after it.
        if (t + frameDuration <= start + 1e-6)
            return;
        if (t >= end - 1e-6) {
            pastEnd = true;
            return;
        }
        if (!haveBase) {
            haveBase = true;
            base = t;
            for (AVPacket* p : heldAudio) {
                writeAudio(p);
                av_packet_free(&p);
            }
            heldAudio.clear();
        }
        AVFrame* picture = f;
        if (src.rotation) {
            if (!isPlanar420(f->format)) {
                // Rotation works on 4:2:0 planes: convert first.
                if (!scaled || scaled->width != f->width || scaled->height != f->height)
                    scaled = allocateFrame(f->width, f->height, AV_PIX_FMT_YUV420P);
                checkFfmpeg(av_frame_make_writable(scaled.get()), "av_frame_make_writable");
                ff::Sws convert(sws_getContext(f->width, f->height, AVPixelFormat(f->format), f->width, f->height,
                                               AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr));
                if (!convert)
                    throw MediaError("cannot convert the picture format");
                sws_scale(convert.get(), f->data, f->linesize, 0, f->height, scaled->data, scaled->linesize);
                picture = scaled.get();
            }
            const bool sideways = src.rotation != 180;
            const int w = sideways ? picture->height : picture->width;
            const int h = sideways ? picture->width : picture->height;
            if (!upright || upright->width != w || upright->height != h)
                upright = allocateFrame(w, h, AVPixelFormat(picture->format));
            checkFfmpeg(av_frame_make_writable(upright.get()), "av_frame_make_writable");
            rotatePlanes(picture, upright.get(), src.rotation);
            upright->color_range = f->color_range;
            picture = upright.get();
        }
        AVFrame* target;
        const int evenW = picture->width & ~1, evenH = picture->height & ~1;
        if (isPlanar420(picture->format) && picture->width == e->width && picture->height == e->height) {
            // The size already fits: encode the decoded picture, copied only if overlays write into it.
            if (hooks.overlays)
                hooks.overlays(t, overlays);
            if (!overlays.empty())
                checkFfmpeg(av_frame_make_writable(picture), "av_frame_make_writable");
            target = picture;
        } else {
            if (!sws || swsW != evenW || swsH != evenH || swsFormat != picture->format) {
                // Cropping to even size and scaling in one pass: only evenW × evenH are read.
                // Full-range 4:2:0 is scaled as is: the encoder is told its range.
                const AVPixelFormat from =
                    picture->format == AV_PIX_FMT_YUVJ420P ? AV_PIX_FMT_YUV420P : AVPixelFormat(picture->format);
                sws.reset(sws_getContext(evenW, evenH, from, e->width, e->height,
                                         AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr));
                if (!sws)
                    throw MediaError("cannot scale the picture");
                swsW = evenW;
                swsH = evenH;
                swsFormat = picture->format;
            }
            if (!scaled || scaled->width != e->width || scaled->height != e->height || picture == scaled.get())
                scaled = allocateFrame(e->width, e->height, AV_PIX_FMT_YUV420P);
            checkFfmpeg(av_frame_make_writable(scaled.get()), "av_frame_make_writable");
            sws_scale(sws.get(), picture->data, picture->linesize, 0, evenH, scaled->data, scaled->linesize);
            if (hooks.overlays)
                hooks.overlays(t, overlays);
            target = scaled.get();
        }
        for (const YuvOverlay* overlay : overlays)
            if (overlay)
                overlay->blendInto(planesOf(target));
        overlays.clear();
        int64_t pts = std::llround((t - base) / av_q2d(outputTimeBase));
        if (lastPts != AV_NOPTS_VALUE && pts <= lastPts)
            pts = lastPts + 1;
        lastPts = pts;
        target->pts = pts;
        target->pict_type = AV_PICTURE_TYPE_NONE;
        target->format = e->pix_fmt;
        checkFfmpeg(avcodec_send_frame(e, target), "encode");
        writeEncoded();
        if (hooks.frameWritten)
            hooks.frameWritten(written, t);
        ++written;
        if (hooks.progress)
            hooks.progress(t - base);
    };

    auto receiveFrames = [&] {
        for (;;) {
            const int rc = avcodec_receive_frame(decoder.get(), decoded.get());
            if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
                return;
            if (rc == AVERROR_INVALIDDATA)
                continue; // a damaged frame: skip it
            checkFfmpeg(rc, "decode");
            handleFrame(decoded.get());
            av_frame_unref(decoded.get());
            if (pastEnd)
                return;
        }
    };

    while (!pastEnd) {
        if (cancelled())
            throw TranscodeCancelled();
        const int rc = av_read_frame(in, packet.get());
        if (rc < 0)
            break; // the end, or a damaged tail: export what was readable
        if (packet->stream_index == d->videoIndex) {
            const int sent = avcodec_send_packet(decoder.get(), packet.get());
            av_packet_unref(packet.get());
            if (sent < 0 && sent != AVERROR_INVALIDDATA && sent != AVERROR(EAGAIN))
                checkFfmpeg(sent, "decode");
            receiveFrames();
        } else if (oas && packet->stream_index == d->audioIndex) {
            if (haveBase) {
                writeAudio(packet.get());
            } else if (heldAudio.size() < 4096) {
                heldAudio.push_back(av_packet_clone(packet.get()));
            }
            av_packet_unref(packet.get());
        } else {
            av_packet_unref(packet.get());
        }
    }
    if (!pastEnd) {
        avcodec_send_packet(decoder.get(), nullptr);
        receiveFrames();
    }
    if (cancelled())
        throw TranscodeCancelled();
    if (written == 0)
        throw MediaError("no video frame could be read in the chosen range");
    const int flushed = avcodec_send_frame(e, nullptr);
    if (flushed != AVERROR_EOF)
        checkFfmpeg(flushed, "encode");
    writeEncoded();
    checkFfmpeg(av_write_trailer(rawOut), "write " + out);
    checkFfmpeg(avio_closep(&rawOut->pb), "close " + out);
}

} // namespace orvane::media
