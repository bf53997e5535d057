#include "FileDelivery.h"

#include "MetadataParserError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUuid>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace orvane::FileDelivery {

namespace {

QString systemText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

// renameat2(RENAME_NOREPLACE): 0, or the errno. Falls back to link+unlink where the file
// system does not support it.
int renameNoReplace(const QByteArray& from, const QByteArray& to) {
#ifdef SYS_renameat2
    if (syscall(SYS_renameat2, AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
#endif
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return 0;
    }
    if (errno == EEXIST)
        return EEXIST;
    // File systems without hard links (FAT on a USB stick): check, then rename.
    if (QFileInfo::exists(QString::fromLocal8Bit(to)))
        return EEXIST;
    return std::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

} // namespace

QString temporarySibling(const QString& finalPath) {
    const QFileInfo info(finalPath);
    return info.absoluteDir().filePath(QStringLiteral(".") + info.completeBaseName() + QLatin1Char('.') +
                                       QUuid::createUuid().toString(QUuid::Id128).left(12) +
                                       QStringLiteral(".part.") + info.suffix());
}

void replace(const QString& completePath, const QString& finalPath) {
    if (std::rename(QFile::encodeName(completePath).constData(), QFile::encodeName(finalPath).constData()) != 0)
        throw FileSystemError(QStringLiteral("无法保存文件 ") + finalPath + QStringLiteral(": ") + systemText(errno));
}

QString availablePath(const QString& directory, const QString& fileName) {
    const QDir dir(directory);
    QString candidate = dir.filePath(fileName);
    const QFileInfo info(fileName);
    const QString base = info.completeBaseName();
    const QString suffix = info.suffix();
    for (int n = 2; QFileInfo::exists(candidate) || QFileInfo(candidate).isSymLink(); ++n)
        candidate = dir.filePath(suffix.isEmpty() ? QStringLiteral("%1-%2").arg(base).arg(n)
                                                  : QStringLiteral("%1-%2.%3").arg(base).arg(n).arg(suffix));
    return candidate;
}

QString moveToFreeName(const QString& completePath, const QString& directory, const QString& fileName) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const QString target = availablePath(directory, fileName);
        const int rc = renameNoReplace(QFile::encodeName(completePath), QFile::encodeName(target));
        if (rc == 0)
            return target;
        if (rc != EEXIST)
            throw FileSystemError(QStringLiteral("无法保存文件 ") + target + QStringLiteral(": ") + systemText(rc));
    }
    throw FileSystemError(QStringLiteral("无法保存文件 ") + QDir(directory).filePath(fileName));
}

QString copyToFreeName(const QString& source, const QString& directory, const QString& fileName) {
    const QString temporary = temporarySibling(QDir(directory).filePath(fileName));
    QFile in(source);
    if (!in.copy(temporary)) {
        QFile::remove(temporary);
        throw FileSystemError(QStringLiteral("无法复制文件 ") + source + QStringLiteral(": ") + in.errorString());
    }
    try {
        return moveToFreeName(temporary, directory, fileName);
    } catch (...) {
        QFile::remove(temporary);
        throw;
    }
}

QString writeToFreeName(const QByteArray& data, const QString& directory, const QString& fileName) {
    const QString temporary = temporarySibling(QDir(directory).filePath(fileName));
    QFile out(temporary);
    const bool written = out.open(QIODevice::WriteOnly | QIODevice::NewOnly) && out.write(data) == data.size() &&
                         out.flush();
    const QString error = out.errorString();
    out.close();
    if (!written || out.error() != QFileDevice::NoError) {
        QFile::remove(temporary);
        throw FileSystemError(QStringLiteral("无法写入文件 ") + QDir(directory).filePath(fileName) +
                              QStringLiteral(": ") + error);
    }
    try {
        return moveToFreeName(temporary, directory, fileName);
    } catch (...) {
        QFile::remove(temporary);
        throw;
    }
}

} // namespace orvane::FileDelivery
