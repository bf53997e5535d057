// Moving events' files to the Trash, also the real one under a temporary home.

#include "ClipDeletionService.h"

#include "MetadataParser.h"
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <unistd.h>

using namespace orvane;
namespace deletion = orvane::ClipDeletionService;

namespace {

QStringList names(const QStringList& paths) {
    QStringList out;
    for (const QString& p : paths)
        out << QFileInfo(p).fileName();
    return out;
}

// The error a move ends in, or nothing when it succeeds.
std::optional<ClipDeletionError> failureOf(const std::function<void()>& move) {
    try {
        move();
    } catch (const ClipDeletionError& e) {
        return e;
    }
    return std::nullopt;
}

// A drive and a home (with its Trash) on the same file system, so the home trash is used.
class ClipDeletion : public testing::Test {
protected:
    test::ScopedTimeZone zone{"Asia/Shanghai"};
    test::TempFolder tmp;
    test::ScopedEnvironment home{"HOME", QFile::encodeName(tmp / "home")};
    test::ScopedEnvironment dataHome{"XDG_DATA_HOME", QFile::encodeName(tmp / "home/.local/share")};

    // Minutes 10:00, 10:01, 10:05 and 10:06 (front and back): two events, split at the gap.
    std::vector<TeslaClipEvent> splitFolder() {
        const QString folder = tmp.makeFolder("TeslaCam/SavedClips/2024-05-01_10-06-42");
        for (const char* stamp : {"10-00-00", "10-01-00", "10-05-00", "10-06-00"})
            for (const char* camera : {"front", "back"})
                tmp.writeFile(QStringLiteral("TeslaCam/SavedClips/2024-05-01_10-06-42/2024-05-01_%1-%2.mp4")
                                  .arg(QLatin1String(stamp), QLatin1String(camera)),
                              "video");
        auto events = MetadataParser::summarizeEvents(folder, ClipCategory::saved);
        std::sort(events.begin(), events.end(),
                  [](const auto& a, const auto& b) { return a.startTime < b.startTime; });
        return events;
    }
    TeslaClipEvent imported(const QString& relativePath) {
        return MetadataParser::makeImportedEvent(tmp.writeFile(relativePath, "video"));
    }
};

// Records the files it is asked to move; fails the ones named in `refuse`.
struct FakeTrash {
    QStringList asked;
    QSet<QString> refuse;
    deletion::TrashMover mover() {
        return [this](const QString& path) {
            asked << path;
            return !refuse.contains(QFileInfo(path).fileName());
        };
    }
};

} // namespace

TEST(ClipDeletionError, NamesAtMostThreeFailedFiles) {
    const auto text = [](int deleted, const QStringList& failed) {
        return ClipDeletionError::partiallyFailed(deleted, failed).description();
    };
    EXPECT_EQ(
        text(1, {"a", "b", "c"}),
        QString::fromUtf8("已删除 1 个文件，但 a、b、c 删除失败。请重新导入 TeslaCam 文件夹刷新列表。"));
    EXPECT_EQ(text(0, {"a", "b", "c", "d"}),
              QString::fromUtf8(
                  "已删除 0 个文件，但 a、b、c等 4 个文件 删除失败。请重新导入 TeslaCam 文件夹刷新列表。"));
}

TEST(ClipDeletionTrash, RecognisesTrashFolders) {
    const QString home = QStringLiteral("/home/u/.local/share/Trash");
    const struct {
        const char* path;
        bool inTrash;
    } cases[] = {
        {"/home/u/.local/share/Trash/files/a.mp4", true},
        {"/media/u/STICK/.Trash-1000/files/a.mp4", true},
        {"/media/u/STICK/.Trash/1000/files/a.mp4", true},
        {"/media/u/STICK/.Trash-0/files/a.mp4", false}, // another user's
        {"./files/a.mp4", false},                       // Qt's fallback into the working folder
        {"/home/u/.local/share/Trash/info/a.mp4", false},
        {"/home/u/.local/share/Trash/files/sub/a.mp4", false},
        {"/other/Trash/files/a.mp4", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(deletion::isInTrash(QString::fromUtf8(c.path), home, 1000), c.inTrash) << c.path;
    EXPECT_FALSE(deletion::isInTrash(QStringLiteral("/x/Trash/files/a.mp4"), QString(), 1000));
}

TEST_F(ClipDeletion, EventsSplitAtAGapTrashDisjointFilesEachOnce) {
    const auto events = splitFolder();
    ASSERT_EQ(events.size(), 2u);
    const QStringList first = deletion::sourceFiles({events[0]}), second = deletion::sourceFiles({events[1]});
    EXPECT_EQ(names(first), (QStringList{"2024-05-01_10-00-00-back.mp4", "2024-05-01_10-00-00-front.mp4",
                                         "2024-05-01_10-01-00-back.mp4", "2024-05-01_10-01-00-front.mp4"}));
    EXPECT_EQ(names(second), (QStringList{"2024-05-01_10-05-00-back.mp4", "2024-05-01_10-05-00-front.mp4",
                                          "2024-05-01_10-06-00-back.mp4", "2024-05-01_10-06-00-front.mp4"}));
    FakeTrash trash; // a file listed twice is moved once
    const TeslaClipEvent sameFile = MetadataParser::makeImportedEvent(first.first());
    EXPECT_EQ(deletion::moveSourceVideosToTrash({events[0], sameFile, events[0]}, trash.mover()), 4);
    EXPECT_EQ(trash.asked, first);
}

TEST_F(ClipDeletion, VanishedFilesLeaveNothingToMove) {
    auto events = splitFolder();
    for (const QString& path : deletion::sourceFiles(events))
        QFile::remove(path);
    const TeslaClipEvent gone = imported("Movies/2024-05-01_11-00-00-front.mp4");
    QFile::remove(*gone.sourceFileURL);
    events.push_back(gone);
    FakeTrash trash;
    const auto error = failureOf([&] { deletion::moveSourceVideosToTrash(events, trash.mover()); });
    EXPECT_EQ(error ? int(error->kind()) : -1, int(ClipDeletionError::Kind::noSourceVideos));
    EXPECT_TRUE(trash.asked.isEmpty());
}

TEST_F(ClipDeletion, AFolderThatCannotBeListedStopsBeforeAnythingMoves) {
    auto events = splitFolder();
    TeslaClipEvent unplugged = events[1];
    unplugged.folderURL = tmp / "TeslaCam/SavedClips/unplugged";
    FakeTrash trash;
    EXPECT_THROW(deletion::moveSourceVideosToTrash({events[0], unplugged}, trash.mover()), FileSystemError);
    EXPECT_TRUE(trash.asked.isEmpty());
}

TEST_F(ClipDeletion, FailuresAreCountedAndNamedInOrder) {
    const auto events = splitFolder(); // eight files in all
    FakeTrash trash;
    const QStringList all = names(deletion::sourceFiles(events));
    trash.refuse = {all[0], all[2], all[3], all[5], all[7]};
    const auto error = failureOf([&] { deletion::moveSourceVideosToTrash(events, trash.mover()); });
    ASSERT_TRUE(error);
    EXPECT_EQ(error->deletedCount(), 3);
    EXPECT_EQ(error->failedNames(), (QStringList{all[0], all[2], all[3], all[5], all[7]}));
    EXPECT_EQ(trash.asked.size(), 8);
}

// An imported file goes to the Trash; when no Trash can be made it stays and counts as failed, and
// nothing lands in the working folder (where Qt's own trashing fell back to ./files).
TEST_F(ClipDeletion, AnImportedFileGoesToTheTrashOrStaysAndCountsAsFailed) {
    const struct {
        const char* blocked; // a plain file in this place under the data folder, if any
        bool moved;
    } cases[] = {{nullptr, true}, {"Trash/files", false}, {"Trash", false}};
    const QString previous = QDir::currentPath();
    const QString front = QStringLiteral("2024-05-01_10-00-00-front.mp4");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.blocked ? c.blocked : "nothing blocked");
        const QString base = QStringLiteral("case-%1/").arg(&c - cases);
        test::ScopedEnvironment dataHome{"XDG_DATA_HOME", QFile::encodeName(tmp / base + "share")};
        if (c.blocked)
            tmp.writeFile(base + "share/" + c.blocked, "not a folder");
        const TeslaClipEvent event = imported(base + "Movies/" + front);
        const QString neighbour = tmp.writeFile(base + "Movies/2024-05-01_10-00-00-back.mp4", "video");
        QDir::setCurrent(tmp.makeFolder(base + "work"));
        int moved = 0;
        const auto error = failureOf([&] { moved = deletion::moveSourceVideosToTrash({event}); });
        QDir::setCurrent(previous);
        EXPECT_TRUE(QFile::exists(neighbour));
        EXPECT_EQ(QDir(tmp / base + "work").entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                  QStringList());
        if (c.moved) {
            EXPECT_FALSE(error);
            EXPECT_EQ(moved, 1);
            EXPECT_EQ(QDir(tmp / base + "share/Trash/files").entryList(QDir::Files), QStringList{front});
        } else {
            ASSERT_TRUE(error);
            EXPECT_EQ(error->deletedCount(), 0);
            EXPECT_EQ(error->failedNames(), QStringList{front});
            EXPECT_EQ(QFile(*event.sourceFileURL).size(), 5);
        }
    }
}
