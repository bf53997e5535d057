#include "PictureReduction.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

#include <cstdint>

namespace orvane::media {

namespace {

constexpr int planes = 3;

// Each output byte averages a 2 × 2 block of the plane above it, rounding to nearest.
void halvePlane(const uint8_t* src, int srcStride, uint8_t* dst, int dstStride, int width, int height) {
    for (int y = 0; y < height; ++y) {
        const uint8_t* top = src + ptrdiff_t(2 * y) * srcStride;
        const uint8_t* bottom = top + srcStride;
        uint8_t* out = dst + ptrdiff_t(y) * dstStride;
        for (int x = 0; x < width; ++x)
            out[x] = uint8_t((top[2 * x] + top[2 * x + 1] + bottom[2 * x] + bottom[2 * x + 1] + 2) >> 2);
    }
}

ff::Frame halved(const AVFrame& src) {
    ff::Frame out = ff::makeFrame();
    out->format = src.format;
    // Even, so the chroma planes stay exactly half the picture.
    out->width = (src.width / 2) & ~1;
    out->height = (src.height / 2) & ~1;
    if (av_frame_get_buffer(out.get(), 0) < 0 || av_frame_copy_props(out.get(), &src) < 0)
        return {};
    for (int p = 0; p < planes; ++p) {
        const int w = p == 0 ? out->width : out->width / 2;
        const int h = p == 0 ? out->height : out->height / 2;
        halvePlane(src.data[p], src.linesize[p], out->data[p], out->linesize[p], w, h);
    }
    return out;
}

} // namespace

ff::Frame reducedForWidth(const AVFrame& frame, int shownWidth) {
    const bool planar420 = frame.format == AV_PIX_FMT_YUV420P || frame.format == AV_PIX_FMT_YUVJ420P;
    if (!planar420 || shownWidth <= 0)
        return {};
    ff::Frame reduced;
    for (const AVFrame* current = &frame; current->width / 2 >= shownWidth && current->height >= 4;
         current = reduced.get()) {
        ff::Frame next = halved(*current);
        if (!next)
            break;
        reduced = std::move(next);
    }
    return reduced;
}

} // namespace orvane::media
