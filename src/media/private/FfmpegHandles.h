#pragma once

// RAII owners of FFmpeg objects. Internal to src/media: only media .cpp files include this.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include <memory>

namespace orvane::media::ff {

// Frees an I/O context of our own (one that decrypts) with what it reads; FFmpeg leaves those
// to their owner.
void releaseCustomInput(AVIOContext* io);

struct FormatInputDeleter {
    void operator()(AVFormatContext* c) const {
        AVIOContext* custom = c && (c->flags & AVFMT_FLAG_CUSTOM_IO) ? c->pb : nullptr;
        avformat_close_input(&c);
        releaseCustomInput(custom);
    }
};
struct FormatOutputDeleter {
    void operator()(AVFormatContext* c) const {
        if (!c)
            return;
        if (c->pb && !(c->oformat->flags & AVFMT_NOFILE))
            avio_closep(&c->pb);
        avformat_free_context(c);
    }
};
struct CodecContextDeleter {
    void operator()(AVCodecContext* c) const { avcodec_free_context(&c); }
};
struct FrameDeleter {
    void operator()(AVFrame* f) const { av_frame_free(&f); }
};
struct PacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct SwsDeleter {
    void operator()(SwsContext* s) const { sws_freeContext(s); }
};
struct DictionaryDeleter {
    void operator()(AVDictionary* d) const { av_dict_free(&d); }
};

using InputFormat = std::unique_ptr<AVFormatContext, FormatInputDeleter>;
using OutputFormat = std::unique_ptr<AVFormatContext, FormatOutputDeleter>;
using CodecContext = std::unique_ptr<AVCodecContext, CodecContextDeleter>;
using Frame = std::unique_ptr<AVFrame, FrameDeleter>;
using Packet = std::unique_ptr<AVPacket, PacketDeleter>;
using Sws = std::unique_ptr<SwsContext, SwsDeleter>;

// Silences FFmpeg's console logging (failures reach callers as MediaError); called by every
// entry point of the layer.
void initialize();

Frame makeFrame();
Packet makePacket();

// Owns an AVDictionary built up for one open call; FFmpeg consumes what it recognises.
class Options {
public:
    Options() = default;
    Options(const Options&) = delete;
    Options& operator=(const Options&) = delete;
    ~Options() { av_dict_free(&dict_); }
    void set(const char* key, const char* value) { av_dict_set(&dict_, key, value, 0); }
    AVDictionary** get() { return &dict_; }

private:
    AVDictionary* dict_ = nullptr;
};

} // namespace orvane::media::ff
