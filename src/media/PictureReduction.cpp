#include "PictureReduction.h"

#include "PlaneHalving.h"

extern "C" {
#include <libavutil/frame.h>
#include <libavutil/pixfmt.h>
}

#include <cstdint>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace orvane::media {

namespace {

constexpr int planes = 3;

// The average of a 2 × 2 block, rounding to nearest.
uint8_t average(const uint8_t* top, const uint8_t* bottom, int x) {
    return uint8_t((top[2 * x] + top[2 * x + 1] + bottom[2 * x] + bottom[2 * x + 1] + 2) >> 2);
}

#ifdef __SSE2__
constexpr int bytesPerStep = 16; // output bytes per vector step, from 32 of each input row

// 16 outputs at once with the same rounding: each pair of neighbours summed in 16-bit lanes.
int averageRowVectors(const uint8_t* top, const uint8_t* bottom, uint8_t* out, int width) {
    const __m128i lowBytes = _mm_set1_epi16(0x00ff);
    const __m128i two = _mm_set1_epi16(2);
    const auto pairSums = [&](const uint8_t* row) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row));
        return _mm_add_epi16(_mm_and_si128(a, lowBytes), _mm_srli_epi16(a, 8));
    };
    int x = 0;
    for (; x + bytesPerStep <= width; x += bytesPerStep) {
        const uint8_t *t = top + 2 * x, *b = bottom + 2 * x;
        const __m128i first = _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(pairSums(t), pairSums(b)), two), 2);
        const __m128i second =
            _mm_srli_epi16(_mm_add_epi16(_mm_add_epi16(pairSums(t + 16), pairSums(b + 16)), two), 2);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + x), _mm_packus_epi16(first, second));
    }
    return x;
}
#endif

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

// Playing a grid reduces every cell's every frame, so the rows go sixteen bytes at a time where
// the processor allows.
void halvePlane(const uint8_t* src, int srcStride, uint8_t* dst, int dstStride, int width, int height) {
    for (int y = 0; y < height; ++y) {
        const uint8_t* top = src + ptrdiff_t(2 * y) * srcStride;
        const uint8_t* bottom = top + srcStride;
        uint8_t* out = dst + ptrdiff_t(y) * dstStride;
        int x = 0;
#ifdef __SSE2__
        x = averageRowVectors(top, bottom, out, width);
#endif
        for (; x < width; ++x)
            out[x] = average(top, bottom, x);
    }
}

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
