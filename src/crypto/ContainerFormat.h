#pragma once
// The layout of the car's encrypted container (firmware 2026.20 and later) and the reading of its header.
// Pure functions on bytes; any thread.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <array>
#include <cstdint>

namespace orvane::crypto {

inline constexpr int fileIdBytes = 16;
inline constexpr int fileKeyBytes = 16;
using FileId = std::array<uint8_t, fileIdBytes>;
using FileKey = std::array<uint8_t, fileKeyBytes>;

namespace ContainerFormat {

// Two header pages, then the MP4 in pages encrypted each on its own.
inline constexpr int64_t pageBytes = 0x1000;
inline constexpr int64_t headerBytes = 2 * pageBytes;
// Offsets of the header's fields (big-endian numbers).
inline constexpr int sizeOffset = 0x0000;   // 8 bytes: the plain MP4's size
inline constexpr int fileIdOffset = 0x0004; // 16 bytes, overlapping the low half of the size
inline constexpr int metadataOffsetField = 0x0014;
inline constexpr uint32_t metadataOffset = 0x1000; // the only value the car writes
inline constexpr int keyIdOffset = 0x1000;         // 4 bytes
inline constexpr int publicKeyOffset = 0x1004;     // an uncompressed EC point
inline constexpr int publicKeyBytes = 65;
inline constexpr int vinOffset = 0x1045;
inline constexpr int vinBytes = 17;
inline constexpr int timestampOffset = 0x1056; // 8 bytes
inline constexpr int wrappedKeyOffset = 0x105E;
inline constexpr int wrappedKeyBytes = 44;
inline constexpr uint8_t uncompressedPointTag = 0x04;

// What the key service needs to unwrap a file's key, and the size of the MP4 inside.
struct Header {
    uint64_t plainSize = 0;
    FileId fileId{};
    uint32_t keyId = 0;
    std::array<uint8_t, publicKeyBytes> publicKey{};
    QByteArray vin;
    uint64_t timestamp = 0;
    std::array<uint8_t, wrappedKeyBytes> wrappedKey{};
};

// Why a header cannot be used; ContainerError turns these into the user's words.
enum class HeaderProblem {
    none,
    cutShort,     // the file ends within the header, or before the pages its size needs
    sizeMismatch, // the size is 0, or far below what the pages hold
    damaged,      // the fields do not read as the car writes them
};

// Whether the start of a file (at least up to the metadata offset field) is the container's:
// judged before any key is known, so an MP4 never passes (ISO boxes start the file instead).
bool looksLikeContainer(QByteArrayView head, int64_t fileSize);

// Reads the two header pages (`bytes` may be shorter when the file is); `fileSize` is the whole
// file's. `header` is filled where the problem is none.
HeaderProblem parseHeader(QByteArrayView bytes, int64_t fileSize, Header& header);

// "8-4-4-4-12" lower-case hex, as the key service names a file.
QString fileIdText(const FileId& id);

// The ISO base media box an MP4 starts with (what a right key decrypts the first page to).
bool startsLikeMp4(QByteArrayView head);

// Where page `index`'s encrypted bytes start in the file.
constexpr int64_t pageOffset(uint64_t index) {
    return headerBytes + int64_t(index) * pageBytes;
}

} // namespace ContainerFormat
} // namespace orvane::crypto
