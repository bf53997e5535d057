#include "DecryptedCopies.h"

#include "ClipCategory.h"
#include "ClipSource.h"
#include "ContainerReader.h"
#include "DirectoryListing.h"
#include "FileDelivery.h"
#include "FileName.h"
#include "PlainCopy.h"
#include "RegularFile.h"
#include "UserFacingError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSet>

namespace orvane::DecryptedCopies {

namespace {

// Folders below a chosen one are walked this deep (a drive's EncryptedClips/<category>/<event>
// is three), so a loop of links ends.
constexpr int maximumDepth = 8;
const QStringList sidecarNames = {QStringLiteral("event.json"), QStringLiteral("thumb.png")};

QString parentOf(const QString& path) {
    return QFileInfo(path).path();
}

QString targetFor(const QString& source, const QString& outDir) {
    const QStringList parts = QDir::cleanPath(source).split(QLatin1Char('/'));
    for (qsizetype i = parts.size() - 2; i >= 0; --i)
        for (ClipCategory category : Category::driveCases)
            if (parts[i] == Category::folderName(category))
                return outDir + QStringLiteral("/TeslaCam/") + parts.mid(i).join(QLatin1Char('/'));
    return outDir + QLatin1Char('/') + parts.last();
}

bool isEncryptedClip(const QString& path) {
    return media::ClipSource::isCarEncrypted(media::ClipSource::inspect(path));
}

void walk(const QString& folder, int depth, QStringList& found) {
    for (const QString& name : DirectoryListing::listFiles(folder).value_or(QStringList()))
        if (QFileInfo(name).suffix().toLower() == QLatin1String("mp4") &&
            isEncryptedClip(folder + '/' + name))
            found << folder + QLatin1Char('/') + name;
    if (depth >= maximumDepth)
        return;
    for (const QString& name : DirectoryListing::list(folder).value_or(QStringList()))
        if (const QString child = folder + QLatin1Char('/') + name; DirectoryListing::isDirectory(child))
            walk(child, depth + 1, found);
}

void writeClip(const Copy& clip, const CancellationToken& cancel,
               const std::function<void(double)>& progress) {
    FileDelivery::checkNew(clip.target);
    if (!QDir().mkpath(parentOf(clip.target)))
        throw FileSystemError(QCoreApplication::translate("DecryptedCopies", "无法创建文件夹 ") +
                              parentOf(clip.target));
    QString problem;
    FileHandle in = RegularFile::openForReading(clip.source, &problem);
    if (!in.isOpen())
        throw FileSystemError(QCoreApplication::translate("DecryptedCopies", "无法读取文件 ") + clip.source +
                              QStringLiteral(": ") + problem);
    crypto::ContainerReader reader(std::move(in), clip.source);
    OwnedFile part = FileDelivery::createPartFor(clip.target);
    try {
        crypto::PlainCopy::write(reader, part, cancel, progress);
    } catch (const FileSystemError& e) {
        throw FileSystemError(QCoreApplication::translate("DecryptedCopies", "无法写入文件 ") + clip.target +
                              QStringLiteral(": ") + e.description());
    }
    FileDelivery::commitNew(part, clip.target);
}

void copySidecar(const Copy& sidecar) {
    FileDelivery::checkNew(sidecar.target);
    OwnedFile part = FileDelivery::createPartFor(sidecar.target);
    FileDelivery::copyInto(sidecar.source, part, {},
                           QCoreApplication::translate("DecryptedCopies", "无法复制文件 ") + sidecar.source);
    FileDelivery::commitNew(part, sidecar.target);
}

} // namespace

Plan plan(const QStringList& paths, const QString& outDir) {
    QStringList found;
    for (const QString& given : paths) {
        const QString path = FileName::absolute(given);
        const auto identity = RegularFile::identify(path);
        if (identity && identity->isDirectory() && DirectoryListing::canList(path))
            walk(path, 0, found);
        else if (identity && identity->isRegular())
            found << (isEncryptedClip(path) ? QStringList{path} : QStringList());
        else
            throw FileSystemError(QCoreApplication::translate("DecryptedCopies", "无法读取: ") + given);
    }
    Plan result;
    QSet<QString> seen, folders;
    const QString out = FileName::absolute(outDir);
    for (const QString& source : found) {
        if (seen.contains(source))
            continue;
        seen.insert(source);
        result.clips.push_back({source, targetFor(source, out)});
        if (folders.contains(parentOf(source)))
            continue;
        folders.insert(parentOf(source));
        for (const QString& name : sidecarNames)
            if (const auto id = RegularFile::identify(parentOf(source) + '/' + name); id && id->isRegular())
                result.sidecars.push_back(
                    {parentOf(source) + '/' + name, parentOf(result.clips.back().target) + '/' + name});
    }
    return result;
}

Outcome write(const Plan& plan, const CancellationToken& cancel,
              const std::function<void(double)>& progress) {
    Outcome outcome;
    double total = 0, done = 0;
    for (const Copy& clip : plan.clips)
        total += double(std::max<qint64>(1, QFileInfo(clip.source).size()));
    QSet<QString> writtenFolders;
    for (const Copy& clip : plan.clips) {
        cancel.check();
        const double size = double(std::max<qint64>(1, QFileInfo(clip.source).size()));
        try {
            writeClip(clip, cancel, [&](double p) {
                if (progress)
                    progress((done + p * size) / total);
            });
            outcome.written.push_back(clip);
            writtenFolders.insert(parentOf(clip.source));
        } catch (const UserFacingError& e) {
            outcome.failures.emplace_back(clip.source, e.description());
        }
        done += size;
    }
    for (const Copy& sidecar : plan.sidecars) {
        if (!writtenFolders.contains(parentOf(sidecar.source)))
            continue;
        try {
            copySidecar(sidecar);
            outcome.written.push_back(sidecar);
        } catch (const UserFacingError& e) {
            outcome.failures.emplace_back(sidecar.source, e.description());
        }
    }
    return outcome;
}

} // namespace orvane::DecryptedCopies
