#pragma once
// The stateless rules of the library side of the main view model: which categories the
// browser offers and opens, why a chosen folder is refused, and the status and deletion texts.
// Pure functions (those that look at the disk say so); any thread.

#include "ExportSettings.h"
#include "MetadataParser.h"
#include "TeslaClipEvent.h"
#include "TeslaVideoFile.h"
#include "TranslatedText.h"

#include <QLocale>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUuid>
#include <optional>
#include <vector>

namespace orvane {

enum class ImportMode { none, teslaCam };

namespace LibraryRules {

// "none" / "teslaCam".
QString rawValue(ImportMode mode);

// With a drive imported: recent, sentry and saved always, then imported when it has events.
// Otherwise the categories (in order) whose lists are not empty.
std::vector<ClipCategory> availableCategories(ImportMode mode, const EventsByCategory& events);
// The first of saved, sentry, recent, imported that has events.
std::optional<ClipCategory> preferredCategory(const EventsByCategory& events);
// The front camera's file, else back, the repeaters, the pillars; else the first file.
std::optional<TeslaVideoFile> preferredExportVideo(const std::vector<TeslaVideoFile>& files);

inline constexpr TranslatedText startMessage{"LibraryRules",
                                             QT_TRANSLATE_NOOP("LibraryRules", "选择 TeslaCam 文件夹开始")};
inline constexpr TranslatedText onlyFilesMessage{
    "LibraryRules", QT_TRANSLATE_NOOP("LibraryRules", "请选择文件夹，而不是单个视频文件。")};
inline constexpr TranslatedText insideDriveMessage{
    "LibraryRules",
    QT_TRANSLATE_NOOP(
        "LibraryRules",
        "请选择 TeslaCam 根目录，不要选择 RecentClips、SentryClips、SavedClips 或其中的片段文件夹。")};
inline constexpr TranslatedText notRecognisedMessage{
    "LibraryRules",
    QT_TRANSLATE_NOOP(
        "LibraryRules",
        "未识别为 TeslaCam 文件夹，请选择包含 RecentClips、SentryClips、SavedClips 的根目录。")};
inline constexpr TranslatedText noClipsMessage{
    "LibraryRules",
    QT_TRANSLATE_NOOP("LibraryRules", "所选文件夹中没有找到视频片段，请重新选择正确的 TeslaCam 文件夹。")};
inline constexpr TranslatedText importFailedStatus{"LibraryRules",
                                                   QT_TRANSLATE_NOOP("LibraryRules", "导入失败")};
inline constexpr TranslatedText loadFailedStatus{"LibraryRules",
                                                 QT_TRANSLATE_NOOP("LibraryRules", "加载片段失败")};

// Whether a folder that is no drive root is part of one: a category folder or anything inside
// one, or a clip folder (its name is a clip time). Judged from the text of the path.
bool looksLikePartOfDrive(const QString& folder);

// What the user chose, sorted out before a scan: the folders to scan, or why nothing is.
struct ImportChoice {
    QStringList folders;
    std::optional<QString> rejection;
};
// Keeps the folders (loose files are dropped; a drive holding a TeslaCam root stands for that root)
// and requires each to be a drive root. Looks at the disk: call it off the interface thread.
ImportChoice checkImportChoice(const QStringList& paths);

// "已扫描 N 个片段，请选择要处理的录像" for all events of all categories.
QString scannedStatus(const EventsByCategory& events);
// "最近回放" for a continuous session, else the event's start as a short date and a time.
QString eventTimeTitle(const TeslaClipEvent& event, const QLocale& locale = QLocale());
// Category · time title · "N 个视频".
QString loadedEventStatus(const TeslaClipEvent& event, int loadedFiles, const QLocale& locale = QLocale());
// Time title · "当前摄像头无匹配视频".
QString noMatchingVideoStatus(const TeslaClipEvent& event, const QLocale& locale = QLocale());

// "输出位置：系统相册" after choosing the library; "输出目录: " + the folder otherwise.
QString photosLibraryStatus();
QString outputDirectoryStatus(const OutputDestination& destination);
// "打开相册" when the result (else the settings) goes to the photo library, else "打开输出目录".
QString openOutputButtonTitle(const std::optional<OutputDestination>& resultDestination,
                              const OutputDestination& settingsDestination);

// The ids select-all leaves selected: none when every event is already selected (and there
// is at least one), else all of them.
QSet<QUuid> toggledSelectAll(const std::vector<TeslaClipEvent>& events, const QSet<QUuid>& selected);
// "已将 E 个片段的 N 个源视频移到废纸篓".
QString deletedStatus(int events, int files);

} // namespace LibraryRules
} // namespace orvane
