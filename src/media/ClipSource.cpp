#include "ClipSource.h"

#include "RegularFile.h"

#include <QCoreApplication>
#include <array>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane::media {

namespace {

constexpr int boxHeaderBytes = 8;
// Box types an MP4 file can start with (ffmpeg and the car write "ftyp" first).
constexpr std::array<const char*, 7> leadingBoxTypes = {"ftyp", "moov", "mdat", "free",
                                                        "skip", "wide", "pnot"};

uint64_t bigEndian(QByteArrayView bytes, qsizetype at, int width) {
    uint64_t value = 0;
    for (int i = 0; i < width; ++i)
        value = (value << 8) | uint8_t(bytes[at + i]);
    return value;
}

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

// A whole top-level "moov" box lies inside `bytes` (the whole file).
bool holdsIndex(QByteArrayView bytes) {
    qsizetype at = 0;
    while (at + boxHeaderBytes <= bytes.size()) {
        const uint64_t size = bigEndian(bytes, at, 4);
        if (size < uint64_t(boxHeaderBytes) || at + qsizetype(size) > bytes.size())
            return false;
        if (bytes.sliced(at + 4, 4) == QByteArrayView("moov", 4))
            return true;
        at += qsizetype(size);
    }
    return false;
}

// The public description of the car's container: a big-endian 64-bit size of the MP4 inside
// first, then a file identifier, a 4 KiB header and the encrypted pages. The size must fit the
// pages (they pad it a little, never to double).
bool looksEncrypted(QByteArrayView head, int64_t fileSize) {
    constexpr int sizeFieldBytes = 8;
    if (fileSize <= ClipSource::encryptedHeaderBytes || head.size() < sizeFieldBytes)
        return false;
    const uint64_t plaintext = bigEndian(head, 0, sizeFieldBytes);
    const uint64_t pages = uint64_t(fileSize - ClipSource::encryptedHeaderBytes);
    return plaintext > 0 && plaintext <= pages && plaintext >= pages / 2;
}

} // namespace

EncryptedClipError::EncryptedClipError() : MediaError(ClipSource::encryptedMessage().toStdString()) {}
ClipStubError::ClipStubError() : MediaError(ClipSource::stubMessage().toStdString()) {}

namespace ClipSource {

ClipKind classify(QByteArrayView head, int64_t fileSize) {
    if (fileSize <= stubMaximumBytes)
        return fileSize > 0 && head.size() >= fileSize && holdsIndex(head.first(fileSize)) ? ClipKind::mp4
                                                                                           : ClipKind::stub;
    if (startsLikeMp4(head))
        return ClipKind::mp4;
    return looksEncrypted(head, fileSize) ? ClipKind::encrypted : ClipKind::unknown;
}

ClipKind inspectOpen(int fd) {
    struct stat status {};
    if (::fstat(fd, &status) != 0)
        return ClipKind::unknown;
    std::array<char, inspectedBytes> buffer{};
    const int64_t wanted = std::min<int64_t>(status.st_size, inspectedBytes);
    ssize_t got = 0;
    while (got < wanted) {
        const ssize_t n = ::pread(fd, buffer.data() + got, size_t(wanted - got), got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return ClipKind::unknown;
        got += n;
    }
    return classify(QByteArrayView(buffer.data(), got), status.st_size);
}

ClipKind inspect(const QString& path) {
    const FileHandle file = RegularFile::openForReading(path);
    return file.isOpen() ? inspectOpen(file.fd()) : ClipKind::unknown;
}

QString encryptedMessage() {
    return QCoreApplication::translate("ClipSource",
                                       "这段录像已被车辆加密（固件 2026.20 起默认开启），无法在此播放或导出。"
                                       "之后的新录像可在车内关闭加密：控制 › 安全 › 加密行车记录仪录像"
                                       "（Encrypt Dashcam Recordings）");
}

QString stubMessage() {
    return QCoreApplication::translate("ClipSource",
                                       "这一分钟的文件在录制时中断（如断电），没有可播放的画面");
}

QString encryptedNote() {
    return QCoreApplication::translate("ClipSource", "已加密");
}
QString stubNote() {
    return QCoreApplication::translate("ClipSource", "文件已损坏");
}

} // namespace ClipSource
} // namespace orvane::media
