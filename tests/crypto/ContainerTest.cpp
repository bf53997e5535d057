// The car's container: built from plain bytes by the published layout, checked against a vector
// made independently (Python's hashlib for the IVs, the openssl program for AES-128-CBC), read back
// byte for byte at any offset, and every way it can be unusable named.

#include "ContainerReader.h"
#include "KeyRing.h"
#include "SampleClips.h"
#include "TestSupport.h"

#include <QCryptographicHash>
#include <QFile>
#include <gtest/gtest.h>
#include <random>

using namespace orvane;
using namespace orvane::crypto;

namespace {

QByteArray read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

ContainerReader open(const QString& path, std::optional<FileKey> key = std::nullopt) {
    return ContainerReader(RegularFile::openForReading(path), path, key);
}

QByteArray readRange(ContainerReader& reader, uint64_t offset, size_t count) {
    QByteArray bytes(qsizetype(count), '\0');
    const int64_t n = reader.readAt(offset, reinterpret_cast<uint8_t*>(bytes.data()), count);
    return n < 0 ? QByteArray("error") : bytes.left(qsizetype(n));
}

// The vector: 5000 bytes (i·7+3 mod 256) under key 00…0f, the other fields as set below; its
// SHA-256 and IVs come from a short Python script using hashlib.md5 and `openssl enc -aes-128-cbc
// -nopad`, not from this code.
TEST(ContainerTest, MatchesAnIndependentlyComputedVectorAndDecryptsBack) {
    QByteArray plain(5000, '\0');
    for (int i = 0; i < plain.size(); ++i)
        plain[i] = char((i * 7 + 3) & 0xFF);
    sample::ContainerFields fields;
    for (int i = 0; i < 16; ++i) {
        fields.key[size_t(i)] = uint8_t(i);
        fields.fileId[size_t(i)] = uint8_t(0x10 + i);
    }
    fields.keyId = 0x01020304;
    fields.publicKey[0] = 4;
    for (int i = 1; i < 65; ++i)
        fields.publicKey[size_t(i)] = uint8_t(i);
    fields.vin = "TESTVIN0123456789";
    fields.timestamp = 1700000000;
    for (int i = 0; i < 44; ++i)
        fields.wrappedKey[size_t(i)] = uint8_t(0xA0 + i);
    const QByteArray container = sample::makeContainer(plain, fields);
    EXPECT_EQ(QCryptographicHash::hash(container, QCryptographicHash::Sha256).toHex(),
              "cdf85f0ddbf5477dcb2005fab889057a430d2bfa3fb8bf8c9e08899d174f5c09");
    PageCipher cipher(fields.key);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(cipher.ivOf(1).data()), 16).toHex(),
              "d463ce712ccd762b0bd5bf308165bece");

    test::TempFolder tmp;
    const QString path = tmp.writeFile("vector.mp4", container);
    const ContainerHead head = ContainerReader::readHead(path);
    EXPECT_EQ(ContainerFormat::fileIdText(head.header.fileId), "00001388-1415-1617-1819-1a1b1c1d1e1f");
    EXPECT_EQ(head.header.vin, "TESTVIN0123456789");
    EXPECT_EQ(head.header.timestamp, 1700000000u);
    EXPECT_EQ(head.header.plainSize, 5000u);
    // Not an MP4 inside, so the reader itself would call the key wrong: the pages are checked raw.
    QByteArray pages = container.mid(ContainerFormat::headerBytes);
    for (int page = 0; page < 2; ++page)
        cipher.apply(uint64_t(page), reinterpret_cast<uint8_t*>(pages.data()) + page * 4096, 4096);
    EXPECT_EQ(pages.left(5000), plain);
}

// A real clip in its container reads back byte for byte, whatever the offsets and lengths: parts of
// pages, runs of whole pages, from the cache and past the end.
TEST(ContainerTest, ReadsAnyRangeOfAClipByteForByte) {
    test::TempFolder tmp;
    const QString plainPath = test::writeClip({.path = tmp / "plain-front.mp4", .seconds = 2});
    const QString path = test::writeContainerOf(plainPath, tmp / "sealed-front.mp4");
    const QByteArray plain = read(plainPath);
    test::unlock(path);
    ContainerReader reader = open(path);
    ASSERT_EQ(reader.size(), uint64_t(plain.size()));
    EXPECT_EQ(readRange(reader, 0, size_t(plain.size()) + 100), plain);
    std::mt19937 random(3);
    for (int i = 0; i < 300; ++i) {
        const uint64_t offset = i % 3 ? random() % plain.size() : (random() % (plain.size() / 4096)) * 4096;
        const size_t count = i % 2 ? random() % 20000 : random() % 5 * 4096;
        ASSERT_EQ(readRange(reader, offset, count), plain.mid(qsizetype(offset), qsizetype(count)))
            << offset << " " << count;
    }
    EXPECT_TRUE(readRange(reader, uint64_t(plain.size()), 10).isEmpty());
    KeyRing::instance().clear();
}

// Each way a container cannot be read is named (with its file), never a crash or a huge
// allocation: its key unknown or wrong, cut short, a size that does not fit, a damaged header.
TEST(ContainerTest, NamesEachReasonAContainerCannotBeRead) {
    test::TempFolder tmp;
    const QString plainPath = test::writeClip({.path = tmp / "plain-front.mp4", .seconds = 0.5});
    const QByteArray sealed = read(test::writeContainerOf(plainPath, tmp / "sealed-front.mp4"));
    QByteArray hugeSize = sealed, badPoint = sealed;
    hugeSize[0] = 0x40; // 2^62 bytes
    badPoint[ContainerFormat::publicKeyOffset] = 0x02;
    using Kind = ContainerError::Kind;
    const struct {
        const char* name;
        QByteArray bytes;
        Kind kind;
        std::optional<FileKey> key = FileKey{}; // all zeros: not the file's
    } cases[] = {
        {"in-header", sealed.left(0x1800), Kind::cutShort},
        {"last-page-lost", sealed.left(sealed.size() - 4096), Kind::cutShort},
        {"huge-size", hugeSize, Kind::cutShort},
        {"pages-beyond-size", sealed + QByteArray(sealed.size() * 2, 'x'), Kind::sizeMismatch},
        {"bad-point", badPoint, Kind::damaged},
        {"wrong-key", sealed, Kind::wrongKey},
        {"no-key", sealed, Kind::locked, std::nullopt},
    };
    for (const auto& c : cases) {
        const QString path = tmp.writeFile(QString("%1-front.mp4").arg(c.name), c.bytes);
        try {
            open(path, c.key);
            ADD_FAILURE() << c.name << " opened";
        } catch (const ContainerError& e) {
            EXPECT_EQ(e.kind(), c.kind) << c.name;
            if (c.kind != Kind::locked) {
                EXPECT_TRUE(e.description().endsWith(QString("%1-front.mp4").arg(c.name))) << c.name;
            }
        }
    }
}

} // namespace
