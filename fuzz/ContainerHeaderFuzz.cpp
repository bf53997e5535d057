// Random and mutated container headers through the header reader and the decrypting reader: no
// crash, no hang, no allocation by the size field. The input's pages are encrypted here under a
// fixed key before the reader sees them, so its checks of the first page and its page cache are
// reached; the MP4 it yields is compared with the input's plain pages.

#include "ContainerReader.h"

#include <cstdlib>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

using namespace orvane;
using namespace orvane::crypto;

namespace {

int memoryFile() {
    static const int fd = memfd_create("container-fuzz", 0);
    return fd;
}

const FileKey fuzzKey = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

std::vector<uint8_t> encryptedPages(const uint8_t* data, size_t size) {
    std::vector<uint8_t> file(data, data + size);
    if (size <= size_t(ContainerFormat::headerBytes))
        return file;
    PageCipher cipher(fuzzKey, PageCipher::Direction::encrypt);
    for (size_t at = size_t(ContainerFormat::headerBytes), page = 0; at < size; at += 4096, ++page) {
        const size_t length = std::min<size_t>(4096, size - at);
        cipher.apply(page, file.data() + at, length - length % cipherBlockBytes);
    }
    return file;
}

// Reads the MP4 in ranges picked from the input itself and checks them against its plain pages.
void readRanges(ContainerReader& reader, const uint8_t* data, size_t size) {
    std::vector<uint8_t> buffer(3 * 4096 + 100);
    for (size_t i = 0; i + 4 <= std::min<size_t>(size, 64); i += 4) {
        const uint64_t offset = (uint64_t(data[i]) << 8 | data[i + 1]) * 37 % (reader.size() + 1);
        const size_t count = (size_t(data[i + 2]) << 8 | data[i + 3]) % buffer.size();
        const int64_t n = reader.readAt(offset, buffer.data(), count);
        if (n < 0 || size_t(n) > count)
            std::abort();
        const size_t plainAt = size_t(ContainerFormat::headerBytes) + size_t(offset);
        if (n > 0 && std::memcmp(buffer.data(), data + plainAt, size_t(n)) != 0)
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ContainerFormat::Header header;
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const auto problem = ContainerFormat::parseHeader(bytes, int64_t(size), header);
    if (problem == ContainerFormat::HeaderProblem::none &&
        !ContainerFormat::looksLikeContainer(bytes, int64_t(size)))
        std::abort();
    const int fd = memoryFile();
    const std::vector<uint8_t> file = encryptedPages(data, size);
    if (fd < 0 || ftruncate(fd, 0) != 0 || (size > 0 && pwrite(fd, file.data(), size, 0) != ssize_t(size)))
        std::abort();
    try {
        ContainerReader reader(FileHandle(::dup(fd)), QStringLiteral("fuzz.mp4"), fuzzKey);
        if (problem != ContainerFormat::HeaderProblem::none || reader.size() != header.plainSize)
            std::abort();
        readRanges(reader, data, size);
    } catch (const ContainerError&) {
    }
    return 0;
}
