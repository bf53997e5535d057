#include "DirectoryListing.h"

#include "FileName.h"
#include "MetadataParserError.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>

namespace orvane::DirectoryListing {

namespace {

// A regular file, or a link to one. The entry's type from the listing is enough for most
// file systems; links and unknown types are looked up (without opening anything).
bool isRegularEntry(DIR* dir, const dirent* entry) {
    if (entry->d_type == DT_REG)
        return true;
    if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN)
        return false;
    struct stat st {};
    return fstatat(dirfd(dir), entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
}

// readdir keeps the file system's order (QDir sorts or filters in ways we do not want).
std::optional<QStringList> listWithErrno(const QString& folder, int& error, bool filesOnly = false) {
    const QByteArray encoded = FileName::encode(folder);
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
        if (filesOnly && !isRegularEntry(dir, entry)) {
            errno = 0;
            continue;
        }
        names << FileName::decode(entry->d_name);
    }
    error = errno;
    closedir(dir);
    if (error != 0)
        return std::nullopt;
    return names;
}

QStringList namesOrThrow(const QString& folder, bool filesOnly) {
    int error = 0;
    auto names = listWithErrno(folder, error, filesOnly);
    if (!names)
        throw FileSystemError(QString::fromLocal8Bit(std::strerror(error)) + QStringLiteral(": ") + folder);
    return *names;
}

} // namespace

std::optional<QStringList> list(const QString& folder) {
    int error = 0;
    return listWithErrno(folder, error);
}

QStringList listOrThrow(const QString& folder) { return namesOrThrow(folder, false); }

std::optional<QStringList> listFiles(const QString& folder) {
    int error = 0;
    return listWithErrno(folder, error, true);
}

QStringList listFilesOrThrow(const QString& folder) { return namesOrThrow(folder, true); }

bool canList(const QString& folder) {
    DIR* dir = opendir(FileName::encode(folder).constData());
    if (dir)
        closedir(dir);
    return dir != nullptr;
}

bool isDirectory(const QString& path) {
    struct stat st {};
    return ::stat(FileName::encode(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool exists(const QString& path) {
    struct stat st {};
    return ::lstat(FileName::encode(path).constData(), &st) == 0;
}

} // namespace orvane::DirectoryListing
