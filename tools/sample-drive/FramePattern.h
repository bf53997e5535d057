#pragma once

#include <cstdint>
#include <optional>

namespace orvane::sample {

// A row of blocks near the top-left corner of every frame that encodes the frame's index in
// its file and its camera. Block geometry is relative to the picture, so the pattern still
// reads after scaling (exports, grid cells, thumbnails).
struct FramePattern {
    int frameIndex = 0; // 0 … 65535
    int cameraIndex = 0; // 0 … 7

    static constexpr int frameBits = 16;
    static constexpr int cameraBits = 3;
    static constexpr int blockCount = 2 + cameraBits + frameBits; // start + payload + end

    // Draws into a luma plane.
    void draw(uint8_t* luma, int stride, int width, int height) const;
    // Reads a luma plane; nothing when the start/end markers are not there.
    static std::optional<FramePattern> read(const uint8_t* luma, int stride, int width, int height);

    bool operator==(const FramePattern&) const = default;
};

} // namespace orvane::sample
