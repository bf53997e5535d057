#pragma once

// SHA-256 of bytes and of files as stored (an encrypted clip's container, not its plain video).
// Any thread; one Sha256 object per thread.

#include "CancellationToken.h"

#include <QByteArray>
#include <QString>
#include <memory>

namespace orvane {

// Incremental SHA-256 (OpenSSL, which uses the processor's SHA instructions where present).
class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void add(const char* data, size_t size);
    // Lower-case hex of everything added; the object is spent afterwards.
    QString finishHex();

private:
    struct State;
    std::unique_ptr<State> state_;
};

namespace FileDigest {

QString sha256Hex(const QByteArray& data);

// Reads the regular file once, a chunk at a time, checking `cancel` between chunks. Throws
// FileSystemError with the system's reason, OperationCancelled.
QString sha256OfFile(const QString& path, const CancellationToken& cancel = {});

} // namespace FileDigest
} // namespace orvane
