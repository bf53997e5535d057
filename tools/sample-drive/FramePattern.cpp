#include "FramePattern.h"

#include <algorithm>

namespace orvane::sample {

namespace {

constexpr uint8_t white = 235;
constexpr uint8_t black = 16;

// Positions are fractions of the picture so that any scaling keeps them: block i spans
// [(1 + i) / 32, (2 + i) / 32) of the width, and the row [1 / 24, 2 / 24) of the height.
struct Geometry {
    int width, height;
    int left(int i) const { return int(double(1 + i) * width / 32); }
    int top() const { return height / 24; }
    int bottom() const { return (2 * height) / 24; }
    double centerX(int i) const { return (1.5 + i) * width / 32; }
    double centerY() const { return 1.5 * height / 24; }
};

// Block i's value: start marker, camera bits, frame bits (most significant first), end marker.
bool bitOf(const FramePattern& p, int i) {
    if (i == 0)
        return true;
    if (i == FramePattern::blockCount - 1)
        return false;
    if (i <= FramePattern::cameraBits)
        return (p.cameraIndex >> (FramePattern::cameraBits - i)) & 1;
    const int k = i - 1 - FramePattern::cameraBits;
    return (p.frameIndex >> (FramePattern::frameBits - 1 - k)) & 1;
}

} // namespace

void FramePattern::draw(uint8_t* luma, int stride, int width, int height) const {
    const Geometry g{width, height};
    const int margin = std::max(1, width / 64), marginY = std::max(1, height / 48);
    // A dark frame around the row keeps the first and last block readable after scaling.
    for (int y = std::max(0, g.top() - marginY); y < std::min(height, g.bottom() + marginY); ++y)
        for (int x = std::max(0, g.left(0) - margin); x < std::min(width, g.left(blockCount) + margin); ++x)
            luma[size_t(y) * stride + x] = black;
    for (int i = 0; i < blockCount; ++i) {
        const uint8_t value = bitOf(*this, i) ? white : black;
        for (int y = g.top(); y < g.bottom() && y < height; ++y)
            for (int x = g.left(i); x < g.left(i + 1) && x < width; ++x)
                luma[size_t(y) * stride + x] = value;
    }
}

std::optional<FramePattern> FramePattern::read(const uint8_t* luma, int stride, int width, int height) {
    const Geometry g{width, height};
    const double blockWidth = width / 32.0, blockHeight = height / 24.0;
    if (blockWidth < 2 || blockHeight < 2)
        return std::nullopt;
    auto sample = [&](int i) {
        // Average the middle half of the block: edges blur under compression and scaling.
        const int x0 = int(g.centerX(i) - blockWidth / 4), x1 = int(g.centerX(i) + blockWidth / 4);
        const int y0 = int(g.centerY() - blockHeight / 4), y1 = int(g.centerY() + blockHeight / 4);
        long sum = 0, count = 0;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x, ++count)
                sum += luma[size_t(y) * stride + x];
        return sum / std::max(1L, count) > 125;
    };
    if (!sample(0) || sample(blockCount - 1))
        return std::nullopt;
    FramePattern p;
    for (int i = 1; i <= cameraBits; ++i)
        p.cameraIndex = (p.cameraIndex << 1) | int(sample(i));
    for (int k = 0; k < frameBits; ++k)
        p.frameIndex = (p.frameIndex << 1) | int(sample(1 + cameraBits + k));
    return p;
}

} // namespace orvane::sample
