// Deleting events on a drive of its own, as a USB stick is: the files go to the drive's own
// `.Trash-<uid>` (freedesktop Trash), and a drive that has become read-only refuses the move
// with every file left in place. The drive is a small file system mounted by the test.

#include "ClipDeletionService.h"
#include "MetadataParser.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace orvane;

namespace {
struct Unmount {
    QString path;
    ~Unmount() { test::runProgram("umount", {path}); }
};
} // namespace

TEST(ClipDeletionDrive, TrashesOnTheDriveOrRefusesWhenItIsReadOnly) {
    test::ScopedTimeZone zone{"Asia/Shanghai"};
    test::TempFolder tmp;
    test::ScopedEnvironment dataHome{"XDG_DATA_HOME", QFile::encodeName(tmp / "home/.local/share")};
    const QString userTrash = QStringLiteral(".Trash-%1").arg(::getuid());
    for (const bool readOnly : {false, true}) {
        SCOPED_TRACE(readOnly ? "read-only" : "writable");
        const QString drive = tmp.makeFolder(readOnly ? "read-only" : "writable");
        if (!test::runProgram("mount", {"-t", "tmpfs", "-o", "size=1m", "tmpfs", drive}))
            GTEST_SKIP() << "a drive of its own needs the right to mount a file system";
        const Unmount unmount{drive};
        const QString folder = QDir(drive).filePath("TeslaCam/SavedClips/2024-05-01_10-01-42");
        QDir().mkpath(folder);
        for (const char* camera : {"front", "back"}) {
            QFile file(folder + QStringLiteral("/2024-05-01_10-01-00-%1.mp4").arg(QLatin1String(camera)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write("video");
        }
        const auto events = MetadataParser::summarizeEvents(folder, ClipCategory::saved);
        if (readOnly) {
            ASSERT_TRUE(test::runProgram("mount", {"-o", "remount,ro", drive}));
        }
        try {
            EXPECT_EQ(ClipDeletionService::moveSourceVideosToTrash(events), 2);
            EXPECT_FALSE(readOnly) << "a read-only drive reported success";
            EXPECT_EQ(QDir(drive + "/" + userTrash + "/files").entryList(QDir::Files).size(), 2);
            EXPECT_EQ(QDir(drive + "/" + userTrash + "/info").entryList(QDir::Files).size(), 2);
        } catch (const ClipDeletionError& e) {
            EXPECT_TRUE(readOnly) << e.description().toStdString();
            EXPECT_EQ(e.deletedCount(), 0);
            EXPECT_EQ(QDir(folder).entryList(QDir::Files).size(), 2);
        }
        EXPECT_TRUE(QDir(tmp / "home/.local/share/Trash/files").entryList(QDir::Files).isEmpty())
            << "moved off the drive";
    }
}
