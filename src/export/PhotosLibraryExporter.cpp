#include "PhotosLibraryExporter.h"

#include "FileDelivery.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

namespace orvane::PhotosLibraryExporter {

QString libraryFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (folder.isEmpty())
        folder = QDir::home().filePath(QStringLiteral("Pictures"));
    return folder;
}

Status authorizationStatus(const QString& folder) {
    if (folder.isEmpty() || !QDir().mkpath(folder))
        return Status::denied;
    const QFileInfo info(folder);
    return info.isDir() && info.isWritable() ? Status::authorized : Status::denied;
}

QString importFile(const QString& path, const QString& folder) {
    const Status status = authorizationStatus(folder);
    if (status != Status::authorized && status != Status::limited)
        throw PhotosLibraryExporterError::accessDenied(status);
    if (!QFileInfo(path).isFile())
        throw PhotosLibraryExporterError::importFailed(
            QCoreApplication::translate("PhotosLibraryExporter", "文件不存在: ") + path);
    try {
        return FileDelivery::copyToFreeName(path, folder, QFileInfo(path).fileName());
    } catch (const UserFacingError& e) {
        throw PhotosLibraryExporterError::importFailed(e.description());
    }
}

QString importVideo(const QString& path) { return importFile(path, libraryFolder()); }
QString importImage(const QString& path) { return importFile(path, libraryFolder()); }

void openLibraryFolder() { QDesktopServices::openUrl(QUrl::fromLocalFile(libraryFolder())); }

} // namespace orvane::PhotosLibraryExporter
