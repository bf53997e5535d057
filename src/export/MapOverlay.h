#pragma once
// The route map burned into exported frames: the whole route of the export's minutes with the car
// where each frame's record puts it, in the frame's top-right corner. Any thread; one per export.

#include "DashboardOverlay.h"
#include "Minimap.h"

#include <QImage>
#include <QRect>
#include <optional>
#include <vector>

namespace orvane {

class MapTrack {
public:
    // The map's place in a frame of that size (even corners and sizes, for the chroma planes).
    static QRect area(int frameWidth, int frameHeight);

    // Reads every minute's record for the route; tiles come from the map's disk cache only.
    MapTrack(ExportTimeline timeline, std::vector<TeslaVideoFile> minutes, int frameWidth, int frameHeight,
             const QString& tileAddress, const QString& cacheFolder, MinuteRecord::FileReader reader = {});

    // The picture for the frame at `fileTime` seconds into the file, and whether it differs from
    // the last one; none when the export's minutes hold no position.
    const QImage* at(double fileTime, bool* changed);

private:
    DashboardTrack records_;
    std::optional<Minimap> map_;
    std::optional<MapCar> car_; // the last fix, kept over records without one
};

} // namespace orvane
