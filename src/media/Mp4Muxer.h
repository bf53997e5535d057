#pragma once

#include "EncodedPacket.h"

#include <memory>
#include <string>

namespace orvane::media {

class VideoEncoder;

// Writes one video stream into an MP4 file. Packets arrive as Annex B and are stored
// length-prefixed, as cameras and players expect.
class Mp4Muxer {
public:
    // Opens `path` for writing and declares the encoder's stream; throws MediaError. With
    // `indexFirst` the index is moved before the media data when the file is finished.
    Mp4Muxer(const std::string& path, const VideoEncoder& encoder, bool indexFirst = false);
    ~Mp4Muxer();
    Mp4Muxer(const Mp4Muxer&) = delete;
    Mp4Muxer& operator=(const Mp4Muxer&) = delete;

    void write(const EncodedPacket& packet);
    // Writes the index (moov). A muxer destroyed without finish() leaves an unfinished file.
    void finish();

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

} // namespace orvane::media
