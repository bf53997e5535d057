// Names in bytes that are not UTF-8 are listed and trashed with those bytes, on the home disk and on a
// mounted drive's `.Trash-<uid>`; a read-only drive refuses the move with every file in place.

#include "ClipDeletionService.h"
#include "FileName.h"
#include "MetadataParser.h"
#include "RegularFile.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orvane;

namespace {

struct Unmount {
    QString path;
    ~Unmount() {
        if (!path.isEmpty())
            test::runProgram("umount", {path});
    }
};

bool existsAt(const QByteArray& path) {
    struct stat st {};
    return ::lstat(path.constData(), &st) == 0;
}

TEST(RawNameLibrary, ScannedListedAndTrashedUnderTheirOwnBytes) {
    test::ScopedTimeZone zone{"Asia/Shanghai"};
    test::TempFolder tmp;
    const test::RemovedByBytes cleanup{tmp.path()};
    test::ScopedEnvironment dataHome{"XDG_DATA_HOME", QFile::encodeName(tmp / "home/.local/share")};
    const QByteArray event = "TeslaCam/SavedClips/2024-05-01_10-01-42";
    for (const QString where : {"disk", "drive", "read-only"}) {
        SCOPED_TRACE(where.toStdString());
        const bool onDrive = where != "disk";
        const QString base = tmp.makeFolder(where);
        Unmount unmount;
        if (onDrive && !test::runProgram("mount", {"-t", "tmpfs", "-o", "size=1m", "tmpfs", base}))
            GTEST_SKIP() << "a drive of its own needs the right to mount a file system";
        unmount.path = onDrive ? base : QString();
        tmp.writeFile(
            where + "/usb/" + event + "/event.json",
            R"({"timestamp":"2024-05-01T10:01:42","reason":"user_interaction_dashcam_icon_tapped"})");
        for (const char* name : {"2024-05-01_10-01-00-front.mp4", "2024-05-01_10-01-00-back.mp4"})
            tmp.writeFile(where + "/usb/" + event + "/" + name, "video");
        const QByteArray root = QFile::encodeName(base) + "/cl\xe9 USB";
        ASSERT_EQ(::rename(QFile::encodeName(base + "/usb").constData(), root.constData()), 0);
        ASSERT_EQ(::rename((root + '/' + event + "/2024-05-01_10-01-00-back.mp4").constData(),
                           (root + '/' + event + "/x\xe9y.mp4").constData()),
                  0);

        const EventsByCategory library = MetadataParser::scanLibrary({FileName::decode(root + "/TeslaCam")});
        ASSERT_EQ(library.count(ClipCategory::saved), 1u);
        ASSERT_EQ(library.at(ClipCategory::saved).size(), 1u);
        const TeslaClipEvent& found = library.at(ClipCategory::saved).front();
        EXPECT_EQ(FileName::encode(found.folderURL), root + '/' + event);
        QStringList names;
        for (const TeslaVideoFile& video : MetadataParser::loadVideos(found, CameraAngle::all)) {
            names << video.fileName;
            EXPECT_TRUE(RegularFile::identify(video.url)) << FileName::display(video.url).toStdString();
        }
        EXPECT_TRUE(names.contains(FileName::decode("x\xe9y.mp4"))) << names.join(' ').toStdString();

        const QByteArray front = "2024-05-01_10-01-00-front.mp4";
        if (where == "read-only") {
            ASSERT_TRUE(test::runProgram("mount", {"-o", "remount,ro", base}));
            const QDir homeTrash(tmp / "home/.local/share/Trash/files");
            const QStringList trashed = homeTrash.entryList(QDir::Files);
            try {
                ClipDeletionService::moveSourceVideosToTrash({found});
                ADD_FAILURE() << "a read-only drive reported success";
            } catch (const ClipDeletionError& e) {
                EXPECT_EQ(e.deletedCount(), 0);
            }
            EXPECT_TRUE(existsAt(root + '/' + event + '/' + front));
            EXPECT_EQ(homeTrash.entryList(QDir::Files), trashed) << "moved off the drive";
            continue;
        }
        // The camera file goes; a file the car did not name is no minute of the event and stays.
        EXPECT_EQ(ClipDeletionService::moveSourceVideosToTrash({found}), 1);
        const QByteArray trash = onDrive
                                     ? QFile::encodeName(base) + "/.Trash-" + QByteArray::number(::getuid())
                                     : QFile::encodeName(tmp / "home/.local/share/Trash");
        EXPECT_FALSE(existsAt(root + '/' + event + '/' + front));
        EXPECT_TRUE(existsAt(root + '/' + event + "/x\xe9y.mp4"));
        EXPECT_TRUE(existsAt(trash + "/files/" + front));
        const QByteArray original = (onDrive ? "cl\xe9 USB" : root) + '/' + event + '/' + front;
        const auto record =
            RegularFile::readSmallFile(FileName::decode(trash + "/info/" + front + ".trashinfo"), 4096);
        ASSERT_TRUE(record);
        EXPECT_TRUE(
            record->startsWith("[Trash Info]\nPath=" + original.toPercentEncoding("/") + "\nDeletionDate="))
            << record->toStdString();
    }
}

} // namespace
