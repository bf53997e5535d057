#include "MapView.h"

#include <algorithm>
#include <cmath>

namespace orvane {

void MapView::setCentre(QPointF unit, int zoom) {
    zoom_ = std::clamp(zoom, MapTiles::minZoom, MapTiles::maxZoom);
    // East–west the world repeats; north–south it ends.
    centre_ = QPointF(unit.x() - std::floor(unit.x()), std::clamp(unit.y(), 0.0, 1.0));
}

QPointF MapView::toScreen(QPointF unit) const {
    const double world = MapTiles::worldSize(zoom_);
    return (unit - centre_) * world + QPointF(size_.width() / 2, size_.height() / 2);
}

QPointF MapView::toUnit(QPointF screen) const {
    const double world = MapTiles::worldSize(zoom_);
    return centre_ + (screen - QPointF(size_.width() / 2, size_.height() / 2)) / world;
}

void MapView::panBy(QPointF pixels) {
    setCentre(centre_ - pixels / MapTiles::worldSize(zoom_), zoom_);
}

void MapView::zoomBy(int steps, QPointF anchor) {
    const QPointF place = toUnit(anchor);
    const int zoom = std::clamp(zoom_ + steps, MapTiles::minZoom, MapTiles::maxZoom);
    const QPointF offset =
        (anchor - QPointF(size_.width() / 2, size_.height() / 2)) / MapTiles::worldSize(zoom);
    setCentre(place - offset, zoom);
}

void MapView::fit(const QRectF& bounds, double margin) {
    const double w = std::max(size_.width() - 2 * margin, 1.0),
                 h = std::max(size_.height() - 2 * margin, 1.0);
    int zoom = MapTiles::maxZoom;
    while (zoom > MapTiles::minZoom && (bounds.width() * MapTiles::worldSize(zoom) > w ||
                                        bounds.height() * MapTiles::worldSize(zoom) > h))
        --zoom;
    setCentre(bounds.center(), zoom);
}

std::vector<MapView::Placed> MapView::visibleTiles() const {
    const int count = 1 << zoom_;
    const QPointF first = toUnit({0, 0}) * count, last = toUnit({size_.width(), size_.height()}) * count;
    std::vector<Placed> tiles;
    for (int row = std::max(0, int(std::floor(first.y())));
         row <= std::min(count - 1, int(std::floor(last.y()))); ++row)
        for (int column = int(std::floor(first.x())); column <= int(std::floor(last.x())); ++column) {
            const int x = ((column % count) + count) % count;
            tiles.push_back(
                {{zoom_, x, row}, toScreen(QPointF(double(column) / count, double(row) / count))});
        }
    return tiles;
}

} // namespace orvane
