#include "EventMetadata.h"

#include "EventPlace.h"
#include "RegularFile.h"
#include "TeslaTimeParser.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QStringDecoder>
#include <cmath>

namespace orvane {

namespace {

// The car's file is a few hundred bytes; anything this large is not an event.json.
constexpr qint64 maxMetadataBytes = 1 << 20;

// The reasons the car writes, in words. Sentry's shock reason carries its g value after the
// prefix ("sentry_aware_accel_0.53").
const QLatin1String accelerationPrefix("sentry_aware_accel_");
// The group of every shock reason, whatever its g value.
const QLatin1String shockGroup("sentry_aware_accel");
struct ReasonWords {
    const char* reason;
    const char* words;
};
constexpr ReasonWords knownReasons[] = {
    {"sentry_aware_object_detection", QT_TRANSLATE_NOOP("EventMetadata", "哨兵模式：检测到有物体靠近")},
    {"user_interaction_dashcam_icon_tapped",
     QT_TRANSLATE_NOOP("EventMetadata", "手动保存：点击行车记录仪图标")},
    {"user_interaction_dashcam_panel_save", QT_TRANSLATE_NOOP("EventMetadata", "手动保存：行车记录仪面板")},
    {"user_interaction_dashcam_launcher_action_tapped",
     QT_TRANSLATE_NOOP("EventMetadata", "手动保存：应用启动器")},
    {"user_interaction_honk", QT_TRANSLATE_NOOP("EventMetadata", "鸣笛保存")},
    {"vehicle_auto_emergency_braking", QT_TRANSLATE_NOOP("EventMetadata", "自动紧急制动")},
};

// The g value of Sentry's shock reason; none for any other reason.
std::optional<double> shockAcceleration(const QString& reason) {
    if (!reason.startsWith(accelerationPrefix))
        return std::nullopt;
    bool ok = false;
    const double g = reason.mid(accelerationPrefix.size()).toDouble(&ok);
    return ok && std::isfinite(g) ? std::optional(g) : std::nullopt;
}

// The car numbers its cameras in the order it names their files (front, back, repeaters,
// pillars), as the six cameras are listed here.
std::optional<CameraAngle> cameraOfDigit(const QString& digit) {
    bool ok = false;
    const int index = digit.trimmed().toInt(&ok);
    if (!ok || index < 0 || size_t(index) >= Camera::physicalCases.size())
        return std::nullopt;
    return Camera::physicalCases[size_t(index)];
}

std::optional<double> parseDecimal(const QString& text) {
    static const QRegularExpression decimal(
        QStringLiteral(R"(^[+-]?([0-9]+\.?[0-9]*|\.[0-9]+)([eE][+-]?[0-9]+)?$)"));
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
    // Keys the car added later: a value of another type than expected is left out rather
    // than costing the event its time and place.
    auto laterField = [&](const char* key, std::optional<QString>& into) {
        const QJsonValue v = object.value(QLatin1String(key));
        if (v.isString())
            into = v.toString();
        else if (v.isDouble())
            into = QString::number(v.toDouble());
    };
    laterField("street", m.street);
    laterField("camera", m.camera);
    if (!valid)
        return std::nullopt;
    return m;
}

std::optional<EventMetadata> EventMetadata::load(const QString& folder) {
    // Only a regular file is read: a FIFO or device named event.json would block or never end.
    const auto bytes = RegularFile::readSmallFile(folder + QStringLiteral("/event.json"), maxMetadataBytes);
    return bytes ? decode(*bytes) : std::nullopt;
}

std::optional<std::pair<double, double>> eventPlace(const EventMetadata& metadata) {
    if (!metadata.estLat || !metadata.estLon)
        return std::nullopt;
    const auto lat = parseDecimal(*metadata.estLat);
    const auto lon = parseDecimal(*metadata.estLon);
    if (!lat || !lon)
        return std::nullopt;
    return std::pair(*lat, *lon);
}

std::optional<QString> EventMetadata::coordinateLine() const {
    const auto place = eventPlace(*this);
    return place ? std::optional(LocationFormatter::format(place->first, place->second)) : std::nullopt;
}

std::optional<QString> EventMetadata::locationLine() const {
    QStringList parts;
    if (auto coordinates = coordinateLine())
        parts << *coordinates;
    for (const auto& place : {city, street})
        if (place && !place->isEmpty())
            parts << *place;
    if (parts.isEmpty())
        return std::nullopt;
    return parts.join(QStringLiteral(" · "));
}

std::optional<Instant> EventMetadata::eventTime() const {
    return timestamp ? TeslaTimeParser::parseMetadataTimestamp(*timestamp) : std::nullopt;
}

std::optional<CameraAngle> EventMetadata::triggerCamera() const {
    return camera ? cameraOfDigit(*camera) : std::nullopt;
}

std::optional<QString> EventMetadata::reasonText() const {
    if (!reason || reason->trimmed().isEmpty())
        return std::nullopt;
    const QString raw = reason->trimmed();
    for (const ReasonWords& known : knownReasons)
        if (raw == QLatin1String(known.reason))
            return QCoreApplication::translate("EventMetadata", known.words);
    if (const auto g = shockAcceleration(raw))
        return QCoreApplication::translate("EventMetadata", "哨兵模式：检测到车身震动（%1 g）")
            .arg(*g, 0, 'f', 2);
    return raw;
}

std::optional<QString> EventMetadata::reasonGroup() const {
    if (!reason || reason->trimmed().isEmpty())
        return std::nullopt;
    const QString raw = reason->trimmed();
    return shockAcceleration(raw) ? QString(shockGroup) : raw;
}

QString EventMetadata::reasonGroupText(const QString& group) {
    if (group == shockGroup)
        return QCoreApplication::translate("EventMetadata", "哨兵模式：检测到车身震动");
    EventMetadata words;
    words.reason = group;
    return words.reasonText().value_or(group);
}

QString LocationFormatter::format(double latitude, double longitude) {
    return QString::asprintf("%.5f°%s, %.5f°%s", std::fabs(latitude), latitude >= 0 ? "N" : "S",
                             std::fabs(longitude), longitude >= 0 ? "E" : "W");
}

} // namespace orvane
