#include "DirectoryListing.h"

#include "MetadataParserError.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace orvane::DirectoryListing {

namespace {

// readdir keeps the file system's order (QDir sorts or filters in ways we do not want).
std::optional<QStringList> listWithErrno(const QString& folder, int& error) {
    const QByteArray encoded = QFile::encodeName(folder);
    DIR* dir = opendir(encoded.constData());
    if (!dir) {
        error = errno;
        return std::nullopt;
    }
    QStringList names;
    errno = 0;
    while (const dirent* entry = readdir(dir)) {
        if (entry->d_name[0] == '.')
            continue;
        names << QFile::decodeName(entry->d_name);
    }
    error = errno;
    closedir(dir);
    if (error != 0)
        return std::nullopt;
    return names;
}

} // namespace

std::optional<QStringList> list(const QString& folder) {
    int error = 0;
    return listWithErrno(folder, error);
}

QStringList listOrThrow(const QString& folder) {
    int error = 0;
    auto names = listWithErrno(folder, error);
    if (!names)
        throw FileSystemError(QString::fromLocal8Bit(std::strerror(error)) + QStringLiteral(": ") + folder);
    return *names;
}

bool isDirectory(const QString& path) {
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool exists(const QString& path) {
    struct stat st {};
    return ::lstat(QFile::encodeName(path).constData(), &st) == 0;
}

} // namespace orvane::DirectoryListing
