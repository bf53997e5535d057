#pragma once
// Fetches the update manifest, downloads a release archive and installs it in place of the running copy.
// Network operations: call on the GUI thread (they need its event loop); installUpdate blocks: call it
// off the GUI thread.

#include "AppUpdateManifest.h"

#include <QFuture>
#include <QList>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

namespace orvane {

// What installing needs to know about the running copy; tests substitute their own.
struct AppUpdateInstallation {
    QString executablePath;  // the running executable, <bundle>/bin/Orvane when installed
    QString temporaryFolder; // where downloads, unpacked archives, staged bundles and scripts go
    qint64 processId = 0;    // the process the relaunch script waits for
    std::function<void()> quit; // ends the application; run on the GUI thread

    static AppUpdateInstallation current();
};

namespace AppUpdateService {

inline constexpr int requestTimeoutMilliseconds = 15000;
inline constexpr qint64 maximumManifestBytes = qint64(1) << 20;
inline constexpr qint64 maximumDownloadBytes = qint64(1) << 30;

// The manifest from the first of AppLinks::updateManifestCandidates() that yields one; fails with the
// last candidate's error (invalidManifest when there are none).
QFuture<AppUpdateManifest> fetchManifest();
QFuture<AppUpdateManifest> fetchManifest(const QList<QUrl>& candidates);
// A transport failure or a refused address gives networkUnavailable; an HTTP status outside 200…299 or
// a body that is not a usable manifest gives invalidManifest.
QFuture<AppUpdateManifest> fetchManifest(const QUrl& url);

// Streams the archive at `url` to temporaryFolder/"Orvane-update-<UUID>.tar.gz" and returns that path.
// Any failure (refused address, transport, HTTP status, more than maximumBytes, `sha256` mismatch, disk)
// gives downloadFailed and leaves no file behind.
QFuture<QString> downloadUpdate(const QUrl& url, const QString& temporaryFolder,
                                const std::optional<QString>& sha256 = std::nullopt,
                                qint64 maximumBytes = maximumDownloadBytes);

// Checks that the running copy is an installed bundle (packageManaged for the package's copy), unpacks
// `archive` (removed in every case), stages the new bundle, starts the relaunch script that swaps it in after
// this process ends, and queues installation.quit on the GUI thread. Throws AppUpdateError.
void installUpdate(const QString& archive, const AppUpdateInstallation& installation);

// Whether the running copy came from the Debian package: the package manager replaces it, not we.
bool isPackageManaged(const QString& executablePath);

// `path` in single quotes for the shell, each ' inside written as '\''.
QString shellQuoted(const QString& path);
// The relaunch script's text: wait for `processId` to end, swap `staged` in as `target`, start it, tidy up.
QString relaunchScript(qint64 processId, const QString& target, const QString& staged);

} // namespace AppUpdateService

} // namespace orvane
