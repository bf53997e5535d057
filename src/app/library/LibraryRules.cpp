#include "LibraryRules.h"

#include "DirectoryListing.h"
#include "TranslatedText.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <algorithm>

namespace orvane::LibraryRules {

namespace {
constexpr TranslatedText recentSessionTitle{"LibraryRules", QT_TRANSLATE_NOOP("LibraryRules", "最近回放")};
const QString separator = QStringLiteral(" · ");
constexpr qint64 millisecondsPerSecond = 1000;

int eventCount(const EventsByCategory& events, ClipCategory category) {
    const auto found = events.find(category);
    return found == events.end() ? 0 : int(found->second.size());
}
} // namespace

QString rawValue(ImportMode mode) {
    return mode == ImportMode::teslaCam ? QStringLiteral("teslaCam") : QStringLiteral("none");
}

std::vector<ClipCategory> availableCategories(ImportMode mode, const EventsByCategory& events) {
    std::vector<ClipCategory> result;
    if (mode == ImportMode::teslaCam) {
        result.assign(Category::driveCases.begin(), Category::driveCases.end());
        if (eventCount(events, ClipCategory::imported) > 0)
            result.push_back(ClipCategory::imported);
        return result;
    }
    for (ClipCategory c : Category::allCases)
        if (eventCount(events, c) > 0)
            result.push_back(c);
    return result;
}

std::optional<ClipCategory> preferredCategory(const EventsByCategory& events) {
    for (ClipCategory c :
         {ClipCategory::saved, ClipCategory::sentry, ClipCategory::recent, ClipCategory::imported})
        if (eventCount(events, c) > 0)
            return c;
    return std::nullopt;
}

std::optional<TeslaVideoFile> preferredExportVideo(const std::vector<TeslaVideoFile>& files) {
    for (CameraAngle camera : Camera::physicalCases)
        for (const TeslaVideoFile& file : files)
            if (file.cameraAngle == camera)
                return file;
    if (files.empty())
        return std::nullopt;
    return files.front();
}

bool looksLikePartOfDrive(const QString& folder) {
    const QString path = QDir::cleanPath(folder);
    if (Category::from(path))
        return true;
    if (MetadataParser::isEventFolderName(QFileInfo(path).fileName()))
        return true;
    // Ancestors are only text here: a folder deep inside a category folder is still part of it.
    for (QString up = QFileInfo(path).path();
         up != QLatin1String("/") && !up.isEmpty() && up != QLatin1String("."); up = QFileInfo(up).path())
        if (Category::from(up))
            return true;
    return false;
}

ImportChoice checkImportChoice(const QStringList& paths) {
    ImportChoice choice;
    for (const QString& path : paths) {
        if (!DirectoryListing::isDirectory(path))
            continue;
        // The drive itself, as a file manager's "Open with" gives it: its TeslaCam folder is meant.
        const QString teslaCam = QDir(path).filePath(QStringLiteral("TeslaCam"));
        const bool driveOfRoot =
            !MetadataParser::isTeslaCamRoot(path) && MetadataParser::isTeslaCamRoot(teslaCam);
        choice.folders << (driveOfRoot ? teslaCam : path);
    }
    if (choice.folders.isEmpty()) {
        choice.rejection = onlyFilesMessage;
        return choice;
    }
    QStringList notRoots;
    for (const QString& folder : choice.folders)
        if (!MetadataParser::isTeslaCamRoot(folder))
            notRoots << folder;
    if (notRoots.isEmpty())
        return choice;
    const bool partOfDrive = std::any_of(notRoots.begin(), notRoots.end(), looksLikePartOfDrive);
    choice.rejection = partOfDrive ? insideDriveMessage : notRecognisedMessage;
    return choice;
}

QString scannedStatus(const EventsByCategory& events) {
    int total = 0;
    for (const auto& [category, list] : events)
        total += int(list.size());
    return QCoreApplication::translate("LibraryRules", "已扫描 %n 个片段，请选择要处理的录像", nullptr,
                                       total);
}

QString eventTimeTitle(const TeslaClipEvent& event, const QLocale& locale) {
    if (event.isContinuousSession)
        return recentSessionTitle;
    const QDateTime start =
        QDateTime::fromMSecsSinceEpoch(qint64(event.startTime * millisecondsPerSecond), Qt::LocalTime);
    // A clock time with seconds but without the zone name the long form may carry.
    QString timeFormat = locale.timeFormat(QLocale::LongFormat);
    timeFormat.remove(QLatin1Char('t'));
    return locale.toString(start.date(), QLocale::ShortFormat) + QLatin1Char(' ') +
           locale.toString(start.time(), timeFormat.trimmed());
}

QString loadedEventStatus(const TeslaClipEvent& event, int loadedFiles, const QLocale& locale) {
    return Category::displayName(event.category) + separator + eventTimeTitle(event, locale) + separator +
           QCoreApplication::translate("LibraryRules", "%n 个视频", nullptr, loadedFiles);
}

QString noMatchingVideoStatus(const TeslaClipEvent& event, const QLocale& locale) {
    return eventTimeTitle(event, locale) + separator +
           QCoreApplication::translate("LibraryRules", "当前摄像头无匹配视频");
}

QString photosLibraryStatus() {
    return QCoreApplication::translate("LibraryRules", "输出位置：系统相册");
}

QString outputDirectoryStatus(const OutputDestination& destination) {
    return QCoreApplication::translate("LibraryRules", "输出目录: ") +
           (destination.isFolder() ? localizedFolderPath(destination.folder)
                                   : QCoreApplication::translate("LibraryRules", "系统相册"));
}

QString openOutputButtonTitle(const std::optional<OutputDestination>& resultDestination,
                              const OutputDestination& settingsDestination) {
    const OutputDestination& destination = resultDestination ? *resultDestination : settingsDestination;
    return destination.isFolder() ? QCoreApplication::translate("LibraryRules", "打开输出目录")
                                  : QCoreApplication::translate("LibraryRules", "打开相册");
}

QSet<QUuid> toggledSelectAll(const std::vector<TeslaClipEvent>& events, const QSet<QUuid>& selected) {
    const bool allSelected =
        !events.empty() && std::all_of(events.begin(), events.end(),
                                       [&](const TeslaClipEvent& e) { return selected.contains(e.id); });
    QSet<QUuid> result;
    if (allSelected)
        return result;
    for (const TeslaClipEvent& e : events)
        result.insert(e.id);
    return result;
}

QString deletedStatus(int events, int files) {
    // Two counts, each with its own plural: the clips' words go inside the videos' sentence.
    return QCoreApplication::translate("LibraryRules", "已将 %1的 %n 个源视频移到废纸篓", nullptr, files)
        .arg(QCoreApplication::translate("LibraryRules", "%n 个片段", nullptr, events));
}

} // namespace orvane::LibraryRules
