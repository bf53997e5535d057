#include "EventMetadata.h"

#include "RegularFile.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringDecoder>

#include <cmath>

namespace orvane {

namespace {

// The car's file is a few hundred bytes; anything this large is not an event.json.
constexpr qint64 maxMetadataBytes = 1 << 20;

std::optional<double> parseDecimal(const QString& text) {
    static const QRegularExpression decimal(QStringLiteral(R"(^[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?$)"));
    if (!decimal.match(text).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !std::isfinite(v))
        return std::nullopt;
    return v;
}

} // namespace

std::optional<EventMetadata> EventMetadata::decode(const QByteArray& json) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(json);
    if (utf8.hasError())
        return std::nullopt;
    QJsonParseError error{};
    const QJsonDocument doc = QJsonDocument::fromJson(text.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        return std::nullopt;
    const QJsonObject object = doc.object();
    EventMetadata m;
    bool valid = true;
    auto field = [&](const char* key, std::optional<QString>& into) {
        const QJsonValue v = object.value(QLatin1String(key));
        if (v.isUndefined() || v.isNull())
            return;
        if (!v.isString()) {
            valid = false;
            return;
        }
        into = v.toString();
    };
    field("timestamp", m.timestamp);
    field("city", m.city);
    field("est_lat", m.estLat);
    field("est_lon", m.estLon);
    field("reason", m.reason);
    if (!valid)
        return std::nullopt;
    return m;
}

std::optional<EventMetadata> EventMetadata::load(const QString& folder) {
    // Only a regular file is read: a FIFO or device named event.json would block or never end.
    const auto bytes = RegularFile::readSmallFile(folder + QStringLiteral("/event.json"), maxMetadataBytes);
    return bytes ? decode(*bytes) : std::nullopt;
}

std::optional<QString> EventMetadata::coordinateLine() const {
    if (!estLat || !estLon)
        return std::nullopt;
    const auto lat = parseDecimal(*estLat);
    const auto lon = parseDecimal(*estLon);
    if (!lat || !lon)
        return std::nullopt;
    return LocationFormatter::format(*lat, *lon);
}

std::optional<QString> EventMetadata::locationLine() const {
    QStringList parts;
    if (auto coordinates = coordinateLine())
        parts << *coordinates;
    if (city && !city->isEmpty())
        parts << *city;
    if (parts.isEmpty())
        return std::nullopt;
    return parts.join(QStringLiteral(" · "));
}

QString LocationFormatter::format(double latitude, double longitude) {
    return QString::asprintf("%.5f°%s, %.5f°%s", std::fabs(latitude), latitude >= 0 ? "N" : "S",
                             std::fabs(longitude), longitude >= 0 ? "E" : "W");
}

} // namespace orvane
