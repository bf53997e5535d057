#pragma once
// What a map panel shows: the centre and zoom over a viewport, the tiles that cover it, and the
// way between screen pixels and places. A value type; any thread (each owner its own copy).

#include "MapTiles.h"

#include <QRectF>
#include <QSizeF>
#include <vector>

namespace orvane {

class MapView {
public:
    // A tile in view and where its top-left corner lies on screen; `id.x` is wrapped into the
    // world, which repeats east and west.
    struct Placed {
        TileId id;
        QPointF topLeft;
    };

    QSizeF size() const { return size_; }
    void setSize(QSizeF size) { size_ = size; }
    int zoom() const { return zoom_; }
    QPointF centre() const { return centre_; }
    void setCentre(QPointF unit, int zoom);

    QPointF toScreen(QPointF unit) const;
    QPointF toUnit(QPointF screen) const;

    // Moves the picture by `pixels` (a drag).
    void panBy(QPointF pixels);
    // Zooms by whole steps keeping the place under `anchor` (screen pixels) where it is.
    void zoomBy(int steps, QPointF anchor);
    // The highest zoom at which `bounds` (unit coordinates) fits with `margin` pixels around it,
    // centred on it.
    void fit(const QRectF& bounds, double margin);

    // Every tile that covers the viewport, north-west first.
    std::vector<Placed> visibleTiles() const;

private:
    QSizeF size_;
    QPointF centre_{0.5, 0.5};
    int zoom_ = MapTiles::minZoom;
};

} // namespace orvane
