#pragma once

// Putting finished files where the user wants them without ever destroying one (checked, written beside, moved over).
// Blocking file work: call it off the interface thread.

#include "CancellationToken.h"
#include "OwnedFiles.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace orvane::FileDelivery {

// Refuses an output that is one of `sources` (the same file, also through links, hard links
// and "..") or that exists and is not a regular file (a device, FIFO, socket or folder).
// Throws FileSystemError; call it before any work starts.
void checkOutput(const QString& outputPath, const QStringList& sources);

// The hidden file of this process beside `finalPath` to write the output into. Throws
// FileSystemError naming `finalPath`.
OwnedFile createPartFor(const QString& finalPath);

// Moves a complete owned file over `finalPath` in one step, so readers see either the old
// file or the new one: its data is synced first and the output checked again. Throws
// FileSystemError with the system's text; the owned file then still removes itself.
void commit(OwnedFile& complete, const QString& finalPath, const QStringList& sources);

// Refuses a `finalPath` that is taken (by anything, a dangling link too). Throws FileSystemError.
void checkNew(const QString& finalPath);

// Moves a complete owned file to `finalPath` only when nothing is there: a file of that name,
// even one that appears meanwhile, is never replaced. Throws FileSystemError naming `finalPath`.
void commitNew(OwnedFile& complete, const QString& finalPath);

// Writes `data` to `finalPath` the same way (checked, written beside it, moved over it).
void writeFile(const QByteArray& data, const QString& finalPath, const QStringList& sources);

// Copies the regular file `source` into `target` a chunk at a time, checking `cancel`
// between chunks. Throws FileSystemError ("<failure>: <reason>"), OperationCancelled.
void copyInto(const QString& source, OwnedFile& target, const CancellationToken& cancel,
              const QString& failure);

// `fileName` in `directory`, or "base-2.ext", "base-3.ext", … when taken.
QString availablePath(const QString& directory, const QString& fileName);

// Copies `source` into `directory` under a free name, through an owned temporary file, so a
// failed copy leaves nothing behind and never overwrites a file that appears meanwhile.
// Returns the path taken. Throws FileSystemError.
QString copyToFreeName(const QString& source, const QString& directory, const QString& fileName);

// Writes `data` to a free name in `directory` the same way.
QString writeToFreeName(const QByteArray& data, const QString& directory, const QString& fileName);

} // namespace orvane::FileDelivery
