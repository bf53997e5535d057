#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

namespace orvane::media {

// The cars record 36 frames a second: the rate assumed for a file that does not give its own.
inline constexpr int cameraFrameRate = 36;

// What a file's container header says about it and its first video stream.
struct MediaInfo {
    double duration = 0; // container duration in seconds
    int width = 0;       // coded size of the first video stream, before rotation; 0 without video
    int height = 0;
    int rotation = 0;         // clockwise degrees (0, 90, 180, 270) that make the picture upright
    double frameRate = 0;     // nominal (average) frame rate; 0 when unknown
    double frameDuration = 0; // seconds one frame is shown: 1 / frameRate, else a guess
    int64_t bitRate = 0;      // stream bit rate, else file size × 8 / duration; 0 when unknown
    bool hasAudio = false;
};

// Whether video that should run until `expectedEnd` but stops at `actualEnd` (seconds) is
// missing part of itself, beyond the rounding of its last frame's length.
bool endsEarly(double expectedEnd, double actualEnd, double frameDuration);

namespace MediaProbe {

// Reads the container header only (nothing is decoded). Throws MediaError when the file does
// not open (missing, empty, cut off before its index) or has no positive, finite duration.
MediaInfo probe(const QString& path);

// The container duration, or nothing where probe() would fail.
std::optional<double> duration(const QString& path);

// When each video frame is shown, in seconds from the first, read from the container's index
// without decoding (cars record at 36, 33, 30.01 or 24.08 frames a second, not always evenly).
// Empty when the index does not give them: none, or frames stored out of display order.
std::vector<double> frameTimes(const QString& path);

} // namespace MediaProbe
} // namespace orvane::media
