#pragma once
// Reads the MP4 inside the car's encrypted container as if it were a plain file: the pages asked
// for are read and decrypted, the last few kept. One reader per thread at a time; open it anywhere.

#include "ContainerError.h"
#include "ContainerFormat.h"
#include "PageCipher.h"
#include "RegularFile.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace orvane::crypto {

// The start of a container: what its key is asked for with, and its first encrypted page, by
// which a key is checked.
struct ContainerHead {
    ContainerFormat::Header header;
    QByteArray firstPage; // encrypted, whole blocks only
};

class ContainerReader {
public:
    // Reads the head of the container open as `file` (`path` names it in errors). Throws
    // ContainerError (cutShort, sizeMismatch, damaged, readFailed).
    static ContainerHead readHead(const FileHandle& file, const QString& path);
    // The same for a path; a file that is not a regular file or cannot be opened is readFailed.
    static ContainerHead readHead(const QString& path);

    // Whether `key` decrypts the first page to the start of an MP4.
    static bool keyFits(const FileKey& key, const ContainerHead& head);

    // Reads the container open as `file` with `key`, or with the key ring's key for it when none
    // is given. Throws ContainerError: locked (no key known), wrongKey, and the head's problems.
    ContainerReader(FileHandle file, const QString& path, std::optional<FileKey> key = std::nullopt);
    ~ContainerReader();
    ContainerReader(const ContainerReader&) = delete;
    ContainerReader& operator=(const ContainerReader&) = delete;

    const QString& path() const { return path_; }
    const ContainerFormat::Header& header() const { return header_; }
    // The size of the MP4 inside.
    uint64_t size() const { return header_.plainSize; }

    // Up to `count` bytes of the MP4 at `offset`: fewer only at its end or where the file ends
    // early (cut after it was opened); -errno when the system refuses a read (a drive pulled out).
    int64_t readAt(uint64_t offset, uint8_t* into, size_t count);

private:
    struct CachedPage {
        uint64_t index = 0;
        size_t length = 0; // plain bytes usable; 0: empty slot
        uint64_t lastUse = 0;
        std::vector<uint8_t> bytes;
    };
    // The page `index` decrypted in the cache; null with `error` set (-errno) on a refused read.
    const CachedPage* page(uint64_t index, int64_t& error);
    // Reads and decrypts whole pages from `first` straight into `into`; bytes done or -errno.
    int64_t readWholePages(uint64_t first, uint8_t* into, size_t pages);
    size_t plainBytesOfPage(uint64_t index, size_t readBytes) const;

    FileHandle file_;
    QString path_;
    ContainerFormat::Header header_;
    PageCipher cipher_;
    std::array<CachedPage, 8> cache_;
    uint64_t uses_ = 0;
};

} // namespace orvane::crypto
