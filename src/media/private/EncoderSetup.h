#pragma once

// The one x264/x265 set-up of the application (sample clips, exports), internal to src/media.
// Any thread may open an encoder; the encoder then belongs to the thread that uses it.

#include "FfmpegHandles.h"
#include "HardwareEncoding.h"
#include "VideoEncoder.h"

#include <functional>
#include <optional>
#include <string>

namespace orvane::media {

struct EncoderSetup {
    VideoCodec codec = VideoCodec::H264;
    int width = 0; // even
    int height = 0;
    AVPixelFormat pixelFormat = AV_PIX_FMT_YUV420P;
    AVRational timeBase{1, cameraFrameRate};
    AVRational frameRate{cameraFrameRate, 1};
    int64_t bitRate = 0; // average bits per second
    int keyFrameInterval = cameraFrameRate;
    std::string preset;         // the x264/x265 preset name
    std::optional<int> threads; // none: the encoder's own default (libx264: as many as fit); 0: let it choose
};

// Opens libx264 (H.264 High with CABAC and 8×8 transforms) or libx265 (HEVC Main): no
// B-frames, a key frame every keyFrameInterval frames and never elsewhere (no scene cuts), and
// parameter sets in the stream header as MP4 wants them. `adjust` may set more fields (colour
// description) before the encoder opens. Throws MediaError.
ff::CodecContext openEncoder(const EncoderSetup& setup,
                             const std::function<void(AVCodecContext*)>& adjust = {});

// An export's encoder: the first of HardwareEncoding::candidates that opens (a hardware one that
// does not is noted and skipped), and what its pictures need on the way in. Belongs to the
// thread that uses it.
class ExportEncoder {
public:
    // Throws MediaError when even the software encoder does not open.
    ExportEncoder(const EncoderSetup& setup, const std::function<void(AVCodecContext*)>& adjust);
    ~ExportEncoder();
    ExportEncoder(const ExportEncoder&) = delete;
    ExportEncoder& operator=(const ExportEncoder&) = delete;

    AVCodecContext* context() const { return context_.get(); }
    HardwareEncoding::Path path() const { return path_; }
    // Sends a 4:2:0 picture in memory (nullptr: the end); VA-API gets a copy on the device.
    // On a hardware path any failure is noted and thrown as HardwareEncoderFailed.
    void send(AVFrame* picture);
    // A finished packet into `packet`; false when none is ready. Failures as for send.
    bool receive(AVPacket* packet);

private:
    [[noreturn]] void hardwareFailed(const std::string& what, int code);

    ff::CodecContext context_;
    HardwareEncoding::Path path_ = HardwareEncoding::Path::software;
    VideoCodec codec_ = VideoCodec::H264;
    AVBufferRef* frames_ = nullptr; // VA-API surfaces
    ff::Frame nv12_;                // the picture in the surfaces' layout
    ff::Frame surface_;
    ff::Sws toNv12_;
    int64_t sent_ = 0;
};

} // namespace orvane::media
