#include "ClipSource.h"

#include "ContainerError.h"
#include "KeyRing.h"
#include "RegularFile.h"

#include <QCoreApplication>
#include <array>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane::media {

namespace {

constexpr int boxHeaderBytes = 8;

uint32_t bigEndian32(QByteArrayView bytes, qsizetype at) {
    uint32_t value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | uint8_t(bytes[at + i]);
    return value;
}

// A whole top-level "moov" box lies inside `bytes` (the whole file).
bool holdsIndex(QByteArrayView bytes) {
    qsizetype at = 0;
    while (at + boxHeaderBytes <= bytes.size()) {
        const uint64_t size = bigEndian32(bytes, at);
        if (size < uint64_t(boxHeaderBytes) || at + qsizetype(size) > bytes.size())
            return false;
        if (bytes.sliced(at + 4, 4) == QByteArrayView("moov", 4))
            return true;
        at += qsizetype(size);
    }
    return false;
}

bool keyKnown(QByteArrayView head) {
    crypto::FileId id;
    std::copy_n(reinterpret_cast<const uint8_t*>(head.data()) + crypto::ContainerFormat::fileIdOffset,
                id.size(), id.begin());
    return crypto::KeyRing::instance().contains(id);
}

} // namespace

EncryptedClipError::EncryptedClipError() : MediaError(crypto::ContainerError::lockedText().toStdString()) {}
ClipStubError::ClipStubError() : MediaError(ClipSource::stubMessage().toStdString()) {}

namespace ClipSource {

ClipKind classify(QByteArrayView head, int64_t fileSize) {
    if (fileSize <= stubMaximumBytes)
        return fileSize > 0 && head.size() >= fileSize && holdsIndex(head.first(fileSize)) ? ClipKind::mp4
                                                                                           : ClipKind::stub;
    if (crypto::ContainerFormat::startsLikeMp4(head))
        return ClipKind::mp4;
    if (!crypto::ContainerFormat::looksLikeContainer(head, fileSize))
        return ClipKind::unknown;
    return keyKnown(head) ? ClipKind::unlocked : ClipKind::encrypted;
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
    return crypto::ContainerError::lockedText();
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
