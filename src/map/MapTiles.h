#pragma once
// Web Mercator arithmetic of standard XYZ raster tiles (256 px, zoom 0 = the world in one tile).
// Pure functions on values; any thread.

#include <QHashFunctions>
#include <QPointF>

namespace orvane {

// One tile of the pyramid; x and y run 0 … 2^z − 1 from the north-west corner.
struct TileId {
    int z = 0;
    int x = 0;
    int y = 0;
    bool operator==(const TileId&) const = default;
};

inline size_t qHash(const TileId& id, size_t seed = 0) {
    return qHashMulti(seed, id.z, id.x, id.y);
}

namespace MapTiles {

inline constexpr int tileSize = 256;
inline constexpr int minZoom = 1;
inline constexpr int maxZoom = 19;
// Mercator stops here: the square world's edges.
inline constexpr double maxLatitude = 85.0511287798066;

// A place on the square world, both axes 0 … 1 from the north-west corner ("unit" coordinates).
QPointF unit(double latitude, double longitude);
// Latitude (x) and longitude (y) of a unit point.
QPointF coordinate(QPointF unit);
// The world's width in pixels at a zoom.
double worldSize(int zoom);
// The tile holding a place at a zoom.
TileId tileAt(double latitude, double longitude, int zoom);
// Ground metres one pixel spans at a latitude and zoom.
double metresPerPixel(double latitude, int zoom);

} // namespace MapTiles
} // namespace orvane
