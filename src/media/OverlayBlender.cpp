#include "OverlayBlender.h"

#include <algorithm>
#include <cmath>

namespace orvane::media {

namespace {

struct Coefficients {
    double kr, kb;
};

Coefficients coefficients(YuvMatrix m) { return m == YuvMatrix::bt709 ? Coefficients{0.2126, 0.0722} : Coefficients{0.299, 0.114}; }

} // namespace

YuvOverlay::YuvOverlay(const QImage& source, QPoint position, YuvMatrix matrix, bool fullRange) {
    if (source.isNull())
        return;
    const QImage image = source.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    // Even origin and size keep chroma pairs whole.
    const int x0 = position.x() & ~1;
    const int y0 = position.y() & ~1;
    const int w = (image.width() + (position.x() - x0) + 1) & ~1;
    const int h = (image.height() + (position.y() - y0) + 1) & ~1;
    rect_ = QRect(x0, y0, w, h);
    const auto [kr, kb] = coefficients(matrix);
    const double kg = 1.0 - kr - kb;
    const double yScale = fullRange ? 1.0 : 219.0 / 255.0, yOffset = fullRange ? 0.0 : 16.0;
    const double cScale = fullRange ? 1.0 : 224.0 / 255.0;

    // Premultiplied colour per luma pixel, in the frame's YUV, plus alpha (all 0…255).
    std::vector<double> Y(size_t(w) * h, 0.0), U(Y.size(), 0.0), V(Y.size(), 0.0), A(Y.size(), 0.0);
    for (int row = 0; row < image.height(); ++row) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(row));
        const int ry = row + position.y() - y0;
        for (int col = 0; col < image.width(); ++col) {
            const QRgb px = line[col];
            const double a = qAlpha(px);
            if (a == 0)
                continue;
            const double r = qRed(px), g = qGreen(px), b = qBlue(px); // premultiplied
            const double luminance = kr * r + kg * g + kb * b;
            const size_t i = size_t(ry) * w + (col + position.x() - x0);
            A[i] = a;
            Y[i] = luminance * yScale + yOffset * a / 255.0;
            U[i] = (b - luminance) / (2.0 * (1.0 - kb)) * cScale + 128.0 * a / 255.0;
            V[i] = (r - luminance) / (2.0 * (1.0 - kr)) * cScale + 128.0 * a / 255.0;
        }
    }
    auto sample = [](double alpha, double value) {
        return Sample{uint16_t(std::lround(255.0 - alpha)), uint16_t(std::lround(std::clamp(value, 0.0, 255.0) * 255.0))};
    };
    luma.resize(Y.size());
    for (size_t i = 0; i < Y.size(); ++i)
        luma[i] = sample(A[i], Y[i]);
    const int cw = w / 2, ch = h / 2;
    cb.resize(size_t(cw) * ch);
    cr.resize(cb.size());
    for (int r = 0; r < ch; ++r)
        for (int c = 0; c < cw; ++c) {
            double a = 0, u = 0, v = 0;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx) {
                    const size_t i = size_t(2 * r + dy) * w + (2 * c + dx);
                    a += A[i];
                    u += U[i];
                    v += V[i];
                }
            cb[size_t(r) * cw + c] = sample(a / 4, u / 4);
            cr[size_t(r) * cw + c] = sample(a / 4, v / 4);
        }
}

void YuvOverlay::blendInto(const YuvPlanes& p) const {
    if (rect_.isEmpty())
        return;
    const QRect visible = rect_ & QRect(0, 0, p.width & ~1, p.height & ~1);
    if (visible.isEmpty())
        return;
    const int w = rect_.width();
    // out = (in × (255 − α) + overlay × 255) / 255, with the overlay premultiplied.
    auto mix = [](uint8_t& pixel, Sample s) {
        if (s.keep == 255)
            return;
        pixel = uint8_t((pixel * s.keep + s.add + 127) / 255);
    };
    for (int y = visible.top(); y <= visible.bottom(); ++y) {
        uint8_t* row = p.y + size_t(y) * p.yStride;
        const Sample* src = luma.data() + size_t(y - rect_.top()) * w - rect_.left();
        for (int x = visible.left(); x <= visible.right(); ++x)
            mix(row[x], src[x]);
    }
    const int cw = w / 2;
    const int cx0 = visible.left() / 2, cx1 = (visible.right() + 1) / 2;
    for (int cy = visible.top() / 2; cy < (visible.bottom() + 1) / 2; ++cy) {
        uint8_t* urow = p.u + size_t(cy) * p.uStride;
        uint8_t* vrow = p.v + size_t(cy) * p.vStride;
        const size_t base = size_t(cy - rect_.top() / 2) * cw - rect_.left() / 2;
        for (int cx = cx0; cx < cx1; ++cx) {
            mix(urow[cx], cb[base + cx]);
            mix(vrow[cx], cr[base + cx]);
        }
    }
}

} // namespace orvane::media
