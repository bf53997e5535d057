#include "HardwareDecoding.h"

#include "HardwareDevice.h"

#include <QCoreApplication>
#include <atomic>

extern "C" {
#include <libavutil/hwcontext.h>
}

namespace orvane::media {

namespace {

std::atomic<HardwareDecoding::Path> previewPath{HardwareDecoding::Path::none};

AVPixelFormat pickVaapi(AVCodecContext* codec, const AVPixelFormat* offered) {
    for (const AVPixelFormat* f = offered; *f != AV_PIX_FMT_NONE; ++f)
        if (*f == AV_PIX_FMT_VAAPI)
            return *f;
    // This stream cannot be decoded on the device: in software, as without one.
    return avcodec_default_get_format(codec, offered);
}

bool decodesOn(const AVCodec* decoder, AVHWDeviceType type) {
    for (int i = 0;; ++i) {
        const AVCodecHWConfig* config = avcodec_get_hw_config(decoder, i);
        if (!config)
            return false;
        if ((config->methods & AV_CODEC_HW_CONFIG_METHOD_HW_DEVICE_CTX) && config->device_type == type)
            return true;
    }
}

} // namespace

bool attachVaapiDevice(AVCodecContext* codec, const AVCodec* decoder, const QByteArray& device) {
    if (device.isEmpty() || !decodesOn(decoder, AV_HWDEVICE_TYPE_VAAPI))
        return false;
    AVBufferRef* context = nullptr;
    if (av_hwdevice_ctx_create(&context, AV_HWDEVICE_TYPE_VAAPI, device.constData(), nullptr, 0) < 0)
        return false;
    codec->hw_device_ctx = context; // the codec owns it from here
    codec->get_format = pickVaapi;
    return true;
}

bool downloadHardwareFrame(AVFrame* frame) {
    if (frame->format != AV_PIX_FMT_VAAPI)
        return true;
    ff::Frame copy = ff::makeFrame();
    if (av_hwframe_transfer_data(copy.get(), frame, 0) < 0 || av_frame_copy_props(copy.get(), frame) < 0)
        return false;
    av_frame_unref(frame);
    av_frame_move_ref(frame, copy.get());
    return true;
}

namespace HardwareDecoding {

Path lastPreviewPath() {
    return previewPath.load();
}

void notePreviewPath(Path path) {
    previewPath.store(path);
}

QString describe(Path path) {
    switch (path) {
    case Path::vaapi:
        return QCoreApplication::translate("HardwareDecoding", "VA-API 硬件解码");
    case Path::software:
        return QCoreApplication::translate("HardwareDecoding", "软件解码");
    case Path::none:
        break;
    }
    return QCoreApplication::translate("HardwareDecoding", "尚未播放视频");
}

} // namespace HardwareDecoding

} // namespace orvane::media
