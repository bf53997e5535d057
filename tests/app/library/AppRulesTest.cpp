// The stateless rules behind the main view model, as tables: categories, import refusals,
// status texts, merge ranges and the texts of deletion and merging.

#include "LibraryRules.h"
#include "MergeRules.h"
#include "TestSupport.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace orvane;

namespace {

TeslaClipEvent event(ClipCategory category, Instant start = 0) {
    TeslaClipEvent e;
    e.id = QUuid::createUuid();
    e.category = category;
    e.startTime = start;
    return e;
}

TeslaVideoFile file(const QString& name) {
    TeslaVideoFile v;
    v.id = QUuid::createUuid();
    v.fileName = name;
    v.url = QStringLiteral("/drive/") + name;
    v.cameraAngle = Camera::parse(name);
    return v;
}

EventsByCategory library(std::initializer_list<std::pair<ClipCategory, int>> counts) {
    EventsByCategory map;
    for (auto [category, n] : counts)
        for (int i = 0; i < n; ++i)
            map[category].push_back(event(category));
    return map;
}

QStringList raw(const std::vector<ClipCategory>& categories) {
    QStringList names;
    for (ClipCategory c : categories)
        names << Category::rawValue(c);
    return names;
}

} // namespace

TEST(LibraryRules, availableAndPreferredCategories) {
    struct Case {
        ImportMode mode;
        EventsByCategory events;
        QStringList available;
        QString preferred;
    };
    const std::vector<Case> cases = {
        {ImportMode::teslaCam, {}, {"recent", "sentry", "saved"}, ""},
        {ImportMode::teslaCam,
         library({{ClipCategory::imported, 1}}),
         {"recent", "sentry", "saved", "imported"},
         "imported"},
        {ImportMode::teslaCam,
         library({{ClipCategory::saved, 0}, {ClipCategory::recent, 2}}),
         {"recent", "sentry", "saved"},
         "recent"},
        {ImportMode::teslaCam,
         library({{ClipCategory::sentry, 1}, {ClipCategory::recent, 2}}),
         {"recent", "sentry", "saved"},
         "sentry"},
        {ImportMode::teslaCam,
         library({{ClipCategory::saved, 1}, {ClipCategory::sentry, 1}}),
         {"recent", "sentry", "saved"},
         "saved"},
        {ImportMode::none,
         library({{ClipCategory::imported, 1}, {ClipCategory::sentry, 1}, {ClipCategory::saved, 0}}),
         {"sentry", "imported"},
         "sentry"},
        {ImportMode::none, {}, {}, ""},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        EXPECT_EQ(raw(LibraryRules::availableCategories(c.mode, c.events)), c.available) << i;
        const auto preferred = LibraryRules::preferredCategory(c.events);
        EXPECT_EQ(preferred ? Category::rawValue(*preferred) : QString(), c.preferred) << i;
    }
}

TEST(LibraryRules, preferredExportVideoWalksTheCamerasInOrder) {
    struct Case {
        QStringList names;
        QString expected;
    };
    const std::vector<Case> cases = {
        {{"a-back.mp4", "a-front.mp4"}, "a-front.mp4"},
        {{"a-right_pillar.mp4", "a-left_repeater.mp4", "a-back.mp4"}, "a-back.mp4"},
        {{"a-right_pillar.mp4", "a-left_pillar.mp4"}, "a-left_pillar.mp4"},
        {{"a-right_repeater.mp4", "a-left_pillar.mp4"}, "a-right_repeater.mp4"},
        {{"clip.mp4", "other.mp4"}, "clip.mp4"},
        {{}, ""},
    };
    for (const Case& c : cases) {
        std::vector<TeslaVideoFile> files;
        for (const QString& n : c.names)
            files.push_back(file(n));
        const auto chosen = LibraryRules::preferredExportVideo(files);
        EXPECT_EQ(chosen ? chosen->fileName : QString(), c.expected) << c.names.join(',').toStdString();
    }
}

TEST(LibraryRules, aFolderInsideADriveIsToldApartFromAnUnrelatedOne) {
    struct Case {
        QString path;
        bool partOfDrive;
    };
    const std::vector<Case> cases = {
        {"/media/u/TeslaCam/SavedClips", true},
        {"/media/u/TeslaCam/RecentClips/", true},
        {"/media/u/TeslaCam/SentryClips/2024-05-01_10-20-30", true},
        {"/media/u/TeslaCam/SavedClips/2024-05-01_10-20-30/x", true},
        {"/home/u/2024-05-01_10-20-30", true}, // a clip folder on its own
        {"/home/u/savedclips", false},
        {"/home/u/Videos", false},
        {"/", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LibraryRules::looksLikePartOfDrive(c.path), c.partOfDrive) << c.path.toStdString();
}

TEST(LibraryRules, importChoiceKeepsFoldersAndRequiresDriveRoots) {
    test::TempFolder t;
    const QString root = t.makeFolder("a/TeslaCam");
    t.makeFolder("a/TeslaCam/SavedClips");
    const QString secondRoot = t.makeFolder("b/TeslaCam");
    t.makeFolder("b/TeslaCam/RecentClips");
    const QString loose = t.writeFile("loose.mp4");
    const QString unrelated = t.makeFolder("Videos");
    struct Case {
        QStringList paths;
        QStringList folders;
        std::optional<QString> rejection;
    };
    const std::vector<Case> cases = {
        {{root, secondRoot}, {root, secondRoot}, std::nullopt},
        {{root, loose}, {root}, std::nullopt},
        {{loose}, {}, LibraryRules::onlyFilesMessage},
        {{t / "missing"}, {}, LibraryRules::onlyFilesMessage},
        {{root + "/SavedClips"}, {root + "/SavedClips"}, LibraryRules::insideDriveMessage},
        {{unrelated, root}, {unrelated, root}, LibraryRules::notRecognisedMessage},
    };
    for (size_t i = 0; i < cases.size(); ++i) {
        const auto choice = LibraryRules::checkImportChoice(cases[i].paths);
        EXPECT_EQ(choice.folders, cases[i].folders) << i;
        EXPECT_EQ(choice.rejection, cases[i].rejection) << i;
    }
}

TEST(LibraryRules, statusTexts) {
    test::ScopedTimeZone zone("Asia/Shanghai");
    TeslaClipEvent saved = event(ClipCategory::saved, 1714530030); // 2024-05-01 10:20:30 +08
    TeslaClipEvent session = event(ClipCategory::recent, 1714530030);
    session.isContinuousSession = true;
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    EXPECT_EQ(LibraryRules::eventTimeTitle(session, chinese), "最近回放");
    EXPECT_EQ(LibraryRules::eventTimeTitle(saved, chinese), "2024/5/1 10:20:30");
    EXPECT_EQ(LibraryRules::eventTimeTitle(saved, english), "5/1/24 10:20:30 AM");
    EXPECT_EQ(LibraryRules::loadedEventStatus(saved, 12, chinese),
              "手动保存 · 2024/5/1 10:20:30 · 12 个视频");
    EXPECT_EQ(LibraryRules::noMatchingVideoStatus(session, chinese), "最近回放 · 当前摄像头无匹配视频");
    EXPECT_EQ(LibraryRules::scannedStatus(library({{ClipCategory::saved, 2}, {ClipCategory::recent, 1}})),
              "已扫描 3 个片段，请选择要处理的录像");
    EXPECT_EQ(LibraryRules::deletedStatus(2, 16), "已将 2 个片段的 16 个源视频移到废纸篓");
}

TEST(LibraryRules, outputTexts) {
    const QString home = QDir::homePath();
    EXPECT_EQ(LibraryRules::outputDirectoryStatus(OutputDestination::inFolder(home + "/Downloads/clips")),
              "输出目录: ~/Downloads/clips");
    EXPECT_EQ(LibraryRules::outputDirectoryStatus(OutputDestination::photosLibrary()), "输出目录: 系统相册");
    const auto folder = OutputDestination::inFolder("/tmp");
    const auto photos = OutputDestination::photosLibrary();
    EXPECT_EQ(LibraryRules::openOutputButtonTitle(std::nullopt, folder), "打开输出目录");
    EXPECT_EQ(LibraryRules::openOutputButtonTitle(std::nullopt, photos), "打开相册");
    // The result's own destination wins over settings changed afterwards.
    EXPECT_EQ(LibraryRules::openOutputButtonTitle(photos, folder), "打开相册");
    EXPECT_EQ(LibraryRules::openOutputButtonTitle(folder, photos), "打开输出目录");
}

TEST(LibraryRules, selectAllTogglesBetweenAllAndNone) {
    const std::vector<TeslaClipEvent> events = {event(ClipCategory::saved), event(ClipCategory::saved)};
    const QSet<QUuid> all{events[0].id, events[1].id};
    EXPECT_EQ(LibraryRules::toggledSelectAll(events, {}), all);
    EXPECT_EQ(LibraryRules::toggledSelectAll(events, {events[0].id}), all);
    EXPECT_EQ(LibraryRules::toggledSelectAll(events, all), QSet<QUuid>());
    // An id of another category does not count as selecting this one's events.
    EXPECT_EQ(LibraryRules::toggledSelectAll(events, {QUuid::createUuid()}), all);
    EXPECT_EQ(LibraryRules::toggledSelectAll({}, {}), QSet<QUuid>());
}

TEST(MergeRules, keptRangeStaysInsideTheItemAndAtLeastATenthLong) {
    struct StartCase {
        double t, end, expected;
    };
    for (const StartCase& c : std::vector<StartCase>{
             {50, 30, 29.9}, {-3, 30, 0}, {12.25, 30, 12.25}, {29.95, 30, 29.9}, {0.5, 0.05, 0}}) {
        EXPECT_NEAR(MergeRules::clampedRangeStart(c.t, c.end), c.expected, 1e-9) << c.t << " " << c.end;
    }
    struct EndCase {
        double t, start, total, expected;
    };
    for (const EndCase& c : std::vector<EndCase>{{10, 29.9, 60, 30.0},
                                                 {1000, 0, 60, 60},
                                                 {44.5, 10, 60, 44.5},
                                                 {59.95, 59.9, 60, 60},
                                                 {0.5, 0, 0.05, 0.05}}) {
        EXPECT_NEAR(MergeRules::clampedRangeEnd(c.t, c.start, c.total), c.expected, 1e-9)
            << c.t << " " << c.start;
    }
}

TEST(MergeRules, itemsMoveOnePlaceAndNotPastTheEnds) {
    std::vector<VideoMergeItem> items(3);
    for (auto& item : items)
        item.id = QUuid::createUuid();
    const QUuid a = items[0].id, b = items[1].id, c = items[2].id;
    EXPECT_FALSE(MergeRules::moveItem(items, a, -1));
    EXPECT_FALSE(MergeRules::moveItem(items, c, +1));
    EXPECT_FALSE(MergeRules::moveItem(items, QUuid::createUuid(), -1));
    EXPECT_TRUE(MergeRules::moveItem(items, c, -1));
    EXPECT_EQ((std::vector<QUuid>{items[0].id, items[1].id, items[2].id}), (std::vector<QUuid>{a, c, b}));
    EXPECT_TRUE(MergeRules::moveItem(items, a, +1));
    EXPECT_EQ((std::vector<QUuid>{items[0].id, items[1].id, items[2].id}), (std::vector<QUuid>{c, a, b}));
}

TEST(MergeRules, pickOrderAndTexts) {
    QStringList picks;
    for (const char* key : {"a", "c", "b", "c"})
        MergeRules::toggleInOrder(picks, QString::fromLatin1(key));
    EXPECT_EQ(picks, QStringList({"a", "b"}));
    EXPECT_EQ(MergeRules::eventsMissingCameraMessage(CameraAngle::back),
              "所选视频中至少有两个没有 后路 画面，请更换机位后重试");
    EXPECT_EQ(MergeRules::segmentsMissingCameraMessage(CameraAngle::leftRepeater),
              "所选片段缺少 左盲区 画面，请更换机位后重试");
    EXPECT_EQ(MergeRules::cameraChangeMissingMessage(CameraAngle::rightPillar),
              "所选片段中有视频缺少 右柱 画面");
}
