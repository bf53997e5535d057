#include "RouteMap.h"

#include <algorithm>
#include <cmath>

namespace orvane {

RouteMap::RouteMap(QObject* parent) : QObject(parent) {}

void RouteMap::setSection(DriveSection* section) {
    if (section_)
        disconnect(section_, nullptr, this, nullptr);
    section_ = section;
    if (section)
        connect(section, &DriveSection::changed, this, &RouteMap::reload);
    reload();
}

void RouteMap::setTiles(TileLoader* tiles) {
    if (tiles_)
        disconnect(tiles_, nullptr, this, nullptr);
    tiles_ = tiles;
    if (tiles) {
        connect(tiles, &TileLoader::tileArrived, this, &RouteMap::tilesChanged);
        connect(tiles, &TileLoader::unreachableChanged, this, &RouteMap::tilesChanged);
        connect(tiles, &TileLoader::addressChanged, this, [this] {
            viewMoved(false);
            emit tilesChanged();
        });
    }
    viewMoved(false);
    emit tilesChanged();
}

void RouteMap::setPlace(std::optional<std::pair<double, double>> place) {
    // Like a record's, a place of 0, 0 is the car's "no fix".
    const auto unit = place && (place->first != 0 || place->second != 0)
                          ? std::optional(MapTiles::unit(place->first, place->second))
                          : std::nullopt;
    if (unit == place_)
        return;
    place_ = unit;
    if (moved_)
        emit viewChanged();
    else
        fitRoute();
}

void RouteMap::reload() {
    const auto profile = section_ ? section_->profile() : nullptr;
    if (profile == profile_)
        return;
    profile_ = profile;
    route_ = profile ? MapRoute::of(*profile) : MapRoute();
    moved_ = false;
    fitRoute();
    emit routeChanged();
    setTime(time_);
}

void RouteMap::setTime(double time) {
    time_ = time;
    const auto car = profile_ ? carAt(*profile_, time) : std::nullopt;
    const bool same = car.has_value() == car_.has_value() &&
                      (!car || (car->unit == car_->unit && car->heading == car_->heading));
    if (same)
        return;
    // Zoomed in, the map follows the car when it drives out of view (but not when the user
    // moved the car out of view).
    const QRectF inside =
        QRectF(QPointF(0, 0), view_.size()).adjusted(fitMargin, fitMargin, -fitMargin, -fitMargin);
    const bool follow = car && car_ && inside.isValid() && inside.contains(this->car()) &&
                        !inside.contains(view_.toScreen(car->unit));
    car_ = car;
    if (follow) {
        view_.setCentre(car->unit, view_.zoom());
        viewMoved(false);
    } else
        emit carChanged();
}

void RouteMap::setViewportSize(double width, double height) {
    view_.setSize(QSizeF(width, height));
    if (moved_)
        viewMoved(false);
    else
        fitRoute();
}

void RouteMap::fitRoute() {
    if (!route_.isEmpty()) {
        // The event's own place is shown with the route, even a little off it.
        QRectF bounds = route_.bounds;
        if (place_)
            bounds = QRectF(
                QPointF(std::min(bounds.left(), place_->x()), std::min(bounds.top(), place_->y())),
                QPointF(std::max(bounds.right(), place_->x()), std::max(bounds.bottom(), place_->y())));
        view_.fit(bounds, fitMargin);
    }
    moved_ = false;
    viewMoved(false);
}

void RouteMap::panBy(double dx, double dy) {
    view_.panBy(QPointF(dx, dy));
    viewMoved(true);
}

void RouteMap::zoomBy(int steps, double x, double y) {
    view_.zoomBy(steps, QPointF(x, y));
    viewMoved(true);
}

double RouteMap::timeNear(double x, double y) const {
    return route_.timeNear(view_, QPointF(x, y), clickTolerance).value_or(-1);
}

void RouteMap::viewMoved(bool byUser) {
    moved_ = moved_ || byUser;
    if (tiles_ && !route_.isEmpty() && !view_.size().isEmpty()) {
        std::vector<TileId> ids;
        for (const MapView::Placed& tile : view_.visibleTiles())
            ids.push_back(tile.id);
        tiles_->request(ids);
    }
    emit viewChanged();
    if (car_)
        emit carChanged();
}

double RouteMap::scaleBarMetres() const {
    const double latitude = MapTiles::coordinate(view_.centre()).x();
    const double longest = MapTiles::metresPerPixel(latitude, view_.zoom()) * scaleBarMaxWidth;
    if (!(longest > 0))
        return 0;
    const double decade = std::pow(10.0, std::floor(std::log10(longest)));
    for (double factor : {5.0, 2.0, 1.0})
        if (factor * decade <= longest)
            return factor * decade;
    return decade;
}

double RouteMap::scaleBarWidth() const {
    const double metres = scaleBarMetres();
    const double latitude = MapTiles::coordinate(view_.centre()).x();
    return metres > 0 ? metres / MapTiles::metresPerPixel(latitude, view_.zoom()) : 0;
}

QString RouteMap::scaleBarText() const {
    const double metres = scaleBarMetres();
    return metres >= 1000 ? QStringLiteral("%1 km").arg(metres / 1000) : QStringLiteral("%1 m").arg(metres);
}

} // namespace orvane
