#include "Minimap.h"

#include "TileLoader.h"

#include <QNetworkDiskCache>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <cmath>
#include <memory>

namespace orvane {

namespace {
// The map's look, as the preview's panel draws it (Theme.map), in picture pixels of a 1080-line frame.
const QColor background(0xeb, 0xe8, 0xe1);
const QColor routeColour(0x25, 0x63, 0xeb);
const QColor casing(Qt::white);
const QColor carColour(0x1c, 0x1e, 0x22);
const QColor border(0, 0, 0, 90);
constexpr double margin = 0.1; // of the picture's width, around the route
constexpr double routeWidth = 0.025;
constexpr double casingWidth = 0.045;
constexpr double carSize = 0.11; // of the picture's width
} // namespace

Minimap::Minimap(const std::vector<QPointF>& route, QSize size, const QString& tileAddress,
                 const QString& cacheFolder) {
    view_.setSize(size);
    double left = 1, top = 1, right = 0, bottom = 0;
    for (const QPointF& u : route) {
        left = std::min(left, u.x());
        right = std::max(right, u.x());
        top = std::min(top, u.y());
        bottom = std::max(bottom, u.y());
    }
    if (!route.empty())
        view_.fit(QRectF(QPointF(left, top), QPointF(right, bottom)), margin * size.width());
    drawBase(route, tileAddress, cacheFolder);
}

// Tiles come only from the cache: an export neither waits for the network nor fetches in bulk.
void Minimap::drawBase(const std::vector<QPointF>& route, const QString& tileAddress,
                       const QString& cacheFolder) {
    const QSize size = view_.size().toSize();
    base_ = QImage(size, QImage::Format_ARGB32_Premultiplied);
    base_.fill(background);
    QPainter painter(&base_);
    painter.setRenderHint(QPainter::Antialiasing);
    const QString address = TileLoader::usableAddress(tileAddress);
    if (!address.isEmpty() && !route.empty()) {
        QNetworkDiskCache cache;
        cache.setCacheDirectory(cacheFolder);
        for (const MapView::Placed& tile : view_.visibleTiles()) {
            const std::unique_ptr<QIODevice> data(cache.data(TileLoader::url(address, tile.id)));
            QImage image;
            if (data && image.loadFromData(data->readAll()))
                painter.drawImage(QRectF(tile.topLeft, QSizeF(MapTiles::tileSize, MapTiles::tileSize)),
                                  image);
        }
    }
    QPainterPath line;
    for (size_t i = 0; i < route.size(); ++i)
        i == 0 ? line.moveTo(view_.toScreen(route[i])) : line.lineTo(view_.toScreen(route[i]));
    for (const auto& [colour, width] : {std::pair(casing, casingWidth), std::pair(routeColour, routeWidth)}) {
        painter.setPen(QPen(colour, width * size.width(), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(line);
    }
    painter.setPen(QPen(border, 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(1, 1, size.width() - 2, size.height() - 2));
}

const QImage& Minimap::at(const std::optional<MapCar>& car, bool* redrawn) {
    const auto shown = car ? std::optional(std::pair(view_.toScreen(car->unit).toPoint(),
                                                     int(std::lround(car->heading.value_or(0)))))
                           : std::nullopt;
    const bool change = !drawn_ || shown != shown_;
    if (redrawn)
        *redrawn = change;
    if (!change)
        return picture_;
    drawn_ = true;
    shown_ = shown;
    picture_ = base_;
    if (shown) {
        QPainter painter(&picture_);
        painter.setRenderHint(QPainter::Antialiasing);
        const double s = carSize * picture_.width();
        QPainterPath arrow; // pointing north, centred on the car
        arrow.moveTo(0, -s / 2);
        arrow.lineTo(s * 0.4, s / 2);
        arrow.lineTo(0, s * 0.2);
        arrow.lineTo(-s * 0.4, s / 2);
        arrow.closeSubpath();
        painter.translate(shown->first);
        painter.rotate(shown->second);
        painter.setPen(QPen(casing, std::max(1.5, s / 10), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(carColour);
        painter.drawPath(arrow);
    }
    return picture_;
}

} // namespace orvane
