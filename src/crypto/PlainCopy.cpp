#include "PlainCopy.h"

#include <QByteArray>

namespace orvane::crypto::PlainCopy {

namespace {

// Cancelling waits for at most one chunk.
constexpr qsizetype chunkBytes = 1 << 20;

} // namespace

void write(ContainerReader& reader, OwnedFile& target, const CancellationToken& cancel,
           const std::function<void(double)>& progress) {
    QByteArray chunk(chunkBytes, Qt::Uninitialized);
    uint64_t done = 0;
    while (done < reader.size()) {
        cancel.check();
        const int64_t n = reader.readAt(done, reinterpret_cast<uint8_t*>(chunk.data()), size_t(chunk.size()));
        if (n < 0)
            throw ContainerError::readFailed(reader.path(), qt_error_string(int(-n)));
        if (n == 0)
            throw ContainerError::ofHeader(ContainerFormat::HeaderProblem::cutShort, reader.path());
        target.writeAll(QByteArray::fromRawData(chunk.constData(), qsizetype(n)));
        done += uint64_t(n);
        if (progress)
            progress(double(done) / double(reader.size()));
    }
}

} // namespace orvane::crypto::PlainCopy
