#include "FileDigest.h"

#include "RegularFile.h"
#include "UserFacingError.h"

#include <QCoreApplication>
#include <cerrno>
#include <cstring>
#include <openssl/evp.h>
#include <unistd.h>
#include <vector>

namespace orvane {

namespace {
// Large enough that the system call overhead vanishes, small enough to stay in cache.
constexpr size_t chunkBytes = 1 << 20;
} // namespace

struct Sha256::State {
    EVP_MD_CTX* context = EVP_MD_CTX_new();
    ~State() { EVP_MD_CTX_free(context); }
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
    if (!state_->context || EVP_DigestInit_ex(state_->context, EVP_sha256(), nullptr) != 1)
        throw std::bad_alloc();
}

Sha256::~Sha256() = default;

void Sha256::add(const char* data, size_t size) {
    EVP_DigestUpdate(state_->context, data, size);
}

QString Sha256::finishHex() {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    EVP_DigestFinal_ex(state_->context, digest, &length);
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char*>(digest), int(length)).toHex());
}

namespace FileDigest {

QString sha256Hex(const QByteArray& data) {
    Sha256 hash;
    hash.add(data.constData(), size_t(data.size()));
    return hash.finishHex();
}

QString sha256OfFile(const QString& path, const CancellationToken& cancel) {
    QString problem;
    const FileHandle file = RegularFile::openForReading(path, &problem);
    if (!file.isOpen())
        throw FileSystemError(
            QCoreApplication::translate("FileDigest", "无法读取文件 %1：%2").arg(path, problem));
    Sha256 hash;
    std::vector<char> buffer(chunkBytes);
    for (;;) {
        cancel.check();
        const ssize_t got = ::read(file.fd(), buffer.data(), buffer.size());
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            throw FileSystemError(QCoreApplication::translate("FileDigest", "无法读取文件 %1：%2")
                                      .arg(path, QString::fromLocal8Bit(std::strerror(errno))));
        }
        hash.add(buffer.data(), size_t(got));
    }
    return hash.finishHex();
}

} // namespace FileDigest
} // namespace orvane
