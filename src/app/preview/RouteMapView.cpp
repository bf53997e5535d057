#include "RouteMapView.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace orvane {

namespace {
// Without tiles, faint lines every this many pixels keep panning visible.
constexpr double plainGridPixels = MapTiles::tileSize / 4.0;
} // namespace

RouteMapView::RouteMapView(QQuickItem* parent) : QQuickPaintedItem(parent) {
    setAntialiasing(true);
    connect(this, &RouteMapView::coloursChanged, this, [this] { update(); });
    connect(this, &QQuickItem::widthChanged, this, [this] {
        if (map_)
            map_->setViewportSize(width(), height());
    });
    connect(this, &QQuickItem::heightChanged, this, [this] {
        if (map_)
            map_->setViewportSize(width(), height());
    });
}

void RouteMapView::setMap(RouteMap* map) {
    if (map == map_)
        return;
    if (map_)
        disconnect(map_, nullptr, this, nullptr);
    map_ = map;
    if (map) {
        for (auto changed : {&RouteMap::routeChanged, &RouteMap::viewChanged, &RouteMap::tilesChanged})
            connect(map, changed, this, [this] { update(); });
        map->setViewportSize(width(), height());
    }
    emit mapChanged();
    update();
}

void RouteMapView::paint(QPainter* painter) {
    painter->fillRect(QRectF(0, 0, width(), height()), backgroundColor_);
    if (!map_ || !map_->hasRoute())
        return;
    paintTiles(painter);
    QPainterPath line;
    const std::vector<QPointF> points = map_->route().screenPolyline(map_->view(), foldPixels);
    for (size_t i = 0; i < points.size(); ++i)
        i == 0 ? line.moveTo(points[i]) : line.lineTo(points[i]);
    painter->setBrush(Qt::NoBrush);
    for (const auto& [colour, w] :
         {std::pair(casingColor_, casingWidth), std::pair(routeColor_, routeWidth)}) {
        painter->setPen(QPen(colour, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter->drawPath(line);
    }
    if (const auto place = map_->place()) {
        painter->setPen(QPen(casingColor_, 2));
        painter->setBrush(placeColor_);
        painter->drawEllipse(map_->view().toScreen(*place), placeRadius, placeRadius);
    }
}

// A faint grid fixed to the ground shows the map moving where no tile covers it; tiles cover it.
void RouteMapView::paintTiles(QPainter* painter) const {
    const MapView& view = map_->view();
    painter->setPen(QPen(gridColor_, 1));
    const QPointF origin = view.toScreen(QPointF(0, 0));
    const double startX = std::fmod(origin.x(), plainGridPixels),
                 startY = std::fmod(origin.y(), plainGridPixels);
    for (double x = startX < 0 ? startX + plainGridPixels : startX; x < width(); x += plainGridPixels)
        painter->drawLine(QPointF(x, 0), QPointF(x, height()));
    for (double y = startY < 0 ? startY + plainGridPixels : startY; y < height(); y += plainGridPixels)
        painter->drawLine(QPointF(0, y), QPointF(width(), y));
    const TileLoader* tiles = map_->tiles();
    if (!tiles || !tiles->isEnabled())
        return;
    for (const MapView::Placed& tile : view.visibleTiles())
        if (const QImage image = tiles->tile(tile.id); !image.isNull())
            painter->drawImage(QRectF(tile.topLeft, QSizeF(MapTiles::tileSize, MapTiles::tileSize)), image);
}

} // namespace orvane
