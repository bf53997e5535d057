#pragma once
// The published record of the newest release: its version, where to download it and what is new.
// Plain value; any thread.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QtQmlIntegration/qqmlintegration.h>

#include <optional>

namespace orvane {

// Addresses the updater talks to: https anywhere, plain http only to this machine (test servers).
bool isAllowedUpdateAddress(const QUrl& url);

struct AppUpdateManifest {
    Q_GADGET
    QML_VALUE_TYPE(appUpdateManifest)
    Q_PROPERTY(QString version MEMBER version CONSTANT)
    Q_PROPERTY(QUrl downloadURL MEMBER downloadURL CONSTANT)
    Q_PROPERTY(QString displayReleaseNotes READ displayReleaseNotes CONSTANT)

public:
    QString version;
    QUrl downloadURL;
    std::optional<QString> releaseNotes;
    // Lower-case hex SHA-256 of the archive at downloadURL, when the publisher gives one.
    std::optional<QString> sha256;

    // The notes trimmed, or a standard line when there are none.
    QString displayReleaseNotes() const;

    // Throws AppUpdateError::invalidManifest for anything but an object with a text "version" and a
    // "downloadURL" the updater may use; "releaseNotes" and "sha256" are optional.
    static AppUpdateManifest fromJson(const QByteArray& json);
    QByteArray toJson() const;

    friend bool operator==(const AppUpdateManifest&, const AppUpdateManifest&) = default;
};

} // namespace orvane
