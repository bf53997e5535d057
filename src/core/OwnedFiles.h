#pragma once

// Temporary files marked with their owner's process id, and the sweep that removes what a killed process left.
// Any thread may call these.

#include "RegularFile.h"
#include "UserFacingError.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace orvane {

// A file created for this process alone: exclusively (an existing file or link of that name
// is never reused), locked while the object lives, removed with it unless kept. The name
// carries the owner's process id and the lock shows the owner is alive even to a process in
// another PID namespace or on another machine sharing the folder: a sweep never removes a
// file in use, nor anything it did not make.
class OwnedFile {
public:
    // Throws FileSystemError holding only the system's text ("No space left on device"), as
    // do writeAll and sync: the caller names the file the user knows.
    static OwnedFile create(const QString& path);
    ~OwnedFile();
    OwnedFile(OwnedFile&& other) noexcept;
    OwnedFile& operator=(OwnedFile&&) = delete;
    OwnedFile(const OwnedFile&) = delete;
    OwnedFile& operator=(const OwnedFile&) = delete;

    const QString& path() const { return path_; }
    int fd() const { return handle_.fd(); }
    void writeAll(const QByteArray& data);
    // Everything written (by any handle) reaches the disk: late write errors show here.
    void sync();
    // The file has been moved to its final name: it is no longer removed.
    void keep() { kept_ = true; }

private:
    OwnedFile(const QString& path, FileHandle handle) : path_(path), handle_(std::move(handle)) {}
    QString path_;
    FileHandle handle_;
    bool kept_ = false;
};

namespace OwnedFiles {

// Names in the temporary folder start with one of these, then "<pid>-<uuid>".
inline const QString exportCopyPrefix = QStringLiteral("tesla-export-");
inline const QString gridPrefix = QStringLiteral("tesla-grid-");
inline const QString mergePrefix = QStringLiteral("tesla-merge-");
inline const QString mergedPrefix = QStringLiteral("tesla-merged-");
inline const QString captureFolderPrefix = QStringLiteral("orvane-capture-");
// For the window's staging folder of a photo-library export.
inline const QString stagingFolderPrefix = QStringLiteral("orvane-export-");

// ".<name>.<pid>-<random>.part.<ext>" beside `finalPath`, shortened where needed so that it
// fits the folder's name-length limit whatever the final name's length.
QString partPathFor(const QString& finalPath);

// "<prefix><pid>-<uuid><suffix>" in the temporary folder.
QString temporaryPath(const QString& prefix, const QString& suffix = {});

// The process id marked in a name made by partPathFor or temporaryPath; nothing for any
// other name.
std::optional<qint64> ownerOf(const QString& fileName);

// Removes from `folder` the marked files (and temporary workspaces) whose owner process has
// ended and which no process holds locked; links, FIFOs, other users' files and unmarked
// names are never touched. Returns how many entries were removed.
int sweep(const QString& folder);

// The same for the temporary folder: at start-up and before each export.
int sweepTemporaryFolder();

} // namespace OwnedFiles
} // namespace orvane
