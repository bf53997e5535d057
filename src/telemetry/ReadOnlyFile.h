#pragma once

#include "ContainerReader.h"
#include "RegularFile.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace orvane {

// A regular file opened for reading at explicit offsets through a small buffer. Seeking only
// moves the offset, so skipping large video units costs nothing; failures throw
// TeslaTelemetryReaderError::cannotRead with the system's text. The car's encrypted container is
// read as the MP4 inside it, decrypted with the key ring's key.
class ReadOnlyFile {
public:
    // Refuses anything but a regular file, so a FIFO or a device can never block or run forever.
    // A container whose key is not known, or that cannot be decrypted, throws encrypted.
    explicit ReadOnlyFile(const QString& path);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    const QString& path() const { return path_; }
    uint64_t size() const { return size_; } // as it was when opened (the MP4 inside a container)
    uint64_t offset() const { return offset_; }
    // Any offset is allowed; past the end of the file reads return nothing.
    void seek(uint64_t offset) { offset_ = offset; }
    // Reads up to `count` bytes at the offset and moves past them; fewer only at the end.
    size_t read(uint8_t* into, size_t count);

private:
    size_t readAt(uint64_t offset, uint8_t* into, size_t count); // one pread, EINTR retried
    bool isContainer();
    [[noreturn]] void fail(int error) const;

    QString path_;
    FileHandle file_;
    std::unique_ptr<crypto::ContainerReader> container_; // set for an encrypted file
    uint64_t size_ = 0;
    uint64_t offset_ = 0;
    std::vector<uint8_t> buffer_;
    uint64_t bufferStart_ = 0;
    size_t bufferLength_ = 0;
};

} // namespace orvane
