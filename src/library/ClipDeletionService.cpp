#include "ClipDeletionService.h"

#include "DirectoryListing.h"
#include "FileName.h"
#include "MetadataParser.h"
#include "TranslatedText.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <cerrno>
#include <fcntl.h>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace orvane {

namespace {
// The failure message names this many files and counts the rest.
constexpr int namedFailures = 3;
constexpr TranslatedText nameSeparator{"ClipDeletionService", QT_TRANSLATE_NOOP("ClipDeletionService", "、")};
const QString filesFolder = QStringLiteral("files");
constexpr mode_t trashFolderMode = 0700;
constexpr mode_t trashRecordMode = 0600;
// Records named "a.mp4", "a.2.mp4", … are tried this many times before the move gives up.
constexpr int maxTrashNameTries = 10000;
} // namespace

ClipDeletionError ClipDeletionError::partiallyFailed(int deletedCount, const QStringList& failedNames) {
    QString names = failedNames.mid(0, namedFailures).join(nameSeparator.text());
    if (failedNames.size() > namedFailures)
        names = QCoreApplication::translate("ClipDeletionService", "%1等 %n 个文件", nullptr,
                                            int(failedNames.size()))
                    .arg(names);
    const QString text =
        QCoreApplication::translate("ClipDeletionService",
                                    "已删除 %n 个文件，但 %1 删除失败。请重新导入 TeslaCam 文件夹刷新列表。",
                                    nullptr, deletedCount)
            .arg(names);
    return {Kind::partiallyFailed, text, deletedCount, failedNames};
}

ClipDeletionError ClipDeletionError::noSourceVideos() {
    return {Kind::noSourceVideos,
            QCoreApplication::translate("ClipDeletionService",
                                        "没有找到该片段对应的源视频，可能已被移动或删除。")};
}

namespace ClipDeletionService {

namespace {
QString homeTrash() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash");
}

bool makeOwnFolder(const QByteArray& path) {
    struct stat st {};
    if (::mkdir(path.constData(), trashFolderMode) == 0)
        return true;
    return errno == EEXIST && ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The top of the file system holding `folder`: the last parent on the same device.
QByteArray topOf(QByteArray folder, dev_t device) {
    struct stat st {};
    while (folder.size() > 1) {
        const qsizetype slash = folder.lastIndexOf('/');
        const QByteArray up = slash > 0 ? folder.left(slash) : QByteArray("/");
        if (::stat(up.constData(), &st) != 0 || st.st_dev != device)
            break;
        folder = up;
    }
    return folder;
}

// The trash for a file on `device` in `folder`: the home trash when it lies on the same file
// system, else `<top>/.Trash/<uid>` (an administrator's sticky folder) or `<top>/.Trash-<uid>`.
// Also the prefix the record's Path is relative to (empty: absolute). Empty when none can be had.
std::pair<QByteArray, QByteArray> trashFor(const QByteArray& folder, dev_t device) {
    const QByteArray home = FileName::encode(homeTrash());
    struct stat st {};
    const QByteArray homeParent = home.left(home.lastIndexOf('/'));
    if (::stat(homeParent.constData(), &st) == 0 && st.st_dev == device)
        return {makeOwnFolder(home) ? home : QByteArray(), QByteArray()};
    const QByteArray top = topOf(folder, device);
    const QByteArray user = QByteArray::number(::getuid());
    const QByteArray shared = (top == "/" ? QByteArray() : top) + "/.Trash";
    if (::lstat(shared.constData(), &st) == 0 && S_ISDIR(st.st_mode) && (st.st_mode & S_ISVTX) &&
        makeOwnFolder(shared + '/' + user))
        return {shared + '/' + user, top};
    const QByteArray own = (top == "/" ? QByteArray() : top) + "/.Trash-" + user;
    return {makeOwnFolder(own) ? own : QByteArray(), top};
}

// Creates the record `info/<name>.trashinfo` under a name free in the trash; the name, or
// nothing when no record could be written.
std::optional<QByteArray> writeRecord(const QByteArray& trash, const QByteArray& name,
                                      const QByteArray& pathText) {
    const QByteArray record = "[Trash Info]\nPath=" + pathText.toPercentEncoding("/") + "\nDeletionDate=" +
                              QDateTime::currentDateTime().toString(Qt::ISODate).toLatin1() + "\n";
    const qsizetype dot = name.lastIndexOf('.');
    for (int n = 1; n < maxTrashNameTries; ++n) {
        const QByteArray candidate = n == 1 || dot <= 0
                                         ? name + (n == 1 ? QByteArray() : "." + QByteArray::number(n))
                                         : name.left(dot) + "." + QByteArray::number(n) + name.mid(dot);
        const QByteArray info = trash + "/info/" + candidate + ".trashinfo";
        const int fd = ::open(info.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, trashRecordMode);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd < 0)
            return std::nullopt;
        const bool written = ::write(fd, record.constData(), size_t(record.size())) == record.size();
        if (::close(fd) == 0 && written)
            return candidate;
        ::unlink(info.constData());
        return std::nullopt;
    }
    return std::nullopt;
}
} // namespace

QStringList sourceFiles(const std::vector<TeslaClipEvent>& events) {
    QStringList files;
    QSet<QString> seen;
    for (const TeslaClipEvent& event : events)
        for (const QString& path : MetadataParser::sourceVideoURLs(event)) {
            const QString cleaned = QDir::cleanPath(path);
            if (!seen.contains(cleaned)) {
                seen.insert(cleaned);
                files << path;
            }
        }
    files.removeIf([](const QString& path) { return !DirectoryListing::exists(path); });
    return files;
}

int moveSourceVideosToTrash(const std::vector<TeslaClipEvent>& events) {
    return moveSourceVideosToTrash(events, moveFileToTrash);
}

int moveSourceVideosToTrash(const std::vector<TeslaClipEvent>& events, const TrashMover& moveToTrash) {
    const QStringList files = sourceFiles(events);
    if (files.isEmpty())
        throw ClipDeletionError::noSourceVideos();
    int moved = 0;
    QStringList failedNames;
    for (const QString& path : files) {
        if (moveToTrash(path))
            ++moved;
        else
            failedNames << QFileInfo(path).fileName();
    }
    if (!failedNames.isEmpty())
        throw ClipDeletionError::partiallyFailed(moved, failedNames);
    return moved;
}

// The freedesktop Trash by the file system's bytes: Qt's QFile::moveToTrash reaches the file by
// a QString and cannot move a name that is not valid UTF-8.
bool moveFileToTrash(const QString& path) {
    ensureGenericDataFolder();
    const QByteArray source = FileName::encode(QDir::cleanPath(path));
    struct stat st {};
    if (!source.startsWith('/') || ::lstat(source.constData(), &st) != 0)
        return false;
    const qsizetype slash = source.lastIndexOf('/');
    const auto [trash, top] = trashFor(slash > 0 ? source.left(slash) : QByteArray("/"), st.st_dev);
    if (trash.isEmpty() || !makeOwnFolder(trash + "/files") || !makeOwnFolder(trash + "/info"))
        return false;
    // A trash on another drive records the path from that drive's top, as the drive may be
    // mounted elsewhere when the file is restored.
    const bool relative = !top.isEmpty() && top != "/";
    const auto name =
        writeRecord(trash, source.mid(slash + 1), relative ? source.mid(top.size() + 1) : source);
    if (!name)
        return false;
    const QByteArray target = trash + "/files/" + *name;
    if (isInTrash(FileName::decode(target), homeTrash(), unsigned(::getuid())) &&
        ::rename(source.constData(), target.constData()) == 0)
        return true;
    ::unlink((trash + "/info/" + *name + ".trashinfo").constData());
    return false;
}

bool ensureGenericDataFolder() {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return !folder.isEmpty() && QDir().mkpath(folder);
}

bool isInTrash(const QString& trashedPath, const QString& homeTrashPath, unsigned userId) {
    const QFileInfo file(QDir::cleanPath(trashedPath));
    const QFileInfo filesDir(file.path());
    if (!file.isAbsolute() || filesDir.fileName() != filesFolder)
        return false;
    const QFileInfo trashRoot(filesDir.path());
    const QString user = QString::number(userId);
    if (trashRoot.fileName() == QStringLiteral(".Trash-") + user)
        return true;
    if (trashRoot.fileName() == user && QFileInfo(trashRoot.path()).fileName() == QStringLiteral(".Trash"))
        return true;
    return !homeTrashPath.isEmpty() && trashRoot.filePath() == QDir::cleanPath(homeTrashPath);
}

} // namespace ClipDeletionService
} // namespace orvane
