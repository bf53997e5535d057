#pragma once

#include <QString>

namespace orvane::FileDelivery {

// A hidden, unique name beside `finalPath` to write into before the file is complete.
QString temporarySibling(const QString& finalPath);

// Moves a complete file over `finalPath` in one step, so readers see either the old file or
// the new one. Throws FileSystemError with the system's text.
void replace(const QString& completePath, const QString& finalPath);

// `fileName` in `directory`, or "base-2.ext", "base-3.ext", … when taken.
QString availablePath(const QString& directory, const QString& fileName);

// Moves a complete file into `directory` under the first free name, never overwriting a file
// that appears meanwhile; returns the path taken. Throws FileSystemError.
QString moveToFreeName(const QString& completePath, const QString& directory, const QString& fileName);

// Copies `source` into `directory` under a free name, through a hidden temporary file, so a
// failed copy leaves nothing behind. Throws FileSystemError.
QString copyToFreeName(const QString& source, const QString& directory, const QString& fileName);

// Writes `data` to a free name in `directory` the same way.
QString writeToFreeName(const QByteArray& data, const QString& directory, const QString& fileName);

} // namespace orvane::FileDelivery
