#pragma once

#include "CameraAngle.h"
#include "Instant.h"

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
    std::optional<QString> street; // written since firmware 2025.38
    std::optional<QString> camera; // the triggering camera as a digit

    // Decodes event.json bytes: a UTF-8 JSON object whose known keys, when present and not
    // null, are strings. Anything else is not metadata.
    static std::optional<EventMetadata> decode(const QByteArray& json);
    // Reads "event.json" directly inside `folder`; any failure gives nothing.
    static std::optional<EventMetadata> load(const QString& folder);

    // "31.23040°N, 121.47370°W" when both coordinates are plain decimal numbers.
    std::optional<QString> coordinateLine() const;
    // The coordinate line, the city and the street, joined by " · ".
    std::optional<QString> locationLine() const;
    // The moment the car saved the event (the timestamp, local wall-clock time).
    std::optional<Instant> eventTime() const;
    // The camera that triggered the event; none for a digit the car's list does not name.
    std::optional<CameraAngle> triggerCamera() const;
    // Why the car saved the event, in words; an unknown reason as the car wrote it.
    std::optional<QString> reasonText() const;
    // The reason as the browser's filter groups events: the car's word, with Sentry's shock
    // reasons (each carrying its own g value) as one; none without a reason.
    std::optional<QString> reasonGroup() const;
    // A group's words: its reason's, Sentry's shock without a g value.
    static QString reasonGroupText(const QString& group);

    bool operator==(const EventMetadata&) const = default;
};

namespace LocationFormatter {
QString format(double latitude, double longitude);
}

} // namespace orvane
