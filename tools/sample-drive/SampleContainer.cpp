#include "SampleContainer.h"

#include "PageCipher.h"

#include <QCryptographicHash>
#include <algorithm>

namespace orvane::sample {

namespace {

namespace Format = crypto::ContainerFormat;

void putBigEndian(QByteArray& bytes, int at, uint64_t value, int width) {
    for (int i = width - 1; i >= 0; --i, value >>= 8)
        bytes[at + i] = char(value & 0xFF);
}

template <size_t N> void put(QByteArray& bytes, int at, const std::array<uint8_t, N>& field) {
    std::copy(field.begin(), field.end(), bytes.begin() + at);
}

// The first N bytes of SHA-512(label ‖ data).
template <size_t N> std::array<uint8_t, N> derived(const char* label, QByteArrayView data) {
    static_assert(N <= 64);
    QCryptographicHash hash(QCryptographicHash::Sha512);
    hash.addData(QByteArrayView(label));
    hash.addData(data);
    const QByteArray digest = hash.result();
    std::array<uint8_t, N> out;
    std::copy_n(digest.begin(), N, out.begin());
    return out;
}

QByteArrayView bytesOf(const crypto::FileId& id) {
    return QByteArrayView(reinterpret_cast<const char*>(id.data()), qsizetype(id.size()));
}

} // namespace

QByteArray makeContainer(const QByteArray& plain, ContainerFields fields) {
    const qsizetype pages = (plain.size() + Format::pageBytes - 1) / Format::pageBytes;
    QByteArray bytes(Format::headerBytes + pages * Format::pageBytes, '\0');
    putBigEndian(bytes, Format::sizeOffset, uint64_t(plain.size()), 8);
    // The id overlaps the size's low half: those bytes are the size's.
    std::copy_n(bytes.begin() + Format::fileIdOffset, 4, fields.fileId.begin());
    put(bytes, Format::fileIdOffset, fields.fileId);
    putBigEndian(bytes, Format::metadataOffsetField, Format::metadataOffset, 4);
    putBigEndian(bytes, Format::keyIdOffset, fields.keyId, 4);
    put(bytes, Format::publicKeyOffset, fields.publicKey);
    bytes.replace(Format::vinOffset, Format::vinBytes,
                  fields.vin.leftJustified(Format::vinBytes, '\0', true));
    putBigEndian(bytes, Format::timestampOffset, fields.timestamp, 8);
    put(bytes, Format::wrappedKeyOffset, fields.wrappedKey);
    bytes.replace(Format::headerBytes, plain.size(), plain);
    crypto::PageCipher cipher(fields.key, crypto::PageCipher::Direction::encrypt);
    auto* data = reinterpret_cast<uint8_t*>(bytes.data() + Format::headerBytes);
    for (qsizetype page = 0; page < pages; ++page)
        cipher.apply(uint64_t(page), data + page * Format::pageBytes, size_t(Format::pageBytes));
    return bytes;
}

namespace SampleKeys {

std::array<uint8_t, Format::publicKeyBytes> carPublicKey() {
    const auto coordinates = derived<Format::publicKeyBytes - 1>("orvane sample car public key", {});
    std::array<uint8_t, Format::publicKeyBytes> point;
    point[0] = Format::uncompressedPointTag;
    std::copy(coordinates.begin(), coordinates.end(), point.begin() + 1);
    return point;
}

crypto::FileKey keyFor(const crypto::FileId& id) {
    return derived<crypto::fileKeyBytes>("orvane sample key", bytesOf(id));
}

std::array<uint8_t, Format::wrappedKeyBytes> wrappedKeyFor(const crypto::FileId& id) {
    return derived<Format::wrappedKeyBytes>("orvane sample wrapped key", bytesOf(id));
}

ContainerFields fieldsFor(uint64_t plainSize, const QByteArray& identity, uint64_t timestamp) {
    ContainerFields fields;
    fields.fileId = derived<crypto::fileIdBytes>("orvane sample file id", identity);
    for (int i = 0; i < 4; ++i)
        fields.fileId[size_t(i)] = uint8_t(plainSize >> (8 * (3 - i)));
    fields.key = keyFor(fields.fileId);
    fields.keyId = keyId;
    fields.publicKey = carPublicKey();
    fields.vin = QByteArray(vin);
    fields.timestamp = timestamp;
    fields.wrappedKey = wrappedKeyFor(fields.fileId);
    return fields;
}

} // namespace SampleKeys
} // namespace orvane::sample
