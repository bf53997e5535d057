#include "ExportErrors.h"
#include "FFmpegCommands.h"
#include "FFmpegProcess.h"
#include "FileDelivery.h"
#include "PhotosLibraryExporter.h"
#include "PieceTiming.h"
#include "TestSupport.h"
#include "VideoExportPreparer.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace orvane;

namespace {

QString argAfter(const QStringList& args, const QString& flag, int nth = 0) {
    for (int i = 0; i + 1 < args.size(); ++i)
        if (args[i] == flag && nth-- == 0)
            return args[i + 1];
    return {};
}

// The re-encoding cut runs only when ffmpeg refuses a copy; the rest run end to end in the export tests.
TEST(FFmpegCommandsTest, ArgumentsClampTimesAndTheReencodingCutSeeksTheInput) {
    const auto grid = FFmpegCommands::gridFrameArguments(
        Camera::GridLayout::four, {{CameraAngle::front, "/t/f.mp4"}}, -2, 12, {1280, 720}, "/w/frames");
    EXPECT_EQ(argAfter(grid, "-ss"), "0.000");
    EXPECT_EQ(argAfter(FFmpegCommands::trimCopyArguments("/in.mp4", "/out.mp4", -1, 0), "-ss"), "0.000");
    const auto reencode = FFmpegCommands::trimReencodeArguments("/in.mp4", "/out.mp4", 3, 4);
    EXPECT_LT(reencode.indexOf("-ss"), reencode.indexOf("-i")) << "seeks the input, not the output";
    EXPECT_EQ(argAfter(reencode, "-t"), "4.000");
}

// A stand-in ffmpeg: a shell script with a given body.
QString fakeFFmpeg(const test::TempFolder& folder, const QByteArray& body) {
    const QString path = folder.writeFile("ffmpeg", "#!/bin/sh\n" + body + "\n");
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

// ffmpeg's own words never reach the user: a refused system call it names is said in the
// system's words, anything else is an unknown failure.
TEST(FFmpegProcessTest, FailuresAreSaidInTheSystemsWordsOrAsUnknown) {
    test::TempFolder folder;
    struct Case {
        QByteArray body;
        int error;
    } cases[] = {{"echo '[mov,mp4 @ 0x55] moov atom not found' >&2; exit 1", 0},
                 {"echo 'av_interleaved_write_frame(): No space left on device' >&2; exit 1", ENOSPC},
                 {"[ \"$LC_ALL\" = C ] && echo 'Input/output error' >&2; exit 1", EIO},
                 {"kill -9 $$", 0}};
    for (const auto& c : cases)
        try {
            FFmpegProcess::run(fakeFFmpeg(folder, c.body), {}, 0, {}, {});
            ADD_FAILURE() << c.body.constData();
        } catch (const FFmpegSegmentMergerError& e) {
            EXPECT_EQ(e.systemError(), c.error) << c.body.constData();
            EXPECT_EQ(e.message(),
                      c.error ? qt_error_string(c.error) : QString(FFmpegSegmentMergerError::unknownFailure));
        }
    EXPECT_THROW(FFmpegProcess::run(folder / "nothing-here", {}, 0, {}, {}), FFmpegSegmentMergerError);
}

TEST(FFmpegProcessTest, ReportsProgressAndStopsWhenCancelled) {
    test::TempFolder folder;
    std::vector<double> seen;
    FFmpegProcess::run(
        fakeFFmpeg(folder, "printf 'out_time=00:00:01.000000\\nout_time=00:00:03.0\\nprogress=end\\n'"), {},
        2.0, [&](double p) { seen.push_back(p); }, {});
    EXPECT_EQ(seen, std::vector<double>({0.5, 0.99, 1.0}));

    CancellationToken cancel;
    const QString marker = folder / "finished";
    const QString slow = fakeFFmpeg(folder, "echo out_time=00:00:00.1; sleep 5; touch " + marker.toUtf8());
    EXPECT_THROW(FFmpegProcess::run(
                     slow, {}, 1.0, [&](double) { cancel.cancel(); }, cancel),
                 OperationCancelled);
    EXPECT_FALSE(QFile::exists(marker));
}

media::VideoPacketList packets(std::initializer_list<std::pair<double, uint64_t>> list, double duration = 0) {
    media::VideoPacketList l;
    for (auto [t, h] : list)
        l.packets.push_back({t, false, h, 100});
    l.firstTime = l.packets.empty() ? 0 : l.packets.front().time;
    l.duration = duration;
    return l;
}

TEST(PieceTimingTest, MeasuresWhereCutsReallyBegin) {
    // Source frames at 10.0 + k/4 s (stream clock), hashes 100 + k.
    const auto source = packets({{10.0, 100}, {10.25, 101}, {10.5, 102}, {10.75, 103}, {11.0, 104}});
    // A stream copy asked for 0.6 s begins at the key frame 0.5 s in.
    EXPECT_DOUBLE_EQ(PieceTiming::firstFrameInSource(source, packets({{0, 102}, {0.25, 103}}), 0.6), 0.5);
    // A re-encoded cut has new bytes: the first frame at or after the start.
    EXPECT_DOUBLE_EQ(PieceTiming::firstFrameInSource(source, packets({{0, 999}}), 0.6), 0.75);
    EXPECT_DOUBLE_EQ(PieceTiming::firstFrameAtOrAfter(source, 5), 5);

    const auto joined = packets({{0, 102}, {0.25, 103}, {0.5, 100}, {0.75, 101}});
    size_t from = 0;
    EXPECT_DOUBLE_EQ(*PieceTiming::offsetInJoined(joined, packets({{0, 102}, {0.25, 103}}), from), 0);
    EXPECT_EQ(from, 2u);
    EXPECT_DOUBLE_EQ(*PieceTiming::offsetInJoined(joined, packets({{0, 100}}), from), 0.5);
    EXPECT_FALSE(PieceTiming::offsetInJoined(joined, packets({{0, 102}}), from)); // re-encoded join
}

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

// Through the mount table: escaped names, the innermost mount, whole path components.
TEST(VolumeInfoTest, DecidesWhichSourcesToCopy) {
    SysFixture sys;
    const QString root = sys.root.path();
    struct Case {
        const char* path;
        bool copy;
    } cases[] = {{"/home/li/Videos/a.mp4", false},               // internal disk
                 {"/media/li/TESLA DRIVE/TeslaCam/a.mp4", true}, // USB disk reporting removable 0
                 {"/mnt/nas/a.mp4", true},                       // network
                 {"/media/li/TESLA DRIVE2/a.mp4", false},        // not under the USB disk's mount
                 {"/mnt/nas/local-overmount/a.mp4", false},      // a local disk inside the network one
                 {"/media/li/card/a.mp4", true},                 // removable 1 on the disk
                 {"/mnt/odd/a.mp4", false}};                     // unknown: used in place
    for (const auto& c : cases)
        EXPECT_EQ(VolumeInfo::shouldCopyLocally(c.path, mountInfo, root), c.copy) << c.path;
    EXPECT_FALSE(VolumeInfo::shouldCopyLocally("/x", "garbage\n1 2 x:y / / rw - ext4 a b\n", root));
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
    EXPECT_EQ(copy.cleanupPath, copy.path);
    EXPECT_EQ(test::digest(copy.path), test::digest(video.url));
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

// Importing into the photo library under free names runs in the Pictures-folder save test.
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
    }
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

} // namespace
