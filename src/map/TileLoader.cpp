#include "TileLoader.h"

#include <QCoreApplication>
#include <QDir>
#include <QNetworkDiskCache>
#include <QNetworkReply>
#include <QStandardPaths>

namespace orvane {

const QString TileLoader::openStreetMap = QStringLiteral("https://tile.openstreetmap.org/{z}/{x}/{y}.png");
const QString TileLoader::none = QStringLiteral("none");

QString TileLoader::standardCacheFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/orvane/tiles");
}

QString TileLoader::chosenAddress(const QString& setting) {
    const QString variable = qEnvironmentVariable("ORVANE_MAP_TILES").trimmed();
    if (!variable.isEmpty())
        return variable;
    return setting.trimmed().isEmpty() ? openStreetMap : setting.trimmed();
}

QByteArray TileLoader::userAgent() {
    return QByteArrayLiteral("Orvane/" ORVANE_VERSION " (Linux desktop viewer of a car's dashcam footage)");
}

TileLoader::TileLoader(const QString& cacheFolder, QObject* parent)
    : QObject(parent), diskCache_(new QNetworkDiskCache(&network_)) {
    diskCache_->setCacheDirectory(cacheFolder);
    diskCache_->setMaximumCacheSize(diskCacheBytes);
    network_.setCache(diskCache_);
    network_.setTransferTimeout(timeoutMilliseconds);
    setAddress(chosenAddress({}));
}

QString TileLoader::usableAddress(const QString& address) {
    return address.trimmed().compare(none, Qt::CaseInsensitive) == 0 ? QString() : address.trimmed();
}

void TileLoader::setAddress(const QString& address) {
    const QString chosen = usableAddress(address);
    if (chosen == address_)
        return;
    address_ = chosen;
    queue_.clear();
    for (QNetworkReply* reply : std::as_const(inFlight_)) {
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    inFlight_.clear();
    images_.clear();
    failed_.clear();
    setUnreachable(false);
    emit addressChanged();
}

QString TileLoader::attribution() const {
    return isEnabled() ? QStringLiteral("© OpenStreetMap contributors") : QString();
}

QUrl TileLoader::url(const QString& address, const TileId& id) {
    QString text = address;
    text.replace(QLatin1String("{z}"), QString::number(id.z))
        .replace(QLatin1String("{x}"), QString::number(id.x))
        .replace(QLatin1String("{y}"), QString::number(id.y));
    return QUrl(text);
}

QImage TileLoader::tile(const TileId& id) const {
    const QImage* image = images_.object(id);
    return image ? *image : QImage();
}

void TileLoader::request(const std::vector<TileId>& inView) {
    queue_.clear();
    if (!isEnabled())
        return;
    for (const TileId& id : inView) {
        const auto failed = failed_.constFind(id);
        if (failed != failed_.cend() && !failed->hasExpired())
            continue;
        if (!images_.contains(id) && !inFlight_.contains(id))
            queue_.append(id);
    }
    pump();
}

void TileLoader::pump() {
    while (inFlight_.size() < maxConnections && !queue_.isEmpty()) {
        const TileId id = queue_.takeFirst();
        QNetworkRequest request(url(id));
        request.setHeader(QNetworkRequest::UserAgentHeader, userAgent());
        // Fresh cached tiles are used without asking; stale ones are revalidated.
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::PreferNetwork);
        QNetworkReply* reply = network_.get(request);
        inFlight_.insert(id, reply);
        connect(reply, &QNetworkReply::finished, this, [this, reply, id] { finished(reply, id); });
    }
}

void TileLoader::finished(QNetworkReply* reply, const TileId& id) {
    reply->deleteLater();
    inFlight_.remove(id);
    QImage image;
    const bool answered = reply->error() == QNetworkReply::NoError;
    if (answered)
        image.loadFromData(reply->readAll());
    // Offline, a tile that is stale in the cache is better than none.
    else if (const std::unique_ptr<QIODevice> cached(diskCache_->data(reply->url())); cached)
        image.loadFromData(cached->readAll());
    // Errors below 100 are the network's (refused, unreachable, timed out), not the server's.
    const bool networkDown = !answered && reply->error() < QNetworkReply::ContentAccessDenied;
    setUnreachable(networkDown);
    if (image.isNull())
        failed_.insert(id, QDeadlineTimer(retryMilliseconds));
    else {
        images_.insert(id, new QImage(image.convertToFormat(QImage::Format_ARGB32_Premultiplied)));
        emit tileArrived();
    }
    pump();
}

void TileLoader::setUnreachable(bool unreachable) {
    if (unreachable == unreachable_)
        return;
    unreachable_ = unreachable;
    emit unreachableChanged();
}

} // namespace orvane
