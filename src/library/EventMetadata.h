#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace orvane {

// The event.json the car writes into each saved or sentry clip folder.
struct EventMetadata {
    std::optional<QString> timestamp;
    std::optional<QString> city;
    std::optional<QString> estLat;
    std::optional<QString> estLon;
    std::optional<QString> reason;

    // Decodes event.json bytes: a UTF-8 JSON object whose known keys, when present and not
    // null, are strings. Anything else is not metadata.
    static std::optional<EventMetadata> decode(const QByteArray& json);
    // Reads "event.json" directly inside `folder`; any failure gives nothing.
    static std::optional<EventMetadata> load(const QString& folder);

    // "31.23040°N, 121.47370°W" when both coordinates are plain decimal numbers.
    std::optional<QString> coordinateLine() const;
    // The coordinate line and the city, joined by " · ".
    std::optional<QString> locationLine() const;

    bool operator==(const EventMetadata&) const = default;
};

namespace LocationFormatter {
QString format(double latitude, double longitude);
}

} // namespace orvane
