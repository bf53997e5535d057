#pragma once

// Opening footage, event.json and images only when they are regular files, never blocking on a FIFO or device.
// Any thread may call these.

#include "TranslatedText.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>

namespace orvane {

// An open file descriptor, closed with the object.
class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() { close(); }
    FileHandle(FileHandle&& other) noexcept : fd_(other.release()) {}
    FileHandle& operator=(FileHandle&& other) noexcept;
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    int fd() const { return fd_; }
    bool isOpen() const { return fd_ >= 0; }
    int release();
    void close();

private:
    int fd_ = -1;
};

// What a path leads to (links followed): which file, and what kind.
struct FileIdentity {
    uint64_t device = 0;
    uint64_t inode = 0;
    uint32_t mode = 0;
    bool isRegular() const;
    bool isDirectory() const;
    bool operator==(const FileIdentity& other) const {
        return device == other.device && inode == other.inode;
    }
};

namespace RegularFile {

// The reason given when a path names a FIFO, a device, a socket or a folder.
inline constexpr TranslatedText notRegularText{"RegularFile",
                                               QT_TRANSLATE_NOOP("RegularFile", "不是普通文件")};

// Opens a regular file (links followed) for reading. Anything else is refused at once: the
// handle is closed and `problem` says why (the system's text, or notRegularText).
FileHandle openForReading(const QString& path, QString* problem = nullptr);

// The whole of a small regular file, or nothing when it is not one, cannot be read or holds
// more than `maxBytes`.
std::optional<QByteArray> readSmallFile(const QString& path, int64_t maxBytes);

// A name for the file behind `handle` that libraries opening files by name reach without a
// second look-up ("/proc/self/fd/N"); `fallback` where /proc is missing.
QString pathOf(const FileHandle& handle, const QString& fallback);

// Nothing when the path does not exist or cannot be examined.
std::optional<FileIdentity> identify(const QString& path);

// Whether two paths name one file (same device and inode: links, hard links and ".." seen
// through). False when either does not exist.
bool sameFile(const QString& a, const QString& b);

} // namespace RegularFile
} // namespace orvane
