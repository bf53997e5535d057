#pragma once

// Internal: the encoder's FFmpeg state, shared with the muxer that declares its stream.

#include "FfmpegHandles.h"
#include "VideoEncoder.h"

namespace orvane::media {

struct VideoEncoder::Impl {
    VideoEncoderSettings settings;
    ff::CodecContext context;
    ff::Frame frame;
    ff::Packet packet;

    void receive(std::vector<EncodedPacket>& out);
};

} // namespace orvane::media
