#pragma once

#include "CameraAngle.h"
#include "Instant.h"

#include <QImage>
#include <QPoint>
#include <QString>
#include <vector>

namespace orvane::OverlayRenderer {

// A drawn box and where its top-left corner goes in the frame.
struct PlacedImage {
    QImage image; // premultiplied ARGB
    QPoint position;
};

// "yyyy-MM-dd HH:mm:ss" in the system time zone, as the preview's watermark shows it.
QString watermarkText(Instant instant);

// max(frame width / 580, 1): overlays keep their proportion to the picture.
double displayScale(int frameWidth);

// The time box: white semibold text with equal-width digits on black at 0.78, padded
// 6 × scale across and 4 × scale down, in the bottom-right corner 6 × scale from the edges.
PlacedImage timeWatermark(const QString& text, int frameWidth, int frameHeight);

// The grid cameras' names ("前路", "后路", "左盲区", …) in the top-left corner of their cells,
// in the layout's order.
std::vector<PlacedImage> gridLabels(int frameWidth, int frameHeight,
                                    Camera::GridLayout layout = Camera::GridLayout::four);

} // namespace orvane::OverlayRenderer
