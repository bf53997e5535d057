#include "MapTiles.h"

#include <QGeoCoordinate>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace orvane::MapTiles {

QPointF unit(double latitude, double longitude) {
    const double lat = std::clamp(latitude, -maxLatitude, maxLatitude) * std::numbers::pi / 180;
    const double x = (longitude + 180) / 360;
    const double y = (1 - std::log(std::tan(lat) + 1 / std::cos(lat)) / std::numbers::pi) / 2;
    return {x, y};
}

QPointF coordinate(QPointF unit) {
    const double lat = std::atan(std::sinh(std::numbers::pi * (1 - 2 * unit.y()))) * 180 / std::numbers::pi;
    return {lat, unit.x() * 360 - 180};
}

double worldSize(int zoom) {
    return std::ldexp(double(tileSize), zoom);
}

TileId tileAt(double latitude, double longitude, int zoom) {
    const QPointF u = unit(latitude, longitude);
    const int last = (1 << zoom) - 1;
    const auto index = [&](double v) { return std::clamp(int(std::floor(v * (1 << zoom))), 0, last); };
    return {zoom, index(u.x()), index(u.y())};
}

// Measured on the ground across one pixel at the place, so the scale bar agrees with the
// distances QtPositioning gives anywhere else.
double metresPerPixel(double latitude, int zoom) {
    const QPointF u = unit(latitude, 0);
    const double step = 1 / worldSize(zoom);
    const QPointF a = coordinate(u), b = coordinate(u + QPointF(step, 0));
    return QGeoCoordinate(a.x(), a.y()).distanceTo(QGeoCoordinate(b.x(), b.y()));
}

} // namespace orvane::MapTiles
