#pragma once

// Media-internal access to a VideoDecoder's FFmpeg objects (for the player and the exporter).

#include "FfmpegHandles.h"
#include "MediaProbe.h"
#include "RegularFile.h"
#include "VideoDecoder.h"

#include <functional>
#include <vector>

namespace orvane::media {

// Opens `path` for reading (no stream-info probing, which would decode): the one place clips
// are opened. Throws EncryptedClipError, ClipStubError or MediaError.
ff::InputFormat openInput(const QString& path);
// Opens the car's container open as `file` through a reader that decrypts the pages FFmpeg asks
// for, with the key ring's key. Throws UnreadableMediaError (the container's problem in the
// user's words) or MediaError.
ff::InputFormat openDecryptingInput(FileHandle file, const QString& path);
// Fills `info` from an opened container; `videoIndex` may be negative (no video).
MediaInfo describe(AVFormatContext* format, int videoIndex);
// Clockwise degrees (0, 90, 180, 270) that turn the stream's pictures upright: its display
// matrix snapped to a quarter turn; 0 without a usable matrix.
int displayRotation(const AVStream* stream);
// The key frames the container's index lists for `stream`, in seconds after `firstPts`, ascending
// (empty without an index).
std::vector<double> keyFrameTimes(AVFormatContext* input, int stream, int64_t firstPts);
// When a packet is shown, in its stream's ticks: its presentation time, else its decoding time
// (AV_NOPTS_VALUE when it carries neither).
inline int64_t packetTimestamp(const AVPacket& packet) {
    return packet.pts != AV_NOPTS_VALUE ? packet.pts : packet.dts;
}

struct VideoDecoderAccess {
    // The current frame (valid until the decoder moves on); null before the first frame.
    static const AVFrame* frame(const VideoDecoder& decoder);
    static AVFormatContext* format(const VideoDecoder& decoder);
    // For settings that may change between frames (skip_loop_filter).
    static AVCodecContext* codec(VideoDecoder& decoder);
    static AVStream* stream(const VideoDecoder& decoder);
    // The stream timestamp that is time 0.
    static int64_t startTimestamp(const VideoDecoder& decoder);
    // Called with every packet of another stream (audio to copy) that the decoder reads past;
    // the packet is released after the call.
    static void setOtherPacketHandler(VideoDecoder& decoder, std::function<void(AVPacket*)> handler);
};

} // namespace orvane::media
