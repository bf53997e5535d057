#include "ReadOnlyFile.h"

#include "TeslaTelemetryReaderError.h"

#include "RegularFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

namespace {

// Holds a telemetry unit together with the next unit's length and header; one page, so that
// landing after a skipped video unit copies little of the unit that follows.
constexpr size_t bufferCapacity = 4096;

constexpr uint64_t maxOffset = uint64_t(std::numeric_limits<off_t>::max());
// Enough of the start of a file to tell the car's encrypted container.
constexpr size_t containerProbeBytes = 64;

} // namespace

ReadOnlyFile::ReadOnlyFile(const QString& path) : path_(path) {
    QString problem;
    file_ = RegularFile::openForReading(path, &problem);
    if (!file_.isOpen())
        throw TeslaTelemetryReaderError::cannotRead(path_, problem);
    struct stat status {};
    if (::fstat(file_.fd(), &status) != 0)
        fail(errno);
    size_ = uint64_t(status.st_size);
    buffer_.resize(bufferCapacity);
    if (isContainer()) {
        try {
            container_ = std::make_unique<crypto::ContainerReader>(std::move(file_), path_);
        } catch (const crypto::ContainerError& e) {
            throw TeslaTelemetryReaderError::encrypted(e.description());
        }
        size_ = container_->size();
    }
}

bool ReadOnlyFile::isContainer() {
    const size_t wanted =
        std::min<size_t>(size_t(std::min<uint64_t>(size_, bufferCapacity)), containerProbeBytes);
    const size_t got = readAt(0, buffer_.data(), wanted);
    return crypto::ContainerFormat::looksLikeContainer(
        QByteArrayView(reinterpret_cast<const char*>(buffer_.data()), qsizetype(got)), int64_t(size_));
}

ReadOnlyFile::~ReadOnlyFile() = default;

void ReadOnlyFile::fail(int error) const {
    throw TeslaTelemetryReaderError::cannotRead(path_, qt_error_string(error));
}

size_t ReadOnlyFile::readAt(uint64_t offset, uint8_t* into, size_t count) {
    if (offset > maxOffset)
        return 0; // no file reaches that far
    if (container_) {
        const int64_t n = container_->readAt(offset, into, count);
        if (n < 0)
            fail(int(-n));
        return size_t(n);
    }
    for (;;) {
        const ssize_t n = ::pread(file_.fd(), into, count, off_t(offset));
        if (n >= 0)
            return size_t(n);
        if (errno != EINTR)
            fail(errno);
    }
}

size_t ReadOnlyFile::read(uint8_t* into, size_t count) {
    size_t done = 0;
    while (done < count) {
        if (offset_ >= bufferStart_ && offset_ - bufferStart_ < bufferLength_) {
            const size_t at = size_t(offset_ - bufferStart_);
            const size_t n = std::min(bufferLength_ - at, count - done);
            std::memcpy(into + done, buffer_.data() + at, n);
            done += n;
            offset_ += n;
            continue;
        }
        const size_t wanted = count - done;
        if (wanted >= bufferCapacity) {
            const size_t n = readAt(offset_, into + done, wanted);
            done += n;
            offset_ += n;
            if (n == 0)
                break;
            continue;
        }
        bufferStart_ = offset_;
        bufferLength_ = readAt(offset_, buffer_.data(), bufferCapacity);
        if (bufferLength_ == 0)
            break;
    }
    return done;
}

} // namespace orvane
