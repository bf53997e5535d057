#include "ClipDeletionService.h"

#include "MetadataParser.h"
#include "TranslatedText.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <unistd.h>

namespace orvane {

namespace {
// The failure message names this many files and counts the rest.
constexpr int namedFailures = 3;
constexpr TranslatedText nameSeparator{"ClipDeletionService", QT_TRANSLATE_NOOP("ClipDeletionService", "、")};
const QString filesFolder = QStringLiteral("files");
const QString infoFolder = QStringLiteral("info");
const QString trashInfoSuffix = QStringLiteral(".trashinfo");
} // namespace

ClipDeletionError ClipDeletionError::partiallyFailed(int deletedCount, const QStringList& failedNames) {
    QString names = failedNames.mid(0, namedFailures).join(nameSeparator.text());
    if (failedNames.size() > namedFailures)
        names = QCoreApplication::translate("ClipDeletionService", "%1等 %2 个文件")
                    .arg(names)
                    .arg(failedNames.size());
    const QString text =
        QCoreApplication::translate("ClipDeletionService",
                                    "已删除 %1 个文件，但 %2 删除失败。请重新导入 TeslaCam 文件夹刷新列表。")
            .arg(deletedCount)
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

// Undoes a move that Qt reported as trashed but that landed outside any trash: the file goes
// back to its place and the record Qt wrote beside it is removed.
void putBack(const QString& trashedPath, const QString& originalPath) {
    const QFileInfo trashed(QFileInfo(trashedPath).absoluteFilePath()); // Qt may report it relative
    const QDir root(QFileInfo(trashed.path()).path());
    QFile::rename(trashed.filePath(), originalPath);
    QFile::remove(root.filePath(infoFolder + QLatin1Char('/') + trashed.fileName() + trashInfoSuffix));
    root.rmdir(filesFolder); // only when left empty
    root.rmdir(infoFolder);
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
    files.removeIf([](const QString& path) { return !QFileInfo::exists(path); });
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

bool moveFileToTrash(const QString& path) {
    ensureGenericDataFolder();
    QString trashedPath;
    if (!QFile::moveToTrash(path, &trashedPath))
        return false;
    if (isInTrash(trashedPath, homeTrash(), unsigned(::getuid())))
        return true;
    putBack(trashedPath, path);
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
