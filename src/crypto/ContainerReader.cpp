#include "ContainerReader.h"

#include "KeyRing.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane::crypto {

namespace {

using ContainerFormat::pageBytes;

// All of `count` bytes at `offset` unless the file ends first: bytes read, or -errno.
int64_t readFully(int fd, uint64_t offset, uint8_t* into, size_t count) {
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::pread(fd, into + done, count - done, off_t(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return -int64_t(errno);
        if (n == 0)
            break;
        done += size_t(n);
    }
    return int64_t(done);
}

size_t wholeBlocks(size_t bytes) {
    return bytes - bytes % cipherBlockBytes;
}

FileKey keyOrLocked(const FileId& id, const std::optional<FileKey>& given) {
    if (given)
        return *given;
    if (auto known = KeyRing::instance().find(id))
        return *known;
    throw ContainerError::locked();
}

} // namespace

ContainerHead ContainerReader::readHead(const FileHandle& file, const QString& path) {
    struct stat status {};
    if (::fstat(file.fd(), &status) != 0)
        throw ContainerError::readFailed(path, qt_error_string(errno));
    QByteArray bytes(ContainerFormat::headerBytes + pageBytes, Qt::Uninitialized);
    const int64_t got =
        readFully(file.fd(), 0, reinterpret_cast<uint8_t*>(bytes.data()), size_t(bytes.size()));
    if (got < 0)
        throw ContainerError::readFailed(path, qt_error_string(int(-got)));
    bytes.truncate(qsizetype(got));
    ContainerHead head;
    const auto problem = ContainerFormat::parseHeader(bytes, int64_t(status.st_size), head.header);
    if (problem != ContainerFormat::HeaderProblem::none)
        throw ContainerError::ofHeader(problem, path);
    head.firstPage = bytes.mid(ContainerFormat::headerBytes);
    head.firstPage.truncate(qsizetype(wholeBlocks(size_t(head.firstPage.size()))));
    return head;
}

ContainerHead ContainerReader::readHead(const QString& path) {
    QString problem;
    const FileHandle file = RegularFile::openForReading(path, &problem);
    if (!file.isOpen())
        throw ContainerError::readFailed(path, problem);
    return readHead(file, path);
}

bool ContainerReader::keyFits(const FileKey& key, const ContainerHead& head) {
    QByteArray page = head.firstPage;
    PageCipher(key).apply(0, reinterpret_cast<uint8_t*>(page.data()), size_t(page.size()));
    return ContainerFormat::startsLikeMp4(
        page.first(std::min<qsizetype>(page.size(), qsizetype(head.header.plainSize))));
}

ContainerReader::ContainerReader(FileHandle file, const QString& path, std::optional<FileKey> key)
    : file_(std::move(file)), path_(path), header_(readHead(file_, path_).header),
      cipher_(keyOrLocked(header_.fileId, key)) {
    for (CachedPage& slot : cache_)
        slot.bytes.resize(size_t(pageBytes));
    int64_t error = 0;
    const CachedPage* first = page(0, error);
    if (!first)
        throw ContainerError::readFailed(path_, qt_error_string(int(-error)));
    if (!ContainerFormat::startsLikeMp4(
            QByteArrayView(reinterpret_cast<const char*>(first->bytes.data()), qsizetype(first->length))))
        throw ContainerError::wrongKey(path_);
}

ContainerReader::~ContainerReader() {
    for (CachedPage& slot : cache_)
        std::fill(slot.bytes.begin(), slot.bytes.end(), uint8_t(0));
}

size_t ContainerReader::plainBytesOfPage(uint64_t index, size_t readBytes) const {
    const uint64_t start = index * uint64_t(pageBytes);
    if (start >= size())
        return 0;
    return size_t(std::min<uint64_t>(wholeBlocks(readBytes), size() - start));
}

const ContainerReader::CachedPage* ContainerReader::page(uint64_t index, int64_t& error) {
    ++uses_;
    CachedPage* oldest = &cache_.front();
    for (CachedPage& slot : cache_) {
        if (slot.length > 0 && slot.index == index) {
            slot.lastUse = uses_;
            return &slot;
        }
        if (slot.lastUse < oldest->lastUse)
            oldest = &slot;
    }
    const int64_t got = readFully(file_.fd(), uint64_t(ContainerFormat::pageOffset(index)),
                                  oldest->bytes.data(), size_t(pageBytes));
    if (got < 0) {
        error = got;
        return nullptr;
    }
    const size_t blocks = wholeBlocks(size_t(got));
    cipher_.apply(index, oldest->bytes.data(), blocks);
    oldest->index = index;
    oldest->length = plainBytesOfPage(index, blocks);
    oldest->lastUse = uses_;
    return oldest;
}

int64_t ContainerReader::readWholePages(uint64_t first, uint8_t* into, size_t pages) {
    const int64_t got =
        readFully(file_.fd(), uint64_t(ContainerFormat::pageOffset(first)), into, pages * size_t(pageBytes));
    if (got < 0)
        return got;
    const size_t whole = size_t(got) / size_t(pageBytes);
    for (size_t i = 0; i < whole; ++i)
        cipher_.apply(first + i, into + i * size_t(pageBytes), size_t(pageBytes));
    return int64_t(whole * size_t(pageBytes));
}

int64_t ContainerReader::readAt(uint64_t offset, uint8_t* into, size_t count) {
    if (offset >= size())
        return 0;
    const size_t wanted = size_t(std::min<uint64_t>(count, size() - offset));
    size_t done = 0;
    while (done < wanted) {
        const uint64_t at = offset + done;
        const uint64_t index = at / uint64_t(pageBytes);
        const size_t within = size_t(at % uint64_t(pageBytes));
        const size_t left = wanted - done;
        const bool cached = std::any_of(cache_.begin(), cache_.end(), [&](const CachedPage& p) {
            return p.length > 0 && p.index == index;
        });
        // Whole pages go straight into the caller's buffer; the cache keeps the partial ones.
        if (within == 0 && left >= size_t(pageBytes) && !cached) {
            const int64_t n = readWholePages(index, into + done, left / size_t(pageBytes));
            if (n < 0)
                return n;
            done += size_t(n);
            if (n > 0)
                continue;
        }
        int64_t error = 0;
        const CachedPage* p = page(index, error);
        if (!p)
            return error;
        if (within >= p->length)
            break; // the file ends before its size said
        const size_t n = std::min(p->length - within, left);
        std::memcpy(into + done, p->bytes.data() + within, n);
        done += n;
    }
    return int64_t(done);
}

} // namespace orvane::crypto
