#pragma once

#include "EncodedPacket.h"
#include "MediaProbe.h"
#include "YuvImage.h"

#include <memory>
#include <string>
#include <vector>

namespace orvane::media {

enum class VideoCodec { H264, HEVC };

struct VideoEncoderSettings {
    VideoCodec codec = VideoCodec::H264;
    int width = 0;
    int height = 0;
    int framesPerSecond = cameraFrameRate;
    // Timestamps count these ticks a second (0: one tick per frame): pictures then may come at
    // any pace, as some cars record them.
    int ticksPerSecond = 0;
    int64_t bitRate = 5'000'000;            // average bits per second
    int keyFrameInterval = cameraFrameRate; // frames between key frames; also the minimum
    std::string preset = "ultrafast";
    int threads = 0; // 0: let the encoder choose
};

// A libx264 (H.264 High, CABAC) or libx265 (HEVC Main) encoder with no B-frames and a fixed
// key-frame interval. Output packets are Annex B so callers can add or drop NAL units.
class VideoEncoder {
public:
    explicit VideoEncoder(const VideoEncoderSettings& settings);
    ~VideoEncoder();
    VideoEncoder(const VideoEncoder&) = delete;
    VideoEncoder& operator=(const VideoEncoder&) = delete;

    // Encodes one picture presented at `pts` (in ticks, increasing); appends finished packets.
    void encode(const YuvImage& image, int64_t pts, std::vector<EncodedPacket>& out);
    // Drains the encoder at the end of the stream.
    void flush(std::vector<EncodedPacket>& out);

    const VideoEncoderSettings& settings() const;

private:
    friend class Mp4Muxer;
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace orvane::media
