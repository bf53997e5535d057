#include "VideoEncoder.h"

#include "FfmpegHandles.h"
#include "MediaError.h"
#include "VideoEncoderImpl.h"

extern "C" {
#include <libavutil/opt.h>
}

#include <cstring>

namespace orvane::media {

VideoEncoder::VideoEncoder(const VideoEncoderSettings& settings) : d(std::make_unique<Impl>()) {
    ff::initialize();
    d->settings = settings;
    if (settings.width <= 0 || settings.height <= 0 || settings.width % 2 || settings.height % 2)
        throw MediaError("encoder: picture size must be positive and even");
    const bool hevc = settings.codec == VideoCodec::HEVC;
    const char* name = hevc ? "libx265" : "libx264";
    const AVCodec* codec = avcodec_find_encoder_by_name(name);
    if (!codec)
        throw MediaError(std::string("encoder not available: ") + name);
    d->context.reset(avcodec_alloc_context3(codec));
    if (!d->context)
        throw MediaError("avcodec_alloc_context3: out of memory");
    AVCodecContext* c = d->context.get();
    c->width = settings.width;
    c->height = settings.height;
    c->pix_fmt = AV_PIX_FMT_YUV420P;
    c->time_base = AVRational{1, settings.framesPerSecond};
    c->framerate = AVRational{settings.framesPerSecond, 1};
    c->bit_rate = settings.bitRate;
    c->gop_size = settings.keyFrameInterval;
    c->keyint_min = settings.keyFrameInterval;
    c->max_b_frames = 0;
    c->thread_count = settings.threads;
    c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER; // MP4 keeps parameter sets in the sample entry

    ff::Options options;
    options.set("preset", settings.preset.c_str());
    const std::string keyint = std::to_string(settings.keyFrameInterval);
    std::string params;
    if (hevc) {
        options.set("profile", "main");
        params = "bframes=0:scenecut=0:keyint=" + keyint + ":min-keyint=" + keyint + ":log-level=error";
        options.set("x265-params", params.c_str());
    } else {
        // ultrafast alone switches CABAC and 8x8 transforms off (Constrained Baseline).
        options.set("profile", "high");
        options.set("coder", "1");
        params = "8x8dct=1:bframes=0:scenecut=0:keyint=" + keyint + ":min-keyint=" + keyint;
        options.set("x264-params", params.c_str());
    }
    checkFfmpeg(avcodec_open2(c, codec, options.get()), std::string("open ") + name);
    d->frame = ff::makeFrame();
    d->frame->format = AV_PIX_FMT_YUV420P;
    d->frame->width = settings.width;
    d->frame->height = settings.height;
    checkFfmpeg(av_frame_get_buffer(d->frame.get(), 0), "av_frame_get_buffer");
    d->packet = ff::makePacket();
}

VideoEncoder::~VideoEncoder() = default;

const VideoEncoderSettings& VideoEncoder::settings() const { return d->settings; }

void VideoEncoder::Impl::receive(std::vector<EncodedPacket>& out) {
    for (;;) {
        int rc = avcodec_receive_packet(context.get(), packet.get());
        if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
            return;
        checkFfmpeg(rc, "encode");
        EncodedPacket p;
        p.data.assign(packet->data, packet->data + packet->size);
        p.pts = packet->pts;
        p.dts = packet->dts;
        p.keyFrame = packet->flags & AV_PKT_FLAG_KEY;
        out.push_back(std::move(p));
        av_packet_unref(packet.get());
    }
}

void VideoEncoder::encode(const YuvImage& image, int64_t frameIndex, std::vector<EncodedPacket>& out) {
    if (image.width != d->settings.width || image.height != d->settings.height)
        throw MediaError("encoder: picture size does not match the stream");
    AVFrame* f = d->frame.get();
    checkFfmpeg(av_frame_make_writable(f), "av_frame_make_writable");
    auto copyPlane = [](uint8_t* dst, int dstStride, const uint8_t* src, int width, int height) {
        for (int row = 0; row < height; ++row)
            std::memcpy(dst + size_t(row) * dstStride, src + size_t(row) * width, width);
    };
    copyPlane(f->data[0], f->linesize[0], image.y.data(), image.width, image.height);
    copyPlane(f->data[1], f->linesize[1], image.u.data(), image.chromaWidth(), image.chromaHeight());
    copyPlane(f->data[2], f->linesize[2], image.v.data(), image.chromaWidth(), image.chromaHeight());
    f->pts = frameIndex;
    checkFfmpeg(avcodec_send_frame(d->context.get(), f), "encode");
    d->receive(out);
}

void VideoEncoder::flush(std::vector<EncodedPacket>& out) {
    int rc = avcodec_send_frame(d->context.get(), nullptr);
    if (rc != AVERROR_EOF)
        checkFfmpeg(rc, "encode");
    d->receive(out);
}

} // namespace orvane::media
