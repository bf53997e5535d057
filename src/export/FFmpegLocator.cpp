#include "FFmpegLocator.h"

#include "ExportErrors.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace orvane::FFmpegLocator {

QStringList candidates(const QString& executableDir) {
    QStringList list;
    if (!executableDir.isEmpty()) {
        const QDir d(executableDir);
        list << d.filePath(QStringLiteral("bin/ffmpeg"));
        list << QDir::cleanPath(d.filePath(QStringLiteral("../Resources/bin/ffmpeg")));
        list << d.filePath(QStringLiteral("quillon-orvane_Orvane.bundle/bin/ffmpeg"));
    }
    list << QStringLiteral("/opt/homebrew/bin/ffmpeg") << QStringLiteral("/usr/local/bin/ffmpeg")
         << QStringLiteral("/usr/bin/ffmpeg");
    return list;
}

QString executablePath(const QStringList& candidates) {
    for (const QString& path : candidates) {
        const QFileInfo info(path);
        if (info.isFile() && info.isExecutable())
            return info.absoluteFilePath();
    }
    throw FFmpegLocatorError::notFound();
}

QString executablePath() {
    QString dir;
    if (QCoreApplication::instance())
        dir = QCoreApplication::applicationDirPath();
    else
        dir = QFileInfo(QFileInfo(QStringLiteral("/proc/self/exe")).symLinkTarget()).absolutePath();
    return executablePath(candidates(dir));
}

} // namespace orvane::FFmpegLocator
