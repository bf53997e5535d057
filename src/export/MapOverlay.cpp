#include "MapOverlay.h"

#include "MapTiles.h"
#include "TeslaTelemetryReader.h"

#include <cmath>

namespace orvane {

namespace {
// Of the frame's height: the map's height, its width against that, and the gap to the edges.
constexpr double heightShare = 0.3;
constexpr double aspect = 4.0 / 3.0;
constexpr double marginShare = 0.025;

int even(double v) {
    return int(std::lround(v / 2)) * 2;
}
} // namespace

QRect MapTrack::area(int frameWidth, int frameHeight) {
    const int h = even(frameHeight * heightShare), w = even(h * aspect),
              margin = even(frameHeight * marginShare);
    return QRect(std::max(frameWidth - w - margin, 0), margin, std::min(w, frameWidth), h);
}

MapTrack::MapTrack(ExportTimeline timeline, std::vector<TeslaVideoFile> minutes, int frameWidth,
                   int frameHeight, const QString& tileAddress, const QString& cacheFolder,
                   MinuteRecord::FileReader reader)
    : records_(timeline, minutes, DashboardReadout::SpeedUnit::kmh, reader) {
    if (!reader)
        reader = [](const QString& path) { return TeslaTelemetryReader::read(path); };
    std::vector<QPointF> route;
    QString previous;
    for (const TeslaVideoFile& minute : minutes) {
        if (minute.url == previous) // a minute cut into several pieces is one stretch of road
            continue;
        previous = minute.url;
        for (const TeslaTelemetrySample& s : MinuteRecord::read(minute, reader).samples)
            if (hasFix(s))
                route.push_back(MapTiles::unit(*s.latitude, *s.longitude));
    }
    if (!route.empty())
        map_.emplace(route, area(frameWidth, frameHeight).size(), tileAddress, cacheFolder);
}

const QImage* MapTrack::at(double fileTime, bool* changed) {
    if (!map_)
        return nullptr;
    if (const auto shown = records_.recordAt(fileTime); shown && hasFix(shown->sample))
        car_ =
            MapCar{MapTiles::unit(*shown->sample.latitude, *shown->sample.longitude), shown->sample.heading};
    return &map_->at(car_, changed);
}

} // namespace orvane
