#include "RegularFile.h"

#include "FileName.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

FileHandle& FileHandle::operator=(FileHandle&& other) noexcept {
    if (this != &other) {
        close();
        fd_ = other.release();
    }
    return *this;
}

int FileHandle::release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
}

void FileHandle::close() {
    if (fd_ >= 0)
        ::close(fd_); // read handles, or files whose data was synced before: nothing to report
    fd_ = -1;
}

bool FileIdentity::isRegular() const { return S_ISREG(mode); }
bool FileIdentity::isDirectory() const { return S_ISDIR(mode); }

namespace RegularFile {

FileHandle openForReading(const QString& path, QString* problem) {
    auto refuse = [&](const QString& why) {
        if (problem)
            *problem = why;
        return FileHandle();
    };
    if (path.isEmpty())
        return refuse(qt_error_string(ENOENT));
    // Non-blocking, so opening a FIFO with no writer returns at once; it is refused below.
    FileHandle handle(
        ::open(FileName::encode(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!handle.isOpen())
        return refuse(qt_error_string(errno));
    struct stat status {};
    if (::fstat(handle.fd(), &status) != 0)
        return refuse(qt_error_string(errno));
    if (S_ISDIR(status.st_mode))
        return refuse(qt_error_string(EISDIR));
    if (!S_ISREG(status.st_mode))
        return refuse(notRegularText);
    ::fcntl(handle.fd(), F_SETFL, ::fcntl(handle.fd(), F_GETFL) & ~O_NONBLOCK);
    if (problem)
        problem->clear();
    return handle;
}

std::optional<QByteArray> readSmallFile(const QString& path, int64_t maxBytes) {
    const FileHandle handle = openForReading(path);
    if (!handle.isOpen())
        return std::nullopt;
    QByteArray data;
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(handle.fd(), buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return std::nullopt;
        if (n == 0)
            return data;
        if (data.size() + n > maxBytes)
            return std::nullopt;
        data.append(buffer, n);
    }
}

QString pathOf(const FileHandle& handle, const QString& fallback) {
    const QString proc = QStringLiteral("/proc/self/fd/%1").arg(handle.fd());
    return QFileInfo::exists(proc) ? proc : fallback;
}

std::optional<FileIdentity> identify(const QString& path) {
    struct stat status {};
    if (path.isEmpty() || ::stat(FileName::encode(path).constData(), &status) != 0)
        return std::nullopt;
    return FileIdentity{uint64_t(status.st_dev), uint64_t(status.st_ino), uint32_t(status.st_mode)};
}

bool sameFile(const QString& a, const QString& b) {
    const auto first = identify(a);
    const auto second = first ? identify(b) : std::nullopt;
    return first && second && *first == *second;
}

} // namespace RegularFile
} // namespace orvane
