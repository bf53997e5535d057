#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orvane::media {

// One compressed video frame as stored: enough to recognise the same frame in another file
// made by stream copy, and to know when it is shown.
struct VideoPacketSummary {
    double time = 0;   // presentation time in seconds (stream clock)
    bool keyFrame = false;
    uint64_t hash = 0; // of the packet's bytes
    int size = 0;
};

struct VideoPacketList {
    double firstTime = 0; // presentation time of the earliest frame
    double duration = 0;  // the container's duration in seconds (0 when unknown)
    double videoDuration = 0; // the video stream's length by its index, else the container's
    std::vector<VideoPacketSummary> packets; // in presentation order

    // The frames stop well before the index says the video ends: the file was cut short
    // after its index was written (or lost packets on the way).
    bool endsEarly() const;
};

// Reads the first video stream's packets without decoding. Throws MediaError when the file
// does not open or has no video. `path` holds the file system's bytes.
VideoPacketList scanVideoPackets(const std::string& path);

} // namespace orvane::media
