#pragma once
// The kernel of reducing playing pictures: one picture plane halved by 2 × 2 averages.
// Any thread.

#include <cstdint>

namespace orvane::media {

// Writes `width` × `height` bytes to `dst`, each the average of its 2 × 2 block of `src`, rounded
// to nearest. `src` holds at least 2 × `width` by 2 × `height` bytes.
void halvePlane(const uint8_t* src, int srcStride, uint8_t* dst, int dstStride, int width, int height);

} // namespace orvane::media
