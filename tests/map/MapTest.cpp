// The map's arithmetic and its tiles: places to tiles against known values, the view's fit and
// zoom, the car at a frame equal to that frame's record, a click finding its moment, and the
// tile loader's manners towards a server on this machine (User-Agent, two connections, the
// cache, the server gone).

#include "DriveDataForTests.h"
#include "MapRoute.h"
#include "Minimap.h"
#include "TestSupport.h"
#include "TestTiles.h"
#include "TileLoader.h"

#include <QLineF>
#include <gtest/gtest.h>

using namespace orvane;
using test::waitUntil;

namespace {

TEST(MapTiles, PlacesFallInTheirKnownTiles) {
    struct Case {
        const char* place;
        double latitude, longitude;
        int zoom, x, y;
    };
    const Case cases[] = {
        {"Greenwich", 51.4779, -0.0015, 10, 511, 340},
        {"Shanghai", 31.2304, 121.4737, 12, 3430, 1673},
        {"Sydney", -33.8568, 151.2153, 15, 30147, 19662},
        {"San Francisco", 37.7749, -122.4194, 17, 20964, 50662},
        {"Reykjavík", 64.1466, -21.9426, 19, 230187, 139335},
        {"null island", 0, 0, 1, 1, 1},
        // Beyond Mercator's square and on the date line: the edge tiles, never outside the world.
        {"north-east corner", 85.1, 180, 3, 7, 0},
        {"south-west corner", -89, -180, 3, 0, 7},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.place);
        EXPECT_EQ(MapTiles::tileAt(c.latitude, c.longitude, c.zoom), (TileId{c.zoom, c.x, c.y}));
        if (std::abs(c.latitude) < MapTiles::maxLatitude) {
            const QPointF back = MapTiles::coordinate(MapTiles::unit(c.latitude, c.longitude));
            EXPECT_NEAR(back.x(), c.latitude, 1e-9);
            EXPECT_NEAR(back.y(), c.longitude, 1e-9);
        }
    }
    // The scale bar's ground: 156 km a pixel at the equator at zoom 0, half that at 60°.
    EXPECT_NEAR(MapTiles::metresPerPixel(0, 0), 156'400, 300);
    EXPECT_NEAR(MapTiles::metresPerPixel(60, 10), 156'400 / 2 / 1024.0, 0.3);
}

TEST(MapView, FitsTheRouteZoomsAboutThePointerAndWrapsTheWorld) {
    MapView view;
    view.setSize(QSizeF(300, 200));
    const QRectF bounds(MapTiles::unit(31.24, 121.46), MapTiles::unit(31.22, 121.49));
    view.fit(bounds, 20);
    const QRectF shown(view.toScreen(bounds.topLeft()), view.toScreen(bounds.bottomRight()));
    EXPECT_TRUE(QRectF(20, 20, 260, 160).contains(shown)) << view.zoom();
    view.zoomBy(1, QPointF(50, 50)); // one step more would not fit
    EXPECT_FALSE(QRectF(20, 20, 260, 160)
                     .contains(QRectF(view.toScreen(bounds.topLeft()), view.toScreen(bounds.bottomRight()))));

    // The place under the pointer stays under it.
    const QPointF under = view.toUnit(QPointF(70, 40));
    view.zoomBy(2, QPointF(70, 40));
    EXPECT_LT(QLineF(view.toScreen(under), QPointF(70, 40)).length(), 1e-6);

    // Across the date line the tiles come from the world's other edge, each once, covering the view.
    view.setCentre(QPointF(0, 0.5), 2);
    const auto tiles = view.visibleTiles();
    ASSERT_EQ(tiles.size(), size_t(4));
    EXPECT_EQ(tiles[0].id, (TileId{2, 3, 1}));
    EXPECT_EQ(tiles[1].id, (TileId{2, 0, 1}));
    EXPECT_EQ(tiles[0].topLeft, QPointF(150 - 256, 100 - 256));
}

// Two minutes of 36 records; minute two starts at 1.0 s (as a short event's minutes do). Every
// record has its own place and heading; record 10 of minute two has no fix.
DriveProfile twoMinutes() {
    std::vector<DriveMinute> minutes = {test::minute(0, 36, test::run(0, 0, 0)),
                                        test::minute(1.0, 36, test::run(0, 0, 0))};
    for (size_t m = 0; m < minutes.size(); ++m)
        for (size_t i = 0; i < minutes[m].samples.size(); ++i) {
            TeslaTelemetrySample& s = minutes[m].samples[i];
            s.longitude = 120 + double(m) / 100 + double(i) / 1e4;
            s.heading = double((m * 36 + i) * 7 % 360);
        }
    minutes[1].samples[10].latitude = 0;
    minutes[1].samples[10].longitude = 0;
    return DriveProfile::build(std::move(minutes));
}

TEST(MapRoute, TheCarIsWhereTheFrameOnScreenRecordedIt) {
    const DriveProfile profile = twoMinutes();
    const double frame = 1 / test::fps;
    struct Case {
        double time;
        size_t minute, record; // the record whose place and heading the car takes
        const char* why;
    };
    const Case cases[] = {
        {0, 0, 0, "the first frame"},
        {5 * frame, 0, 5, "on a frame's start"},
        {5.5 * frame, 0, 5, "inside a frame"},
        {6 * frame - 1e-9, 0, 5, "just before the next frame"},
        {1.0, 1, 0, "on the boundary of minute two"},
        {1.0 + 10.5 * frame, 1, 9, "a frame without a fix keeps the last place"},
        {1.0 + 11 * frame, 1, 11, "the next fix"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        const TeslaTelemetrySample& record = profile.minutes[c.minute].samples[c.record];
        const auto car = carAt(profile, c.time);
        ASSERT_TRUE(car);
        EXPECT_EQ(car->unit, MapTiles::unit(*record.latitude, *record.longitude));
        EXPECT_EQ(car->heading, record.heading);
    }
    EXPECT_FALSE(carAt(DriveProfile::build({}), 0));
}

TEST(MapRoute, AClickNearTheRouteFindsThatMoment) {
    const DriveProfile profile = twoMinutes();
    const MapRoute route = MapRoute::of(profile);
    ASSERT_EQ(route.points.size(), size_t(71)); // the record without a fix is left out
    MapView view;
    view.setSize(QSizeF(400, 300));
    view.fit(route.bounds, 10);
    for (const QPointF& point : route.points) // fitted, the whole route is in view
        ASSERT_TRUE(QRectF(10, 10, 380, 280).contains(view.toScreen(point))) << view.zoom();
    const QPointF onPoint = view.toScreen(route.points[40]);
    EXPECT_EQ(route.timeNear(view, onPoint + QPointF(1, 2), 5), route.times[40]);
    EXPECT_EQ(route.times[40], profile.points[40].time);
    EXPECT_FALSE(route.timeNear(view, QPointF(-50, -50), 5));
}

// A tile loader over its own cache folder, waiting for the tiles it asked for.
struct Loader {
    explicit Loader(const QString& cache, const QString& address) : tiles(cache) {
        tiles.setAddress(address);
    }
    bool loads(const std::vector<TileId>& ids) {
        tiles.request(ids);
        return waitUntil([&] {
            return std::all_of(ids.begin(), ids.end(),
                               [&](const TileId& id) { return !tiles.tile(id).isNull(); });
        });
    }
    TileLoader tiles;
};

std::vector<TileId> nineTiles() {
    std::vector<TileId> ids;
    for (int x = 0; x < 3; ++x)
        for (int y = 0; y < 3; ++y)
            ids.push_back({5, 10 + x, 12 + y});
    return ids;
}

TEST(TileLoader, AsksPolitelyOnTwoConnectionsAndTheCacheAnswersTheNextTime) {
    test::TempFolder folder;
    test::LoopbackHttpServer server;
    const QString address = test::serveTiles(server, Qt::green);
    {
        Loader first(folder / "cache", address);
        ASSERT_TRUE(first.loads(nineTiles()));
        EXPECT_EQ(first.tiles.tile({5, 10, 12}).pixelColor(128, 128), QColor(Qt::green));
        EXPECT_FALSE(first.tiles.isUnreachable());
    }
    EXPECT_EQ(server.totalRequests(), 9);
    EXPECT_LE(server.maxOpenConnections(), TileLoader::maxConnections);
    for (const QByteArray& agent : server.userAgents())
        EXPECT_TRUE(agent.startsWith("Orvane/" + QByteArray(ORVANE_TEST_VERSION) + " ("))
            << agent.constData();

    // Opened again (another page, the next start): every tile from the cache, no request.
    Loader second(folder / "cache", address);
    ASSERT_TRUE(second.loads(nineTiles()));
    EXPECT_EQ(server.totalRequests(), 9);

    // The server gone: cached tiles still show; the others are missing and the loader says why.
    server.close();
    Loader offline(folder / "cache", address);
    EXPECT_TRUE(offline.loads(nineTiles()));
    offline.tiles.request({{6, 1, 1}});
    ASSERT_TRUE(waitUntil([&] { return offline.tiles.isUnreachable(); }));
    EXPECT_TRUE(offline.tiles.tile({6, 1, 1}).isNull());

    // "none" draws no tiles and asks nothing, and says no credit.
    offline.tiles.setAddress(TileLoader::none);
    EXPECT_FALSE(offline.tiles.isEnabled());
    EXPECT_TRUE(offline.tiles.attribution().isEmpty());
}

TEST(Minimap, SameInputsSamePictureWithCachedTilesAndTheCarWhereItIs) {
    test::TempFolder folder;
    test::LoopbackHttpServer server;
    const QString address = test::serveTiles(server, Qt::green);
    const MapRoute route = MapRoute::of(twoMinutes());
    // The cache holds the tiles about the route at every zoom the picture may take.
    Loader primer(folder / "cache", address);
    for (int zoom = MapTiles::minZoom; zoom <= MapTiles::maxZoom; ++zoom) {
        const QPointF centre = MapTiles::coordinate(route.bounds.center());
        const TileId middle = MapTiles::tileAt(centre.x(), centre.y(), zoom);
        std::vector<TileId> around;
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                around.push_back({zoom, std::max(middle.x + dx, 0), std::max(middle.y + dy, 0)});
        ASSERT_TRUE(primer.loads(around));
    }
    server.close();

    const QSize size(200, 160);
    const MapCar car{route.points[20], 90.0};
    Minimap first(route.points, size, address, folder / "cache");
    Minimap second(route.points, size, address, folder / "cache");
    bool redrawn = false;
    const QImage picture = first.at(car, &redrawn);
    EXPECT_TRUE(redrawn);
    EXPECT_EQ(picture, second.at(car));
    EXPECT_EQ(picture.pixelColor(10, 10), QColor(Qt::green)); // a cached tile, not the background
    // The car's middle is dark over the light route and tiles.
    MapView view;
    view.setSize(size);
    view.fit(route.bounds, 0.1 * size.width());
    const QPoint at = view.toScreen(car.unit).toPoint();
    EXPECT_LT(qGray(picture.pixel(at.x(), at.y() + 2)), 80);
    // Less than a pixel of movement draws nothing new; a turn does.
    first.at(MapCar{car.unit + QPointF(1e-12, 0), 90.0}, &redrawn);
    EXPECT_FALSE(redrawn);
    first.at(MapCar{car.unit, 180.0}, &redrawn);
    EXPECT_TRUE(redrawn);

    // No tiles ("none"): the plain background, still the route.
    Minimap plain(route.points, size, TileLoader::none, folder / "cache");
    EXPECT_NE(plain.at(car).pixelColor(10, 10), QColor(Qt::green));
}

} // namespace
