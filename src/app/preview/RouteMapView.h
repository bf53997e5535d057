#pragma once
// Draws a RouteMap's tiles (or the plain background), the route and the event's place; the car
// moves above it as its own item, so playback repaints none of this. Interface thread (QML) only;
// painting reads the map while the interface thread waits.

#include "RouteMap.h"

#include <QColor>
#include <QPointer>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

namespace orvane {

class RouteMapView : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(orvane::RouteMap* map READ map WRITE setMap NOTIFY mapChanged)
    // Colours come from the theme in QML.
    Q_PROPERTY(QColor backgroundColor MEMBER backgroundColor_ NOTIFY coloursChanged)
    Q_PROPERTY(QColor gridColor MEMBER gridColor_ NOTIFY coloursChanged)
    Q_PROPERTY(QColor routeColor MEMBER routeColor_ NOTIFY coloursChanged)
    Q_PROPERTY(QColor casingColor MEMBER casingColor_ NOTIFY coloursChanged)
    Q_PROPERTY(QColor placeColor MEMBER placeColor_ NOTIFY coloursChanged)

public:
    static constexpr double routeWidth = 3.5;
    static constexpr double casingWidth = 6.5;
    static constexpr double placeRadius = 7;
    // Route points closer than this on screen fold into one.
    static constexpr double foldPixels = 1.5;

    explicit RouteMapView(QQuickItem* parent = nullptr);

    RouteMap* map() const { return map_; }
    void setMap(RouteMap* map);
    void paint(QPainter* painter) override;

signals:
    void mapChanged();
    void coloursChanged();

private:
    void paintTiles(QPainter* painter) const;

    QPointer<RouteMap> map_;
    QColor backgroundColor_, gridColor_, routeColor_, casingColor_, placeColor_;
};

} // namespace orvane
