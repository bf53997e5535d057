#include "AppUpdateManifest.h"

#include "AppUpdateError.h"
#include "ServiceAddress.h"

#include <QCoreApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

namespace orvane {

namespace {

const QString versionKey = QStringLiteral("version");
const QString downloadURLKey = QStringLiteral("downloadURL");
const QString releaseNotesKey = QStringLiteral("releaseNotes");
const QString sha256Key = QStringLiteral("sha256");

// An optional text key: absent and null mean absent; any other type is an invalid manifest.
std::optional<QString> optionalText(const QJsonObject& object, const QString& key) {
    const QJsonValue value = object.value(key);
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    if (!value.isString())
        throw AppUpdateError::invalidManifest();
    return value.toString();
}

} // namespace

bool isAllowedUpdateAddress(const QUrl& url) {
    return ServiceAddress::isAllowed(url);
}

QString AppUpdateManifest::displayReleaseNotes() const {
    const QString trimmed = releaseNotes.value_or(QString()).trimmed();
    return trimmed.isEmpty()
               ? QCoreApplication::translate("AppUpdateManifest", "建议更新到最新版本以获得更好的体验。")
               : trimmed;
}

AppUpdateManifest AppUpdateManifest::fromJson(const QByteArray& json) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        throw AppUpdateError::invalidManifest();
    const QJsonObject object = document.object();
    const QJsonValue version = object.value(versionKey);
    const QJsonValue address = object.value(downloadURLKey);
    if (!version.isString() || !address.isString())
        throw AppUpdateError::invalidManifest();

    AppUpdateManifest manifest;
    manifest.version = version.toString();
    manifest.downloadURL = QUrl(address.toString(), QUrl::StrictMode);
    if (!isAllowedUpdateAddress(manifest.downloadURL))
        throw AppUpdateError::invalidManifest();
    manifest.releaseNotes = optionalText(object, releaseNotesKey);
    if (const std::optional<QString> digest = optionalText(object, sha256Key)) {
        static const QRegularExpression sha256Hex(QStringLiteral("^[0-9a-fA-F]{64}$"));
        if (!sha256Hex.match(*digest).hasMatch())
            throw AppUpdateError::invalidManifest();
        manifest.sha256 = digest->toLower();
    }
    return manifest;
}

QByteArray AppUpdateManifest::toJson() const {
    QJsonObject object{{versionKey, version}, {downloadURLKey, downloadURL.toString(QUrl::FullyEncoded)}};
    if (releaseNotes)
        object.insert(releaseNotesKey, *releaseNotes);
    if (sha256)
        object.insert(sha256Key, *sha256);
    return QJsonDocument(object).toJson(QJsonDocument::Compact);
}

} // namespace orvane
