#include "MapRoute.h"

#include <QLineF>
#include <algorithm>
#include <cmath>

namespace orvane {

MapRoute MapRoute::of(const DriveProfile& profile) {
    MapRoute route;
    for (const DrivePoint& p : profile.points)
        if (p.hasPosition()) {
            route.points.push_back(MapTiles::unit(*p.latitude, *p.longitude));
            route.times.push_back(p.time);
        }
    if (route.points.empty())
        return route;
    // QRectF::united drops a rectangle without area, which one point (or a straight run) is.
    double left = 1, top = 1, right = 0, bottom = 0;
    for (const QPointF& u : route.points) {
        left = std::min(left, u.x());
        right = std::max(right, u.x());
        top = std::min(top, u.y());
        bottom = std::max(bottom, u.y());
    }
    route.bounds = QRectF(QPointF(left, top), QPointF(right, bottom));
    return route;
}

std::optional<double> MapRoute::timeNear(const MapView& view, QPointF screen, double tolerance) const {
    std::optional<double> best;
    double bestDistance = tolerance;
    for (size_t i = 0; i < points.size(); ++i)
        if (const double d = QLineF(view.toScreen(points[i]), screen).length(); d <= bestDistance) {
            best = times[i];
            bestDistance = d;
        }
    return best;
}

std::vector<QPointF> MapRoute::screenPolyline(const MapView& view, double pixels) const {
    std::vector<QPointF> line;
    for (size_t i = 0; i < points.size(); ++i) {
        const QPointF p = view.toScreen(points[i]);
        if (line.empty() || i + 1 == points.size() || QLineF(line.back(), p).length() >= pixels)
            line.push_back(p);
    }
    return line;
}

std::optional<MapCar> carAt(const DriveProfile& profile, double time) {
    const auto shown = profile.pointAt(time);
    const auto fixed = shown ? profile.positionedAtOrBefore(*shown) : std::nullopt;
    if (!fixed)
        return std::nullopt;
    const DrivePoint& p = profile.points[*fixed];
    return MapCar{MapTiles::unit(*p.latitude, *p.longitude), p.heading};
}

} // namespace orvane
