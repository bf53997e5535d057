#include "FramePattern.h"

#include <algorithm>

namespace orvane::sample {

namespace {

constexpr uint8_t white = 235;
constexpr uint8_t black = 16;

struct Geometry {
    int blockWidth, blockHeight, x0, y0;
    explicit Geometry(int width, int height)
        : blockWidth(width / 32), blockHeight(height / 24), x0(width / 32), y0(height / 24) {}
    int left(int i) const { return x0 + i * blockWidth; }
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
    const Geometry g(width, height);
    // A dark frame around the row keeps the first and last block readable after scaling.
    for (int y = g.y0 - g.blockHeight / 2; y < g.y0 + g.blockHeight + g.blockHeight / 2; ++y)
        for (int x = g.x0 - g.blockWidth / 2; x < g.left(blockCount) + g.blockWidth / 2; ++x)
            if (y >= 0 && y < height && x >= 0 && x < width)
                luma[size_t(y) * stride + x] = black;
    for (int i = 0; i < blockCount; ++i) {
        const uint8_t value = bitOf(*this, i) ? white : black;
        for (int y = g.y0; y < g.y0 + g.blockHeight && y < height; ++y)
            for (int x = g.left(i); x < g.left(i + 1) && x < width; ++x)
                luma[size_t(y) * stride + x] = value;
    }
}

std::optional<FramePattern> FramePattern::read(const uint8_t* luma, int stride, int width, int height) {
    const Geometry g(width, height);
    if (g.blockWidth < 2 || g.blockHeight < 2 || g.left(blockCount) > width)
        return std::nullopt;
    auto sample = [&](int i) {
        // Average the middle half of the block: edges blur under compression and scaling.
        const int x0 = g.left(i) + g.blockWidth / 4, x1 = g.left(i) + (3 * g.blockWidth) / 4;
        const int y0 = g.y0 + g.blockHeight / 4, y1 = g.y0 + (3 * g.blockHeight) / 4;
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
