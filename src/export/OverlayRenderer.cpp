#include "OverlayRenderer.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

namespace orvane::OverlayRenderer {

namespace {

QFont font(const QString& family, double pixelSize) {
    QFont f(family);
    f.setPixelSize(std::max(1, int(std::lround(pixelSize))));
    f.setWeight(QFont::DemiBold);
    f.setStyleHint(QFont::SansSerif);
    return f;
}

// Draws text on a rounded black box; the image is exactly the box.
QImage textBox(const QString& text, const QFont& f, double padX, double padY, double radius, double opacity) {
    const QFontMetricsF metrics(f);
    const double width = 2 * padX + std::ceil(metrics.horizontalAdvance(text));
    const double height = 2 * padY + std::ceil(metrics.ascent() + metrics.descent());
    QImage image(int(std::ceil(width)), int(std::ceil(height)), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    QPainterPath box;
    box.addRoundedRect(QRectF(0, 0, width, height), radius, radius);
    painter.fillPath(box, QColor::fromRgbF(0, 0, 0, float(opacity)));
    painter.setFont(f);
    painter.setPen(Qt::white);
    painter.drawText(QPointF(padX, padY + metrics.ascent()), text);
    return image;
}

} // namespace

QString watermarkText(Instant instant) {
    return LocalTime::format(instant, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

double displayScale(int frameWidth) {
    return std::max(double(frameWidth) / 580.0, 1.0);
}

PlacedImage timeWatermark(const QString& text, int frameWidth, int frameHeight) {
    const double s = displayScale(frameWidth);
    const double h = 6 * s, v = 4 * s;
    QImage box = textBox(text, font(QStringLiteral("Noto Sans Mono CJK SC"), 12 * s), h, v, h, 0.78);
    const QPoint position(int(std::lround(frameWidth - h - box.width())),
                          int(std::lround(frameHeight - h - box.height())));
    return {std::move(box), position};
}

std::vector<PlacedImage> gridLabels(int frameWidth, int frameHeight, Camera::GridLayout layout) {
    const double s = displayScale(frameWidth);
    const QFont f = font(QStringLiteral("Noto Sans CJK SC"), 12 * s);
    const auto cameras = Camera::gridCameras(layout);
    const int columns = Camera::gridColumns(layout);
    const int rows = int(cameras.size()) / columns;
    std::vector<PlacedImage> placed;
    for (size_t cell = 0; cell < cameras.size(); ++cell) {
        const int column = int(cell) % columns, row = int(cell) / columns;
        QImage box = textBox(Camera::displayName(cameras[cell]), f, 7 * s, 4 * s, 5 * s, 0.7);
        const QPoint position(int(std::lround(column * double(frameWidth) / columns + 7 * s)),
                              int(std::lround(row * double(frameHeight) / rows + 7 * s)));
        placed.push_back({std::move(box), position});
    }
    return placed;
}

} // namespace orvane::OverlayRenderer
