#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace orvane::DirectoryListing {

// The names in a folder in the order the file system returns them, hidden names (leading
// dot) left out; nothing when the folder cannot be listed.
std::optional<QStringList> list(const QString& folder);

// The same, raising FileSystemError with the system's text when the folder cannot be listed.
QStringList listOrThrow(const QString& folder);

// Only the names of regular files and of links to them (what can be a clip): folders, FIFOs,
// devices and sockets are left out. Never opens an entry.
std::optional<QStringList> listFiles(const QString& folder);
QStringList listFilesOrThrow(const QString& folder);

bool canList(const QString& folder); // opens the folder for listing, reads nothing
bool isDirectory(const QString& path); // follows symbolic links
bool exists(const QString& path);

} // namespace orvane::DirectoryListing
