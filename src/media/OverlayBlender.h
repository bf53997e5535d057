#pragma once

#include <QImage>
#include <QPoint>
#include <QRect>

#include <cstdint>
#include <vector>

namespace orvane::media {

// The planes of an 8-bit YUV 4:2:0 picture, written in place.
struct YuvPlanes {
    uint8_t* y = nullptr;
    int yStride = 0;
    uint8_t* u = nullptr;
    int uStride = 0;
    uint8_t* v = nullptr;
    int vStride = 0;
    int width = 0;
    int height = 0;
};

enum class YuvMatrix { bt601, bt709 };

// A picture with transparency (text boxes, labels), converted once into the YUV matrix and
// range of the frames it is laid over, so laying it over a frame touches only its own pixels
// and keeps the frame's chroma outside it.
class YuvOverlay {
public:
    YuvOverlay() = default;
    // `image` is drawn with its top-left corner at `position`; parts outside the frame are
    // clipped when blending.
    YuvOverlay(const QImage& image, QPoint position, YuvMatrix matrix, bool fullRange);

    void blendInto(const YuvPlanes& planes) const;
    QRect rect() const { return rect_; }
    bool isEmpty() const { return rect_.isEmpty(); }

private:
    // Per pixel: 255 − alpha, and the overlay's premultiplied value (scaled by 255).
    struct Sample {
        uint16_t keep;
        uint16_t add;
    };
    QRect rect_;      // luma pixels, aligned to even coordinates
    std::vector<Sample> luma;
    std::vector<Sample> cb, cr; // (width/2) × (height/2)
};

} // namespace orvane::media
