#pragma once
// A small route map burned into exported frames: the whole route fitted into the picture over
// the tiles already in the map's disk cache (never fetched here), or the plain background, and
// the car at its place and heading. The same route, car and cache give the same picture. Any
// thread; one per export.

#include "MapRoute.h"
#include "MapView.h"

#include <QImage>
#include <QSize>
#include <optional>
#include <vector>

namespace orvane {

class Minimap {
public:
    // `route` in unit coordinates; `tileAddress` as TileLoader takes it (empty or "none": no tiles).
    Minimap(const std::vector<QPointF>& route, QSize size, const QString& tileAddress,
            const QString& cacheFolder);

    // The picture with the car (none: the route alone). `redrawn` says whether it differs from
    // the last one asked for: the car moves a pixel or turns a degree.
    const QImage& at(const std::optional<MapCar>& car, bool* redrawn = nullptr);

private:
    void drawBase(const std::vector<QPointF>& route, const QString& tileAddress, const QString& cacheFolder);

    MapView view_;
    QImage base_;
    QImage picture_;
    std::optional<std::pair<QPoint, int>> shown_; // the car's pixel and heading drawn
    bool drawn_ = false;
};

} // namespace orvane
