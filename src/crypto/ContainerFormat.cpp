#include "ContainerFormat.h"

#include <algorithm>

namespace orvane::crypto::ContainerFormat {

namespace {

constexpr int boxHeaderBytes = 8;
// Box types an MP4 file can start with (ffmpeg and the car write "ftyp" first).
constexpr std::array<const char*, 7> leadingBoxTypes = {"ftyp", "moov", "mdat", "free",
                                                        "skip", "wide", "pnot"};
// The pages hold the MP4 and the padding of its last page; pages far beyond that (more than one
// page, and more than the MP4 itself) are not this size's.
constexpr uint64_t largestPadding(uint64_t pages) {
    return std::max<uint64_t>(uint64_t(pageBytes), pages / 2);
}

uint64_t bigEndian(QByteArrayView bytes, qsizetype at, int width) {
    uint64_t value = 0;
    for (int i = 0; i < width; ++i)
        value = (value << 8) | uint8_t(bytes[at + i]);
    return value;
}

template <size_t N> void copyField(QByteArrayView bytes, int at, std::array<uint8_t, N>& into) {
    std::copy_n(reinterpret_cast<const uint8_t*>(bytes.data()) + at, N, into.begin());
}

bool printableAscii(QByteArrayView text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return c >= 0x20 && c < 0x7F; });
}

} // namespace

bool startsLikeMp4(QByteArrayView head) {
    if (head.size() < boxHeaderBytes)
        return false;
    const uint64_t size = bigEndian(head, 0, 4);
    const QByteArrayView type = head.sliced(4, 4);
    if (size != 1 && size != 0 && size < uint64_t(boxHeaderBytes))
        return false;
    for (const char* leading : leadingBoxTypes)
        if (type == QByteArrayView(leading, 4))
            return true;
    return false;
}

bool looksLikeContainer(QByteArrayView head, int64_t fileSize) {
    constexpr int sizeFieldBytes = 8;
    if (head.size() < metadataOffsetField + 4 || fileSize < head.size() || startsLikeMp4(head))
        return false;
    return bigEndian(head, sizeOffset, sizeFieldBytes) > 0 &&
           bigEndian(head, metadataOffsetField, 4) == metadataOffset;
}

HeaderProblem parseHeader(QByteArrayView bytes, int64_t fileSize, Header& header) {
    if (bytes.size() < headerBytes || fileSize < headerBytes)
        return HeaderProblem::cutShort;
    if (!looksLikeContainer(bytes, fileSize) || bytes[publicKeyOffset] != char(uncompressedPointTag))
        return HeaderProblem::damaged;
    const QByteArrayView vin = bytes.sliced(vinOffset, vinBytes);
    if (!printableAscii(vin))
        return HeaderProblem::damaged;
    const uint64_t plainSize = bigEndian(bytes, sizeOffset, 8);
    const uint64_t pages = uint64_t(fileSize - headerBytes);
    if (plainSize > pages)
        return HeaderProblem::cutShort;
    if (pages - plainSize > largestPadding(pages))
        return HeaderProblem::sizeMismatch;
    header.plainSize = plainSize;
    copyField(bytes, fileIdOffset, header.fileId);
    header.keyId = uint32_t(bigEndian(bytes, keyIdOffset, 4));
    copyField(bytes, publicKeyOffset, header.publicKey);
    header.vin = vin.toByteArray();
    header.timestamp = bigEndian(bytes, timestampOffset, 8);
    copyField(bytes, wrappedKeyOffset, header.wrappedKey);
    return HeaderProblem::none;
}

QString fileIdText(const FileId& id) {
    const QByteArray hex = QByteArray(reinterpret_cast<const char*>(id.data()), fileIdBytes).toHex();
    return QString::fromLatin1(hex.left(8) + '-' + hex.mid(8, 4) + '-' + hex.mid(12, 4) + '-' +
                               hex.mid(16, 4) + '-' + hex.mid(20));
}

} // namespace orvane::crypto::ContainerFormat
