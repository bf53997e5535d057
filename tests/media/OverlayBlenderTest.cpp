#include "OverlayBlender.h"

#include <gtest/gtest.h>

using namespace orvane::media;

namespace {

struct Picture {
    int w, h;
    std::vector<uint8_t> y, u, v;
    Picture(int w_, int h_, uint8_t luma)
        : w(w_), h(h_), y(size_t(w) * h, luma), u(size_t(w / 2) * (h / 2), 128), v(u.size(), 128) {}
    YuvPlanes planes() { return {y.data(), w, u.data(), w / 2, v.data(), w / 2, w, h}; }
};

TEST(OverlayBlenderTest, BlendsInsideTheBoxOnly) {
    const struct {
        QColor colour; // with alpha
        bool fullRange;
        int y, u, v;
    } cases[] = {
        {QColor(0, 0, 0, 199), false, int(200 * 56 / 255.0 + 16 * 199 / 255.0 + 0.5), 128, 128},
        {QColor(0, 0, 0, 199), true, int(200 * 56 / 255.0 + 0.5), 128, 128},
        {QColor(255, 255, 255, 255), false, 235, 128, 128},
        // Opaque red (BT.601 limited): Y 81, Cb 90, Cr 240; half of the pair covered.
        {QColor(255, 0, 0, 255), false, 81, (128 + 90) / 2, (128 + 240) / 2},
        {QColor(0, 0, 0, 0), false, 200, 128, 128},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(QString::number(c.colour.rgba(), 16).toStdString() +
                     (c.fullRange ? " full" : " limited"));
        Picture pic(16, 8, 200);
        QImage box(4, 2, QImage::Format_ARGB32);
        box.fill(c.colour);
        YuvOverlay(box, QPoint(5, 3), YuvMatrix::bt601, c.fullRange).blendInto(pic.planes());
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 16; ++x) {
                const bool inside = x >= 5 && x < 9 && y >= 3 && y < 5;
                EXPECT_NEAR(pic.y[y * 16 + x], inside ? c.y : 200, 1) << x << "," << y;
            }
        // Chroma of a grey overlay stays neutral; a coloured one moves only the covered pairs.
        EXPECT_NEAR(pic.u[2 * 8 + 3], c.u, 2);
        EXPECT_NEAR(pic.v[2 * 8 + 3], c.v, 2);
        EXPECT_EQ(pic.u[0], 128);
        EXPECT_EQ(pic.v[3 * 8 + 7], 128);
    }
}

TEST(OverlayBlenderTest, ClipsAtFrameEdges) {
    Picture pic(8, 4, 100);
    QImage box(6, 6, QImage::Format_ARGB32);
    box.fill(QColor(255, 255, 255));
    YuvOverlay(box, QPoint(-2, 2), YuvMatrix::bt709, false).blendInto(pic.planes());
    EXPECT_EQ(pic.y[3 * 8 + 3], 235);
    EXPECT_EQ(pic.y[3 * 8 + 4], 100);
    EXPECT_EQ(pic.y[1 * 8 + 0], 100);
    YuvOverlay(box, QPoint(50, 50), YuvMatrix::bt709, false).blendInto(pic.planes()); // entirely outside
    YuvOverlay().blendInto(pic.planes());
}

} // namespace
