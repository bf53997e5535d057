#include "EventThumbnailSource.h"

#include "FileName.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <cmath>

namespace orvane::EventThumbnailSource {

namespace {

// Base64url survives every decoding QML applies to image ids (it holds no '%', '/', '?', '#').
constexpr auto encoding = QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals;
const QString versionPrefix = QStringLiteral("v1/");
// Paths travel as their bytes, percent-encoded: JSON text is UTF-8 and would lose a name's
// bytes that are not.
QString pathText(const QString& path) {
    return QString::fromLatin1(FileName::encode(path).toPercentEncoding());
}
QString pathOf(const QJsonValue& text) {
    return FileName::decode(QByteArray::fromPercentEncoding(text.toString().toLatin1()));
}

QString prefix() { return QStringLiteral("image://") + QLatin1String(providerId) + QLatin1Char('/'); }

} // namespace

QString url(const TeslaClipEvent& event, bool unlocked) {
    QJsonObject fields{{QStringLiteral("d"), pathText(event.folderURL)},
                       {QStringLiteral("s"), event.startTime}};
    if (event.sourceFileURL)
        fields.insert(QStringLiteral("f"), pathText(*event.sourceFileURL));
    if (event.endTime)
        fields.insert(QStringLiteral("e"), *event.endTime);
    if (event.isContinuousSession)
        fields.insert(QStringLiteral("c"), true);
    if (unlocked)
        fields.insert(QStringLiteral("u"), true);
    const QByteArray json = QJsonDocument(fields).toJson(QJsonDocument::Compact);
    return prefix() + versionPrefix + QString::fromLatin1(json.toBase64(encoding));
}

std::optional<TeslaClipEvent> parse(const QString& idOrUrl) {
    QString id = idOrUrl;
    if (id.startsWith(prefix()))
        id = id.mid(prefix().size());
    if (!id.startsWith(versionPrefix))
        return std::nullopt;
    const auto decoded = QByteArray::fromBase64Encoding(id.mid(versionPrefix.size()).toLatin1(),
                                                        encoding | QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(*decoded, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return std::nullopt;
    const QJsonObject fields = document.object();
    const QJsonValue folder = fields.value(QStringLiteral("d"));
    const QJsonValue start = fields.value(QStringLiteral("s"));
    const QJsonValue file = fields.value(QStringLiteral("f"));
    const QJsonValue end = fields.value(QStringLiteral("e"));
    if (!folder.isString() || !start.isDouble() || !(file.isUndefined() || file.isString()) ||
        !(end.isUndefined() || end.isDouble()))
        return std::nullopt;
    TeslaClipEvent event;
    event.folderURL = pathOf(folder);
    event.startTime = start.toDouble();
    if (file.isString())
        event.sourceFileURL = pathOf(file);
    if (end.isDouble())
        event.endTime = end.toDouble();
    event.isContinuousSession = fields.value(QStringLiteral("c")).toBool(false);
    if (!std::isfinite(event.startTime) || (event.endTime && !std::isfinite(*event.endTime)))
        return std::nullopt;
    return event;
}

} // namespace orvane::EventThumbnailSource
