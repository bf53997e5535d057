#include "EncoderSetup.h"

#include "MediaError.h"

extern "C" {
#include <libavutil/hwcontext.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

#include <QDir>
#include <QFile>
#include <algorithm>

namespace orvane::media {

namespace {

using HardwareEncoding::Path;

// VA-API surfaces kept for the encoder's reference and queued pictures.
constexpr int vaapiSurfaces = 20;
// NVENC's middle preset: faster than the software presets at our bit rates, still transparent.
constexpr const char* nvencPreset = "p4";

const AVCodec* findEncoder(const std::string& name) {
    const AVCodec* codec = avcodec_find_encoder_by_name(name.c_str());
    if (!codec)
        throw MediaError("encoder not available: " + name);
    return codec;
}

// The fields every encoder shares: size, timing, rate, a fixed key-frame interval, no B-frames.
ff::CodecContext allocateContext(const AVCodec* codec, const EncoderSetup& setup) {
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
    return context;
}

void softwareOptions(const EncoderSetup& setup, ff::Options& options) {
    const std::string keyint = std::to_string(std::max(setup.keyFrameInterval, 1));
    const std::string fixedKeyFrames = "bframes=0:scenecut=0:keyint=" + keyint + ":min-keyint=" + keyint;
    options.set("preset", setup.preset.c_str());
    if (setup.codec == VideoCodec::HEVC) {
        options.set("profile", "main");
        options.set("x265-params", (fixedKeyFrames + ":log-level=error").c_str());
    } else {
        // Fast presets alone switch CABAC and 8x8 transforms off (Constrained Baseline).
        options.set("profile", "high");
        options.set("coder", "1");
        options.set("x264-params", ("8x8dct=1:" + fixedKeyFrames).c_str());
    }
}

void hardwareOptions(Path path, const EncoderSetup& setup, AVCodecContext* c, ff::Options& options) {
    const bool hevc = setup.codec == VideoCodec::HEVC;
    c->profile = hevc ? FF_PROFILE_HEVC_MAIN : FF_PROFILE_H264_HIGH;
    if (path == Path::nvenc) {
        c->pix_fmt = AV_PIX_FMT_YUV420P;
        options.set("preset", nvencPreset);
        options.set("rc", "vbr");
        options.set("no-scenecut", "1");
        options.set("strict_gop", "1");
    }
}

// The first render node, where VA-API encodes.
QByteArray renderNode() {
    const QDir dri(QStringLiteral("/dev/dri"));
    const QStringList nodes =
        dri.entryList({QStringLiteral("renderD*")}, QDir::System | QDir::Files, QDir::Name);
    if (nodes.isEmpty())
        throw MediaError("no render node for VA-API");
    return QFile::encodeName(dri.filePath(nodes.front()));
}

// Surfaces on the render node for the encoder; the encoder holds its own reference.
AVBufferRef* vaapiFrames(AVCodecContext* c) {
    AVBufferRef* device = nullptr;
    checkFfmpeg(av_hwdevice_ctx_create(&device, AV_HWDEVICE_TYPE_VAAPI, renderNode().constData(), nullptr, 0),
                "open VA-API device");
    AVBufferRef* frames = av_hwframe_ctx_alloc(device);
    av_buffer_unref(&device);
    if (!frames)
        throw MediaError("av_hwframe_ctx_alloc: out of memory");
    auto* fc = reinterpret_cast<AVHWFramesContext*>(frames->data);
    fc->format = AV_PIX_FMT_VAAPI;
    fc->sw_format = AV_PIX_FMT_NV12;
    fc->width = c->width;
    fc->height = c->height;
    fc->initial_pool_size = vaapiSurfaces;
    if (const int rc = av_hwframe_ctx_init(frames); rc < 0) {
        av_buffer_unref(&frames);
        checkFfmpeg(rc, "VA-API surfaces");
    }
    c->pix_fmt = AV_PIX_FMT_VAAPI;
    c->hw_frames_ctx = av_buffer_ref(frames);
    return frames;
}

} // namespace

ff::CodecContext openEncoder(const EncoderSetup& setup, const std::function<void(AVCodecContext*)>& adjust) {
    ff::initialize();
    if (setup.width <= 0 || setup.height <= 0 || setup.width % 2 || setup.height % 2)
        throw MediaError("encoder: picture size must be positive and even");
    const std::string name = HardwareEncoding::encoderName(Path::software, setup.codec);
    const AVCodec* codec = findEncoder(name);
    ff::CodecContext context = allocateContext(codec, setup);
    if (adjust)
        adjust(context.get());
    ff::Options options;
    softwareOptions(setup, options);
    checkFfmpeg(avcodec_open2(context.get(), codec, options.get()), "open " + name);
    return context;
}

ExportEncoder::ExportEncoder(const EncoderSetup& setup, const std::function<void(AVCodecContext*)>& adjust)
    : codec_(setup.codec) {
    for (Path path : HardwareEncoding::candidates(setup.codec)) {
        if (path == Path::software) {
            context_ = openEncoder(setup, adjust);
            path_ = path;
            HardwareEncoding::noteChosen(path, codec_);
            return;
        }
        try {
            if (const auto standIn = HardwareEncoding::standInFor(path)) {
                if (standIn->failOpen)
                    throw MediaError("the stand-in does not open");
                context_ = openEncoder(setup, adjust); // the software encoder in its place
            } else {
                const std::string name = HardwareEncoding::encoderName(path, setup.codec);
                const AVCodec* codec = findEncoder(name);
                context_ = allocateContext(codec, setup);
                if (adjust)
                    adjust(context_.get());
                ff::Options options;
                hardwareOptions(path, setup, context_.get(), options);
                if (path == Path::vaapi)
                    frames_ = vaapiFrames(context_.get());
                checkFfmpeg(avcodec_open2(context_.get(), codec, options.get()), "open " + name);
            }
            path_ = path;
            HardwareEncoding::noteChosen(path, codec_);
            return;
        } catch (const MediaError& e) {
            context_.reset();
            av_buffer_unref(&frames_);
            HardwareEncoding::noteFailed(path, codec_, e.what());
        }
    }
}

ExportEncoder::~ExportEncoder() {
    context_.reset();
    av_buffer_unref(&frames_);
}

void ExportEncoder::hardwareFailed(const std::string& what, int code) {
    const std::string reason = what + ": " + ffmpegErrorText(code);
    HardwareEncoding::noteFailed(path_, codec_, reason);
    throw HardwareEncoderFailed(reason);
}

void ExportEncoder::send(AVFrame* picture) {
    const bool hardware = path_ != Path::software;
    if (hardware && picture) {
        if (const auto standIn = HardwareEncoding::standInFor(path_);
            standIn && standIn->failAtFrame >= 0 && sent_ >= standIn->failAtFrame)
            hardwareFailed("the stand-in stops encoding", AVERROR_EXTERNAL);
    }
    AVFrame* input = picture;
    if (picture && !frames_)
        picture->format = context_->pix_fmt; // full range is told by the format for libx264
    if (frames_ && picture) {
        if (!nv12_ || nv12_->width != picture->width || nv12_->height != picture->height) {
            nv12_ = ff::makeFrame();
            nv12_->format = AV_PIX_FMT_NV12;
            nv12_->width = picture->width;
            nv12_->height = picture->height;
            if (const int rc = av_frame_get_buffer(nv12_.get(), 0); rc < 0)
                hardwareFailed("av_frame_get_buffer", rc);
            toNv12_.reset(sws_getContext(picture->width, picture->height, AV_PIX_FMT_YUV420P, picture->width,
                                         picture->height, AV_PIX_FMT_NV12, SWS_POINT, nullptr, nullptr,
                                         nullptr));
        }
        if (!toNv12_)
            hardwareFailed("sws_getContext", AVERROR(EINVAL));
        sws_scale(toNv12_.get(), picture->data, picture->linesize, 0, picture->height, nv12_->data,
                  nv12_->linesize);
        surface_ = ff::makeFrame();
        int rc = av_hwframe_get_buffer(frames_, surface_.get(), 0);
        if (rc >= 0)
            rc = av_hwframe_transfer_data(surface_.get(), nv12_.get(), 0);
        if (rc < 0)
            hardwareFailed("upload to VA-API", rc);
        surface_->pts = picture->pts;
        input = surface_.get();
    }
    const int rc = avcodec_send_frame(context_.get(), input);
    if (rc < 0 && !(rc == AVERROR_EOF && !picture)) {
        if (hardware)
            hardwareFailed("encode", rc);
        checkFfmpeg(rc, "encode");
    }
    sent_ += picture != nullptr;
}

bool ExportEncoder::receive(AVPacket* packet) {
    const int rc = avcodec_receive_packet(context_.get(), packet);
    if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
        return false;
    if (rc < 0 && path_ != Path::software)
        hardwareFailed("encode", rc);
    checkFfmpeg(rc, "encode");
    return true;
}

} // namespace orvane::media
