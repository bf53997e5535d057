#pragma once
// Sample-drive clips for the tests that read real video (their target links orvane_sample_drive).

#include "ContainerReader.h"
#include "KeyRing.h"
#include "SampleContainer.h"
#include "SampleDrive.h"

#include <QFile>
#include <stdexcept>

namespace orvane::test {

// Writes `spec` (H.264 with a frame pattern, the camera and the time in every picture, and
// telemetry before every frame) and returns its path.
inline QString writeClip(const sample::ClipSpec& spec) {
    sample::writeClip(spec);
    return spec.path;
}

// The car's container of the MP4 at `plainPath`, written to `path`, under the key the sample key
// service knows for it; returns `path`.
inline QString writeContainerOf(const QString& plainPath, const QString& path) {
    QFile in(plainPath), out(path);
    if (!in.open(QIODevice::ReadOnly) || !out.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write a container");
    const QByteArray plain = in.readAll();
    out.write(sample::makeContainer(plain,
                                    sample::SampleKeys::fieldsFor(uint64_t(plain.size()), path.toUtf8(), 0)));
    return path;
}

// Puts a sample container's key into the key ring, as the key service's answer would.
inline void unlock(const QString& containerPath) {
    const crypto::FileId id = crypto::ContainerReader::readHead(containerPath).header.fileId;
    crypto::KeyRing::instance().insert(id, sample::SampleKeys::keyFor(id));
}

} // namespace orvane::test
