#include "ExportErrors.h"
#include "FileDelivery.h"
#include "PhotosLibraryExporter.h"
#include "TestSupport.h"
#include "VideoExportPreparer.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace orvane;

namespace {

const char* mountInfo = R"(22 1 259:2 / / rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw
30 22 0:25 / /proc rw,nosuid shared:12 - proc proc rw
40 22 8:17 / /media/li/TESLA\040DRIVE rw,nosuid,nodev,relatime shared:200 - exfat /dev/sdb1 rw,uid=1000
42 22 0:50 / /mnt/nas rw,relatime shared:210 - nfs4 server:/export rw,vers=4.2
43 42 259:2 / /mnt/nas/local-overmount rw - ext4 /dev/nvme0n1p2 rw
45 22 8:33 / /media/li/card rw shared:230 - vfat /dev/sdc1 rw
46 22 0:52 / /mnt/odd rw shared:240 - fuse.mystery thing rw
)";

struct SysFixture {
    test::TempFolder root;
    SysFixture() {
        // Internal NVMe disk, not removable.
        makeDevice("259:2", "devices/pci0000:00/0000:00:1d.0/nvme/nvme0/nvme0n1/nvme0n1p2", "0");
        // USB disk that reports removable 0: the bus tells.
        makeDevice(
            "8:17",
            "devices/pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host6/target6:0:0/6:0:0:0/block/sdb/sdb1", "0");
        // Card reader on an internal bus that reports removable 1 on its disk.
        makeDevice("8:33", "devices/platform/mmc/host1/block/sdc/sdc1", "1");
    }
    // A partition whose disk reports `removable`.
    void makeDevice(const QString& number, const QString& partition, const QString& removable) {
        const QString dir = root.makeFolder(partition);
        root.writeFile(partition + "/partition", "1");
        root.writeFile(QFileInfo(dir).dir().path().mid(root.path().size() + 1) + "/removable",
                       removable.toUtf8());
        root.makeFolder("dev/block");
        QFile::link(dir, root / ("dev/block/" + number));
    }
};

TEST(VolumeInfoTest, ParsesEscapesAndPicksInnermostMount) {
    const auto mounts = VolumeInfo::parseMountInfo(mountInfo);
    ASSERT_EQ(mounts.size(), 7u);
    EXPECT_EQ(mounts[2].mountPoint, QStringLiteral("/media/li/TESLA DRIVE"));
    EXPECT_EQ(mounts[2].major, 8);
    EXPECT_EQ(mounts[2].minor, 17);
    struct Case {
        const char* path;
        const char* mountPoint;
    } cases[] = {{"/home/li/Videos/a.mp4", "/"},
                 {"/media/li/TESLA DRIVE/TeslaCam/x.mp4", "/media/li/TESLA DRIVE"},
                 {"/media/li/TESLA DRIVE2/x.mp4", "/"},
                 {"/mnt/nas/local-overmount/x.mp4", "/mnt/nas/local-overmount"}};
    for (const auto& c : cases)
        EXPECT_EQ(VolumeInfo::mountFor(mounts, c.path)->mountPoint, QString(c.mountPoint)) << c.path;
    EXPECT_TRUE(VolumeInfo::parseMountInfo("garbage\n1 2 x:y / / rw - ext4 a b\n").empty());
}

TEST(VolumeInfoTest, DecidesWhichSourcesToCopy) {
    SysFixture sys;
    const QString root = sys.root.path();
    struct Case {
        const char* path;
        bool copy;
    } cases[] = {{"/home/li/Videos/a.mp4", false},               // internal disk
                 {"/media/li/TESLA DRIVE/TeslaCam/a.mp4", true}, // USB disk reporting removable 0
                 {"/mnt/nas/a.mp4", true},                       // network
                 {"/media/li/card/a.mp4", true},                 // removable 1 on the disk
                 {"/mnt/odd/a.mp4", false}};                     // unknown: used in place
    for (const auto& c : cases)
        EXPECT_EQ(VolumeInfo::shouldCopyLocally(c.path, mountInfo, root), c.copy) << c.path;
    EXPECT_FALSE(VolumeInfo::shouldCopyLocally("/x", "", root));
}

TEST(VideoExportPreparerTest, CopiesOnlyWhenAskedOrSlow) {
    test::TempFolder folder;
    TeslaVideoFile video;
    video.url = folder.writeFile("it's here/a-front.mp4", "data");
    video.fileName = "a-front.mp4";
    const auto inPlace = VideoExportPreparer::localInput(video, false, {});
    EXPECT_EQ(inPlace.path, video.url); // the test folder is on a local disk
    EXPECT_FALSE(inPlace.cleanupPath);
    const auto copy = VideoExportPreparer::localInput(video, true, {});
    ASSERT_TRUE(copy.cleanupPath);
    EXPECT_EQ(*copy.cleanupPath, copy.path);
    QFile f(copy.path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "data");
    QFile::remove(copy.path);

    video.url = folder / "missing.mp4";
    EXPECT_THROW(VideoExportPreparer::localInput(video, true, {}), FileSystemError);
    CancellationToken cancel;
    cancel.cancel();
    EXPECT_THROW(VideoExportPreparer::localInput(video, true, cancel), OperationCancelled);
}

// Numbers after taken names and replacing a file are the image saves' tests.
TEST(FileDeliveryTest, ANameWithoutExtensionIsNumberedAtItsEnd) {
    test::TempFolder folder;
    EXPECT_EQ(FileDelivery::writeToFreeName("1", folder.path(), "noext"), folder / "noext");
    EXPECT_EQ(FileDelivery::writeToFreeName("2", folder.path(), "noext"), folder / "noext-2");
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"noext", "noext-2"}));
}

TEST(FileDeliveryTest, UnwritableFolderFailsCleanly) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes anywhere";
    test::TempFolder folder;
    const QString locked = folder.makeFolder("locked");
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    EXPECT_THROW(FileDelivery::writeToFreeName("x", locked, "a.png"), FileSystemError);
    EXPECT_TRUE(QDir(locked).entryList(QDir::Files | QDir::Hidden).isEmpty());
    try {
        PhotosLibraryExporter::importFile(folder.writeFile("v.mp4", "v"), locked);
        FAIL();
    } catch (const PhotosLibraryExporterError& e) {
        EXPECT_EQ(e.kind(), PhotosLibraryExporterError::Kind::accessDenied);
        EXPECT_EQ(e.status(), PhotosLibraryExporterError::Status::denied);
        EXPECT_TRUE(e.isRestrictedOrDenied());
    }
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

TEST(PhotosLibraryExporterTest, ImportsUnderFreeNamesAndDescribesStates) {
    test::TempFolder folder;
    const QString library = folder / "Pictures"; // made on first use
    const QString video = folder.writeFile("clip.mp4", "v");
    EXPECT_EQ(PhotosLibraryExporter::importFile(video, library), library + "/clip.mp4");
    EXPECT_EQ(PhotosLibraryExporter::importFile(video, library), library + "/clip-2.mp4");
    try {
        PhotosLibraryExporter::importFile(folder / "gone.mp4", library);
        FAIL();
    } catch (const PhotosLibraryExporterError& e) {
        EXPECT_EQ(e.kind(), PhotosLibraryExporterError::Kind::importFailed);
        EXPECT_FALSE(e.isRestrictedOrDenied());
    }
}

} // namespace
