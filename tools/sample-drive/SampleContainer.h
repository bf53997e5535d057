#pragma once
// The car's encrypted container built from a plain MP4, as the sample drive and the tests write it,
// with keys derived from each file's id so that the loopback key service knows them all.
// Pure functions; any thread.

#include "ContainerFormat.h"

#include <QByteArray>
#include <array>
#include <cstdint>

namespace orvane::sample {

// What a container's header carries besides the size, and the key its pages are encrypted with.
struct ContainerFields {
    crypto::FileId fileId{}; // its first four bytes are the size's low half, whatever is given
    crypto::FileKey key{};
    uint32_t keyId = 0;
    std::array<uint8_t, crypto::ContainerFormat::publicKeyBytes> publicKey{};
    QByteArray vin; // 17 ASCII characters
    uint64_t timestamp = 0;
    std::array<uint8_t, crypto::ContainerFormat::wrappedKeyBytes> wrappedKey{};
};

// The two header pages, then `plain` padded with zeros to whole pages and encrypted page by page.
QByteArray makeContainer(const QByteArray& plain, ContainerFields fields);

namespace SampleKeys {

// The sample car's identity, the same in every container it writes.
inline constexpr char vin[] = "LRWYGCEK7SC000001";
inline constexpr uint32_t keyId = 7;
std::array<uint8_t, crypto::ContainerFormat::publicKeyBytes> carPublicKey();

// The key of a sample container, and the wrapped key its header carries, from its file id.
crypto::FileKey keyFor(const crypto::FileId& id);
std::array<uint8_t, crypto::ContainerFormat::wrappedKeyBytes> wrappedKeyFor(const crypto::FileId& id);

// The fields of the sample container of an MP4 of `plainSize` bytes: its id from `identity` (any
// bytes that tell the files apart), its key and wrapped key from that id.
ContainerFields fieldsFor(uint64_t plainSize, const QByteArray& identity, uint64_t timestamp);

} // namespace SampleKeys
} // namespace orvane::sample
