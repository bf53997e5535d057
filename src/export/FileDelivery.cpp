#include "FileDelivery.h"

#include "FileName.h"
#include "RegularFile.h"
#include "TranslatedText.h"
#include "UserFacingError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <linux/fs.h>
#include <optional>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace orvane::FileDelivery {

namespace {

// Copies move this much at a time; cancelling waits for at most one chunk.
constexpr qsizetype copyChunkBytes = 1 << 20;
// Free names are tried this many times before giving up.
constexpr int maxNameAttempts = 1000;

QString systemText(int error) { return qt_error_string(error); }

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
    if (struct stat st{}; ::lstat(to.constData(), &st) == 0)
        return EEXIST;
    return std::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

// Runs `work`, naming `file` in any failure it reports.
template <typename Work> void naming(const QString& prefix, const QString& file, Work&& work) {
    try {
        work();
    } catch (const FileSystemError& e) {
        throw FileSystemError(prefix + file + QStringLiteral(": ") + e.description());
    }
}

constexpr TranslatedText writeFailure{"FileDelivery", QT_TRANSLATE_NOOP("FileDelivery", "无法写入文件 ")};

// The rename that put a file in place reaches the disk with the folder's entry.
void syncFolder(const QString& folder) {
    const FileHandle handle(::open(FileName::encode(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (handle.isOpen())
        ::fsync(handle.fd()); // some file systems cannot sync a folder: the file itself is synced
}

// Moves a complete owned file to the first free name in `directory`; returns the path taken.
QString moveToFreeName(OwnedFile& complete, const QString& directory, const QString& fileName) {
    naming(writeFailure, QDir(directory).filePath(fileName), [&] { complete.sync(); });
    for (int attempt = 0; attempt < maxNameAttempts; ++attempt) {
        const QString target = availablePath(directory, fileName);
        const int rc = renameNoReplace(FileName::encode(complete.path()), FileName::encode(target));
        if (rc == 0) {
            complete.keep();
            syncFolder(directory);
            return target;
        }
        if (rc != EEXIST)
            throw FileSystemError(QCoreApplication::translate("FileDelivery", "无法保存文件 ") + target +
                                  QStringLiteral(": ") + systemText(rc));
    }
    throw FileSystemError(QCoreApplication::translate("FileDelivery", "无法保存文件 ") +
                          QDir(directory).filePath(fileName));
}

} // namespace

void checkOutput(const QString& outputPath, const QStringList& sources) {
    const auto output = RegularFile::identify(outputPath);
    if (!output)
        return; // nothing there yet: nothing to lose
    for (const QString& source : sources)
        if (RegularFile::identify(source) == output)
            throw FileSystemError(QCoreApplication::translate("FileDelivery", "不能覆盖源视频: ") +
                                  outputPath);
    if (!output->isRegular())
        throw FileSystemError(QCoreApplication::translate("FileDelivery", "输出路径不是普通文件: ") +
                              outputPath);
}

OwnedFile createPartFor(const QString& finalPath) {
    std::optional<OwnedFile> part;
    naming(writeFailure, finalPath,
           [&] { part.emplace(OwnedFile::create(OwnedFiles::partPathFor(finalPath))); });
    return std::move(*part);
}

void commit(OwnedFile& complete, const QString& finalPath, const QStringList& sources) {
    naming(writeFailure, finalPath, [&] { complete.sync(); });
    // Something may have taken the output's place while the file was written; rename would
    // replace even a device or a FIFO.
    checkOutput(finalPath, sources);
    if (std::rename(FileName::encode(complete.path()).constData(), FileName::encode(finalPath).constData()) !=
        0)
        throw FileSystemError(QCoreApplication::translate("FileDelivery", "无法保存文件 ") + finalPath +
                              QStringLiteral(": ") + systemText(errno));
    complete.keep();
    syncFolder(QFileInfo(finalPath).absolutePath());
}

void checkNew(const QString& finalPath) {
    struct stat st {};
    if (::lstat(FileName::encode(finalPath).constData(), &st) == 0)
        throw FileSystemError(QCoreApplication::translate("FileDelivery", "文件已存在，不会覆盖: ") +
                              finalPath);
}

void commitNew(OwnedFile& complete, const QString& finalPath) {
    naming(writeFailure, finalPath, [&] { complete.sync(); });
    const int rc = renameNoReplace(FileName::encode(complete.path()), FileName::encode(finalPath));
    if (rc == EEXIST)
        checkNew(finalPath);
    if (rc != 0)
        throw FileSystemError(QCoreApplication::translate("FileDelivery", "无法保存文件 ") + finalPath +
                              QStringLiteral(": ") + systemText(rc));
    complete.keep();
    syncFolder(QFileInfo(finalPath).absolutePath());
}

void writeFile(const QByteArray& data, const QString& finalPath, const QStringList& sources) {
    checkOutput(finalPath, sources);
    OwnedFile part = createPartFor(finalPath);
    naming(writeFailure, finalPath, [&] { part.writeAll(data); });
    commit(part, finalPath, sources);
}

void copyInto(const QString& source, OwnedFile& target, const CancellationToken& cancel,
              const QString& failure) {
    QString problem;
    const FileHandle in = RegularFile::openForReading(source, &problem);
    if (!in.isOpen())
        throw FileSystemError(failure + QStringLiteral(": ") + problem);
    QByteArray chunk(copyChunkBytes, Qt::Uninitialized);
    for (;;) {
        cancel.check();
        const ssize_t n = ::read(in.fd(), chunk.data(), size_t(chunk.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw FileSystemError(failure + QStringLiteral(": ") + systemText(errno));
        if (n == 0)
            return;
        naming(failure, QString(),
               [&] { target.writeAll(QByteArray::fromRawData(chunk.constData(), qsizetype(n))); });
    }
}

QString availablePath(const QString& directory, const QString& fileName) {
    const QDir dir(directory);
    QString candidate = dir.filePath(fileName);
    const QFileInfo info(fileName);
    const QString base = info.completeBaseName();
    const QString suffix = info.suffix();
    struct stat st {};
    for (int n = 2; ::lstat(FileName::encode(candidate).constData(), &st) == 0; ++n)
        candidate = dir.filePath(suffix.isEmpty() ? QStringLiteral("%1-%2").arg(base).arg(n)
                                                  : QStringLiteral("%1-%2.%3").arg(base).arg(n).arg(suffix));
    return candidate;
}

QString copyToFreeName(const QString& source, const QString& directory, const QString& fileName) {
    OwnedFile part = createPartFor(QDir(directory).filePath(fileName));
    copyInto(source, part, {}, QCoreApplication::translate("FileDelivery", "无法复制文件 ") + source);
    return moveToFreeName(part, directory, fileName);
}

QString writeToFreeName(const QByteArray& data, const QString& directory, const QString& fileName) {
    OwnedFile part = createPartFor(QDir(directory).filePath(fileName));
    naming(writeFailure, QDir(directory).filePath(fileName), [&] { part.writeAll(data); });
    return moveToFreeName(part, directory, fileName);
}

} // namespace orvane::FileDelivery
