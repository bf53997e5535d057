#include "Mp4Muxer.h"

#include "FfmpegHandles.h"
#include "MediaError.h"
#include "VideoEncoderImpl.h"

namespace orvane::media {

struct Mp4Muxer::Impl {
    ff::OutputFormat format;
    AVStream* stream = nullptr;
    AVRational encoderTimeBase{1, cameraFrameRate};
    AVRational frameLength{1, cameraFrameRate}; // one frame at the nominal rate, in seconds
    ff::Packet packet;
    bool finished = false;
};

Mp4Muxer::Mp4Muxer(const std::string& path, const VideoEncoder& encoder, bool indexFirst)
    : d(std::make_unique<Impl>()) {
    AVFormatContext* raw = nullptr;
    checkFfmpeg(avformat_alloc_output_context2(&raw, nullptr, "mp4", path.c_str()), "create " + path);
    d->format.reset(raw);
    d->stream = avformat_new_stream(raw, nullptr);
    if (!d->stream)
        throw MediaError("avformat_new_stream: out of memory");
    const AVCodecContext* c = encoder.d->context.get();
    checkFfmpeg(avcodec_parameters_from_context(d->stream->codecpar, c), "stream parameters");
    d->encoderTimeBase = c->time_base;
    d->frameLength = av_inv_q(c->framerate);
    d->stream->time_base = c->time_base;
    d->stream->avg_frame_rate = c->framerate;
    checkFfmpeg(avio_open(&raw->pb, path.c_str(), AVIO_FLAG_WRITE), "open " + path);
    AVDictionary* options = nullptr;
    if (indexFirst)
        av_dict_set(&options, "movflags", "+faststart", 0);
    const int written = avformat_write_header(raw, &options);
    av_dict_free(&options);
    checkFfmpeg(written, "write header " + path);
    d->packet = ff::makePacket();
}

Mp4Muxer::~Mp4Muxer() = default;

void Mp4Muxer::write(const EncodedPacket& packet) {
    AVPacket* p = d->packet.get();
    checkFfmpeg(av_new_packet(p, int(packet.data.size())), "av_new_packet");
    std::copy(packet.data.begin(), packet.data.end(), p->data);
    p->pts = av_rescale_q(packet.pts, d->encoderTimeBase, d->stream->time_base);
    p->dts = av_rescale_q(packet.dts, d->encoderTimeBase, d->stream->time_base);
    p->duration = av_rescale_q(1, d->frameLength, d->stream->time_base);
    p->stream_index = d->stream->index;
    if (packet.keyFrame)
        p->flags |= AV_PKT_FLAG_KEY;
    int rc = av_interleaved_write_frame(d->format.get(), p);
    av_packet_unref(p);
    checkFfmpeg(rc, "write packet");
}

void Mp4Muxer::finish() {
    if (d->finished)
        return;
    d->finished = true;
    checkFfmpeg(av_write_trailer(d->format.get()), "write trailer");
}

} // namespace orvane::media
