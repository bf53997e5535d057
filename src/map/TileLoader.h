#pragma once
// Map tiles from an XYZ tile server, as its usage policy asks: a User-Agent naming Orvane, at
// most two connections, HTTP caching honoured through a size-capped disk cache, and only the
// tiles in view asked for. Offline, the cached tiles still show. Interface thread only.

#include "MapTiles.h"

#include <QCache>
#include <QDeadlineTimer>
#include <QHash>
#include <QImage>
#include <QList>
#include <QNetworkAccessManager>
#include <QObject>
#include <QUrl>
#include <vector>

class QNetworkDiskCache;
class QNetworkReply;

namespace orvane {

class TileLoader : public QObject {
    Q_OBJECT

public:
    static constexpr int maxConnections = 2;
    // The disk cache's cap; the oldest tiles go first beyond it.
    static constexpr qint64 diskCacheBytes = 200LL * 1024 * 1024;
    // Decoded tiles kept in memory (a 256 px tile is 256 KiB): a large panel's view and a step of zoom.
    static constexpr int memoryTiles = 64;
    // A tile that could not be had is asked for again only after this long.
    static constexpr int retryMilliseconds = 30'000;
    static constexpr int timeoutMilliseconds = 15'000;
    // The standard OpenStreetMap tiles.
    static const QString openStreetMap;
    // A setting or variable with this value draws no tiles.
    static const QString none;

    // ~/.cache/orvane/tiles (under XDG_CACHE_HOME when set).
    static QString standardCacheFolder();
    // The address template in use: ORVANE_MAP_TILES when set, else the setting, else OpenStreetMap.
    static QString chosenAddress(const QString& setting);
    static QByteArray userAgent();
    // The template a setting names; empty for "none" or nothing.
    static QString usableAddress(const QString& address);
    // A tile's address under a template.
    static QUrl url(const QString& address, const TileId& id);

    explicit TileLoader(const QString& cacheFolder = standardCacheFolder(), QObject* parent = nullptr);

    // A template with {z}, {x} and {y}; "none" or empty for no tiles. Forgets every tile held.
    void setAddress(const QString& address);
    QString address() const { return address_; }
    bool isEnabled() const { return !address_.isEmpty(); }
    // What the map must show while tiles are drawn.
    QString attribution() const;
    // The last tile asked for could not be fetched (no network, the server down).
    bool isUnreachable() const { return unreachable_; }
    QUrl url(const TileId& id) const { return url(address_, id); }

    // The tile's picture when it is held; a null image otherwise.
    QImage tile(const TileId& id) const;
    // Asks for the tiles of the view not held yet, nearest the centre first; whatever was queued
    // for an earlier view and is out of it now is dropped.
    void request(const std::vector<TileId>& inView);

signals:
    void addressChanged();
    void tileArrived();
    void unreachableChanged();

private:
    void pump();
    void finished(QNetworkReply* reply, const TileId& id);
    void setUnreachable(bool unreachable);

    QNetworkAccessManager network_;
    QNetworkDiskCache* diskCache_;
    QString address_;
    QCache<TileId, QImage> images_{memoryTiles};
    QList<TileId> queue_;
    QHash<TileId, QNetworkReply*> inFlight_;
    QHash<TileId, QDeadlineTimer> failed_;
    bool unreachable_ = false;
};

} // namespace orvane
