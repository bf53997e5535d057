#pragma once
// An event's route for a map: the positioned records of its drive in unit coordinates with
// their times, and the moment nearest a point on screen. A value built once per drive; any thread.

#include "DriveProfile.h"
#include "MapView.h"

#include <QPointF>
#include <QRectF>
#include <optional>
#include <vector>

namespace orvane {

struct MapRoute {
    std::vector<QPointF> points; // unit coordinates of every positioned record, in time order
    std::vector<double> times;   // each point's time on the event's time line
    QRectF bounds;               // of all points (a null rectangle for none)

    static MapRoute of(const DriveProfile& profile);
    bool isEmpty() const { return points.empty(); }
    // The time of the point drawn nearest `screen`, when one lies within `tolerance` pixels.
    std::optional<double> timeNear(const MapView& view, QPointF screen, double tolerance) const;
    // The points a polyline at the view's zoom needs: consecutive ones closer than `pixels` fold.
    std::vector<QPointF> screenPolyline(const MapView& view, double pixels) const;
};

// The car at a moment: the record the dashboard shows (or the last one before it with a fix).
struct MapCar {
    QPointF unit;
    std::optional<double> heading; // degrees clockwise from north
};
std::optional<MapCar> carAt(const DriveProfile& profile, double time);

} // namespace orvane
