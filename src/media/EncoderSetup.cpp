#include "EncoderSetup.h"

#include "MediaError.h"

extern "C" {
#include <libavutil/opt.h>
}

#include <algorithm>

namespace orvane::media {

ff::CodecContext openEncoder(const EncoderSetup& setup, const std::function<void(AVCodecContext*)>& adjust) {
    ff::initialize();
    if (setup.width <= 0 || setup.height <= 0 || setup.width % 2 || setup.height % 2)
        throw MediaError("encoder: picture size must be positive and even");
    const bool hevc = setup.codec == VideoCodec::HEVC;
    const char* name = hevc ? "libx265" : "libx264";
    const AVCodec* codec = avcodec_find_encoder_by_name(name);
    if (!codec)
        throw MediaError(std::string("encoder not available: ") + name);
    ff::CodecContext context(avcodec_alloc_context3(codec));
    if (!context)
        throw MediaError("avcodec_alloc_context3: out of memory");
    AVCodecContext* c = context.get();
    const int keyint = std::max(setup.keyFrameInterval, 1);
    c->width = setup.width;
    c->height = setup.height;
    c->pix_fmt = setup.pixelFormat;
    c->time_base = setup.timeBase;
    c->framerate = setup.frameRate;
    c->bit_rate = setup.bitRate;
    c->gop_size = keyint;
    c->keyint_min = keyint;
    c->max_b_frames = 0;
    if (setup.threads)
        c->thread_count = *setup.threads;
    c->flags |= AV_CODEC_FLAG_GLOBAL_HEADER; // MP4 keeps parameter sets in the sample entry
    if (adjust)
        adjust(c);

    ff::Options options;
    options.set("preset", setup.preset.c_str());
    const std::string keyintText = std::to_string(keyint);
    const std::string fixedKeyFrames = "bframes=0:scenecut=0:keyint=" + keyintText + ":min-keyint=" + keyintText;
    std::string params;
    if (hevc) {
        options.set("profile", "main");
        params = fixedKeyFrames + ":log-level=error";
        options.set("x265-params", params.c_str());
    } else {
        // Fast presets alone switch CABAC and 8x8 transforms off (Constrained Baseline).
        options.set("profile", "high");
        options.set("coder", "1");
        params = "8x8dct=1:" + fixedKeyFrames;
        options.set("x264-params", params.c_str());
    }
    checkFfmpeg(avcodec_open2(c, codec, options.get()), std::string("open ") + name);
    return context;
}

} // namespace orvane::media
