#pragma once
// The preview's map: the open event's route over tiles, the car at the frame on screen, the
// event's own place, and the view the user pans and zooms. The panel draws what it says.
// Interface thread only.

#include "DriveSection.h"
#include "MapRoute.h"
#include "MapView.h"
#include "TileLoader.h"

#include <QObject>
#include <QPointF>
#include <QPointer>
#include <QtQml/qqmlregistration.h>
#include <memory>
#include <optional>

namespace orvane {

class RouteMap : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("A preview page owns its map")
    // Some record of the event has a position.
    Q_PROPERTY(bool hasRoute READ hasRoute NOTIFY routeChanged)
    // The car on screen (pixels in the panel) and its heading, at the frame shown.
    Q_PROPERTY(bool hasCar READ hasCar NOTIFY carChanged)
    Q_PROPERTY(QPointF car READ car NOTIFY carChanged)
    Q_PROPERTY(bool carHasHeading READ carHasHeading NOTIFY carChanged)
    Q_PROPERTY(double carHeading READ carHeading NOTIFY carChanged)
    Q_PROPERTY(bool canZoomIn READ canZoomIn NOTIFY viewChanged)
    Q_PROPERTY(bool canZoomOut READ canZoomOut NOTIFY viewChanged)
    // The scale bar: its length in pixels and the distance it stands for ("200 m", "1 km").
    Q_PROPERTY(double scaleBarWidth READ scaleBarWidth NOTIFY viewChanged)
    Q_PROPERTY(QString scaleBarText READ scaleBarText NOTIFY viewChanged)
    // The tile provider's credit, shown whenever tiles are drawn; empty without tiles.
    Q_PROPERTY(QString attribution READ attribution NOTIFY tilesChanged)
    // Tiles could not be fetched: cached ones and the plain background show.
    Q_PROPERTY(bool tilesUnreachable READ tilesUnreachable NOTIFY tilesChanged)

public:
    // The route keeps this many pixels from the panel's edges when fitted.
    static constexpr double fitMargin = 36;
    // A click this near the route seeks; a scale bar at most this long.
    static constexpr double clickTolerance = 10;
    static constexpr double scaleBarMaxWidth = 96;

    explicit RouteMap(QObject* parent = nullptr);

    void setSection(DriveSection* section);
    // Where the tiles come from; none draws the plain background.
    void setTiles(TileLoader* tiles);
    TileLoader* tiles() const { return tiles_; }
    // The event's own place (event.json), when it says one.
    void setPlace(std::optional<std::pair<double, double>> place);
    // The time on screen, on the event's time line.
    void setTime(double time);

    bool hasRoute() const { return !route_.isEmpty(); }
    bool hasCar() const { return car_.has_value(); }
    QPointF car() const { return car_ ? view_.toScreen(car_->unit) : QPointF(); }
    bool carHasHeading() const { return car_ && car_->heading; }
    double carHeading() const { return car_ && car_->heading ? *car_->heading : 0; }
    bool canZoomIn() const { return view_.zoom() < MapTiles::maxZoom; }
    bool canZoomOut() const { return view_.zoom() > MapTiles::minZoom; }
    double scaleBarWidth() const;
    QString scaleBarText() const;
    QString attribution() const { return tiles_ ? tiles_->attribution() : QString(); }
    bool tilesUnreachable() const { return tiles_ && tiles_->isUnreachable(); }

    const MapView& view() const { return view_; }
    const MapRoute& route() const { return route_; }
    std::optional<QPointF> place() const { return place_; }

    Q_INVOKABLE void setViewportSize(double width, double height);
    // Shows the whole route again.
    Q_INVOKABLE void fitRoute();
    Q_INVOKABLE void panBy(double dx, double dy);
    Q_INVOKABLE void zoomBy(int steps, double x, double y);
    // The moment of the route point nearest (x, y) within the click tolerance; -1 when none is.
    Q_INVOKABLE double timeNear(double x, double y) const;

signals:
    void routeChanged();
    void viewChanged();
    void carChanged();
    void tilesChanged();

private:
    void reload();
    void viewMoved(bool byUser);
    // The scale bar's distance in metres: the longest of 1, 2, 5 × 10^n that fits.
    double scaleBarMetres() const;

    QPointer<DriveSection> section_;
    QPointer<TileLoader> tiles_;
    std::shared_ptr<const DriveProfile> profile_;
    MapRoute route_;
    MapView view_;
    std::optional<QPointF> place_;
    std::optional<MapCar> car_;
    double time_ = 0;
    // The user moved the view: a resize keeps it instead of fitting the route again.
    bool moved_ = false;
};

} // namespace orvane
