#pragma once

// The one x264/x265 set-up of the application (sample clips, exports), internal to src/media.
// Any thread may open an encoder; the encoder then belongs to the thread that uses it.

#include "FfmpegHandles.h"
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
    int64_t bitRate = 0;         // average bits per second
    int keyFrameInterval = cameraFrameRate;
    std::string preset;          // the x264/x265 preset name
    std::optional<int> threads;  // none: the encoder's own default (libx264: as many as fit); 0: let it choose
};

// Opens libx264 (H.264 High with CABAC and 8×8 transforms) or libx265 (HEVC Main): no
// B-frames, a key frame every keyFrameInterval frames and never elsewhere (no scene cuts), and
// parameter sets in the stream header as MP4 wants them. `adjust` may set more fields (colour
// description) before the encoder opens. Throws MediaError.
ff::CodecContext openEncoder(const EncoderSetup& setup, const std::function<void(AVCodecContext*)>& adjust = {});

} // namespace orvane::media
