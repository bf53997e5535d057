#pragma once

#include <QString>
#include <QStringList>

namespace orvane::FFmpegLocator {

// Where ffmpeg is looked for, in order, given the folder of the running executable (may be
// empty when unknown).
QStringList candidates(const QString& executableDir);

// The first candidate that is an executable file; searched afresh on every call.
// Throws FFmpegLocatorError::notFound.
QString executablePath();
QString executablePath(const QStringList& candidates);

} // namespace orvane::FFmpegLocator
