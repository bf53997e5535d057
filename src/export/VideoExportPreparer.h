#pragma once

#include "CancellationToken.h"
#include "ExportErrors.h"
#include "OwnedFiles.h"
#include "TeslaVideoFile.h"

#include <QString>

#include <memory>
#include <optional>
#include <vector>

namespace orvane {

// What /proc/self/mountinfo says about one mount.
struct MountEntry {
    int major = 0;
    int minor = 0;
    QString root;       // the mounted subtree of the file system (bind mounts)
    QString mountPoint; // unescaped
    QString fsType;
    QString source;
};

enum class VolumeLocality { local, notLocal, unknown };

namespace VolumeInfo {

std::vector<MountEntry> parseMountInfo(const QString& text);
// The mount holding an absolute path: the longest mount point that contains it; of several
// mounts on one point, the last (the one on top).
std::optional<MountEntry> mountFor(const std::vector<MountEntry>& mounts, const QString& absolutePath);
// Network and FUSE-remote file systems are not local; block file systems and tmpfs are.
VolumeLocality locality(const QString& fsType);
// Whether block device major:minor (or the disk it is a partition of) reports removable
// media or hangs off a USB bus, read from a sysfs tree rooted at sysRoot ("/sys").
bool isRemovableDevice(const QString& sysRoot, int major, int minor);
// A removable or non-local volume is slow for the exporters' random reads.
bool shouldCopyLocally(const QString& path, const QString& mountInfoText, const QString& sysRoot);
bool shouldCopyLocally(const QString& path);

} // namespace VolumeInfo

struct PreparedInput {
    QString path;              // what the exporter reads
    std::optional<QString> cleanupPath; // a temporary copy the caller deletes
    // The copy, locked while any copy of this value lives and removed with the last one.
    std::shared_ptr<OwnedFile> copy = nullptr;
};

namespace VideoExportPreparer {
// The file itself when it lies on a fast local disk and no copy is forced; otherwise a copy
// "tesla-export-<pid>-<uuid>.mp4" in the temporary folder. Only a regular file is read; the
// copy stops between chunks when cancelled. A container whose key is known is copied decrypted
// (the ffmpeg program reads only MP4); one whose key is not is GPUVideoExporterError's
// encryptedSource, one that cannot be decrypted its exportFailed. Throws FileSystemError,
// OperationCancelled.
PreparedInput localInput(const TeslaVideoFile& video, bool forceCopy, const CancellationToken& cancel);
} // namespace VideoExportPreparer

} // namespace orvane
