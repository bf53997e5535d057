#include "VideoExportPreparer.h"

#include "ClipSource.h"
#include "ContainerReader.h"
#include "FileDelivery.h"
#include "FileName.h"
#include "PlainCopy.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace orvane {

namespace VolumeInfo {

namespace {

// mountinfo escapes space, tab, newline and backslash as three octal digits.
QString unescape(const QString& field) {
    QString out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == QLatin1Char('\\') && i + 3 < field.size()) {
            bool ok = false;
            const int code = field.mid(i + 1, 3).toInt(&ok, 8);
            if (ok) {
                out += QChar(code);
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

QString readSmallFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(f.read(4096)).trimmed();
}

} // namespace

std::vector<MountEntry> parseMountInfo(const QString& text) {
    std::vector<MountEntry> mounts;
    for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        const QStringList f = line.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        const qsizetype dash = f.indexOf(QStringLiteral("-"));
        if (dash < 6 || dash + 1 >= f.size())
            continue;
        const QStringList device = f[2].split(QLatin1Char(':'));
        if (device.size() != 2)
            continue;
        MountEntry e;
        bool okMajor = false, okMinor = false;
        e.major = device[0].toInt(&okMajor);
        e.minor = device[1].toInt(&okMinor);
        if (!okMajor || !okMinor)
            continue;
        e.root = unescape(f[3]);
        e.mountPoint = unescape(f[4]);
        e.fsType = dash + 1 < f.size() ? f[dash + 1] : QString();
        e.source = dash + 2 < f.size() ? unescape(f[dash + 2]) : QString();
        mounts.push_back(e);
    }
    return mounts;
}

std::optional<MountEntry> mountFor(const std::vector<MountEntry>& mounts, const QString& absolutePath) {
    const QString path = QDir::cleanPath(absolutePath);
    const MountEntry* best = nullptr;
    for (const MountEntry& m : mounts) {
        const QString point = QDir::cleanPath(m.mountPoint);
        const bool contains =
            point == QLatin1String("/") || path == point || path.startsWith(point + QLatin1Char('/'));
        if (contains && (!best || point.size() >= QDir::cleanPath(best->mountPoint).size()))
            best = &m;
    }
    if (!best)
        return std::nullopt;
    return *best;
}

VolumeLocality locality(const QString& fsType) {
    static const QStringList remote = {QStringLiteral("nfs"),         QStringLiteral("nfs4"),
                                       QStringLiteral("cifs"),        QStringLiteral("smb3"),
                                       QStringLiteral("smbfs"),       QStringLiteral("sshfs"),
                                       QStringLiteral("fuse.sshfs"),  QStringLiteral("9p"),
                                       QStringLiteral("davfs"),       QStringLiteral("fuse.davfs"),
                                       QStringLiteral("fuse.rclone"), QStringLiteral("ceph"),
                                       QStringLiteral("glusterfs"),   QStringLiteral("fuse.glusterfs"),
                                       QStringLiteral("afs")};
    static const QStringList localTypes = {
        QStringLiteral("ext2"),    QStringLiteral("ext3"),    QStringLiteral("ext4"),
        QStringLiteral("xfs"),     QStringLiteral("btrfs"),   QStringLiteral("f2fs"),
        QStringLiteral("vfat"),    QStringLiteral("exfat"),   QStringLiteral("ntfs"),
        QStringLiteral("ntfs3"),   QStringLiteral("fuseblk"), QStringLiteral("hfsplus"),
        QStringLiteral("tmpfs"),   QStringLiteral("overlay"), QStringLiteral("zfs"),
        QStringLiteral("iso9660"), QStringLiteral("udf")};
    if (remote.contains(fsType))
        return VolumeLocality::notLocal;
    if (localTypes.contains(fsType))
        return VolumeLocality::local;
    return VolumeLocality::unknown;
}

bool isRemovableDevice(const QString& sysRoot, int major, int minor) {
    if (major == 0)
        return false; // anonymous devices: tmpfs, overlay, FUSE, network
    const QString link = QStringLiteral("%1/dev/block/%2:%3").arg(sysRoot).arg(major).arg(minor);
    const QString device = QFileInfo(link).canonicalFilePath();
    if (device.isEmpty())
        return false;
    // USB sticks and card readers often report removable 0; the bus they hang off tells.
    if (device.contains(QLatin1String("/usb")))
        return true;
    if (readSmallFile(device + QStringLiteral("/removable")) == QLatin1String("1"))
        return true;
    // A partition has no "removable" of its own; its disk is the parent folder.
    if (QFileInfo::exists(device + QStringLiteral("/partition")))
        return readSmallFile(QFileInfo(device).absolutePath() + QStringLiteral("/removable")) ==
               QLatin1String("1");
    return false;
}

bool shouldCopyLocally(const QString& path, const QString& mountInfoText, const QString& sysRoot) {
    QString resolved = QFileInfo(path).canonicalFilePath();
    if (resolved.isEmpty())
        resolved = QFileInfo(path).absoluteFilePath();
    const auto mount = mountFor(parseMountInfo(mountInfoText), resolved);
    if (!mount)
        return false;
    if (isRemovableDevice(sysRoot, mount->major, mount->minor))
        return true;
    return locality(mount->fsType) == VolumeLocality::notLocal;
}

bool shouldCopyLocally(const QString& path) {
    QFile f(QStringLiteral("/proc/self/mountinfo"));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    return shouldCopyLocally(path, QString::fromUtf8(f.readAll()), QStringLiteral("/sys"));
}

} // namespace VolumeInfo

namespace VideoExportPreparer {

namespace {

// The MP4 inside an unlocked container, written into `copy`: what ffmpeg reads in its place.
void decryptInto(const QString& source, OwnedFile& copy, const CancellationToken& cancel,
                 const QString& failure) {
    QString problem;
    FileHandle in = RegularFile::openForReading(source, &problem);
    if (!in.isOpen())
        throw FileSystemError(failure + QStringLiteral(": ") + problem);
    try {
        crypto::ContainerReader reader(std::move(in), source);
        crypto::PlainCopy::write(reader, copy, cancel);
    } catch (const crypto::ContainerError& e) {
        throw GPUVideoExporterError::exportFailed(e.description());
    } catch (const FileSystemError& e) {
        throw FileSystemError(failure + QStringLiteral(": ") + e.description());
    }
}

} // namespace

PreparedInput localInput(const TeslaVideoFile& video, bool forceCopy, const CancellationToken& cancel) {
    // Every export reads its footage through here: what the car encrypted is named as such,
    // before ffmpeg could call it invalid data.
    const media::ClipKind kind = media::ClipSource::inspect(video.url);
    if (kind == media::ClipKind::encrypted)
        throw GPUVideoExporterError::encryptedSource();
    // ffmpeg's arguments and join lists pass through QString as UTF-8: a name that is not
    // valid UTF-8 reaches ffmpeg only as a copy under a name of our own.
    if (!forceCopy && !FileName::hasRawBytes(video.url) && !VolumeInfo::shouldCopyLocally(video.url))
        return {video.url, std::nullopt, nullptr};
    cancel.check();
    const QString failure =
        QCoreApplication::translate("VideoExportPreparer", "无法复制视频: ") + video.fileName;
    std::shared_ptr<OwnedFile> copy;
    try {
        copy = std::make_shared<OwnedFile>(OwnedFile::create(
            OwnedFiles::temporaryPath(OwnedFiles::exportCopyPrefix, QStringLiteral(".mp4"))));
    } catch (const FileSystemError& e) {
        throw FileSystemError(failure + QStringLiteral(": ") + e.description());
    }
    // The ffmpeg program cannot decrypt: it gets the MP4 inside, in a copy of ours that goes
    // with the export, whatever its outcome (and with the start-up sweep after a crash).
    if (kind == media::ClipKind::unlocked)
        decryptInto(video.url, *copy, cancel, failure);
    else
        FileDelivery::copyInto(video.url, *copy, cancel, failure);
    return {copy->path(), copy->path(), copy};
}

} // namespace VideoExportPreparer

} // namespace orvane
