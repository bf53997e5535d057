#pragma once

#include <cstdint>
#include <vector>

namespace orvane::media {

// A planar 8-bit YUV 4:2:0 picture with tightly packed planes (even width and height).
struct YuvImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> y;
    std::vector<uint8_t> u;
    std::vector<uint8_t> v;

    YuvImage() = default;
    YuvImage(int w, int h) : width(w), height(h), y(size_t(w) * h), u(size_t(w / 2) * (h / 2)), v(u.size()) {}

    int chromaWidth() const { return width / 2; }
    int chromaHeight() const { return height / 2; }
};

} // namespace orvane::media
