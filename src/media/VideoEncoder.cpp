#include "VideoEncoder.h"

#include "EncoderSetup.h"
#include "MediaError.h"
#include "VideoEncoderImpl.h"

#include <cstring>

namespace orvane::media {

VideoEncoder::VideoEncoder(const VideoEncoderSettings& settings) : d(std::make_unique<Impl>()) {
    d->settings = settings;
    EncoderSetup setup;
    setup.codec = settings.codec;
    setup.width = settings.width;
    setup.height = settings.height;
    setup.timeBase =
        AVRational{1, settings.ticksPerSecond > 0 ? settings.ticksPerSecond : settings.framesPerSecond};
    setup.frameRate = AVRational{settings.framesPerSecond, 1};
    setup.bitRate = settings.bitRate;
    setup.keyFrameInterval = settings.keyFrameInterval;
    setup.preset = settings.preset;
    setup.threads = settings.threads;
    d->context = openEncoder(setup);
    d->frame = ff::makeFrame();
    d->frame->format = AV_PIX_FMT_YUV420P;
    d->frame->width = settings.width;
    d->frame->height = settings.height;
    checkFfmpeg(av_frame_get_buffer(d->frame.get(), 0), "av_frame_get_buffer");
    d->packet = ff::makePacket();
}

VideoEncoder::~VideoEncoder() = default;

const VideoEncoderSettings& VideoEncoder::settings() const {
    return d->settings;
}

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

void VideoEncoder::encode(const YuvImage& image, int64_t pts, std::vector<EncodedPacket>& out) {
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
    f->pts = pts;
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
