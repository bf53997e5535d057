// The main view model on the event loop, over a content-free sample drive with scripted
// players and exporter: what is published and when, and which late results are dropped.

#include "MultiCameraPreviewController.h"
#include "VideoPreviewController.h"
#include "ViewModelHarness.h"

#include <QDir>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using namespace orvane;
using test::finishLoading;
using test::waitUntil;

namespace {

class MainViewModelTest : public ::testing::Test {
protected:
    // Imports the drive and opens a saved event (0: one minute, 1: two minutes).
    bool openSaved(size_t index = 0) {
        return h.imported() && h.opened_(h.event(ClipCategory::saved, index));
    }

    test::Harness h;
    LibraryViewModel& library = *h.vm->library();
    PreviewViewModel& preview = *h.vm->preview();
    MergeViewModel& merge = *h.vm->merge();
    ExportViewModel& exporter = *h.vm->exporter();
    AppMessages& messages = *h.vm->messages();
};

} // namespace

TEST_F(MainViewModelTest, anImportThatANewerOneReplacedIsDropped) {
    test::TempFolder other;
    sample::DriveSpec second;
    second.root = other / "TeslaCam";
    second.contentFree = true;
    second.events = {sample::EventSpec{}};
    sample::writeDrive(second);
    h.gates->hold("scan:" + h.root);
    library.importTeslaCamPaths({h.root});
    ASSERT_TRUE(waitUntil([&] { return h.gates->arrived("scan:" + h.root); }));
    library.importTeslaCamPaths({second.root});
    ASSERT_TRUE(waitUntil([&] { return !library.isImporting(); }));
    EXPECT_EQ(library.eventsByCategory().at(ClipCategory::saved).size(), 1u);
    QSignalSpy events(&library, &LibraryViewModel::eventsByCategoryChanged);
    QSignalSpy status(&messages, &AppMessages::statusMessageChanged);
    h.gates->release("scan:" + h.root);
    test::drainFileWork();
    EXPECT_EQ(events.count() + status.count(), 0);
    EXPECT_EQ(library.eventsByCategory().count(ClipCategory::recent), 0u);
}

TEST_F(MainViewModelTest, anEventLoadThatANewerOneOrACloseReplacedIsDropped) {
    ASSERT_TRUE(h.imported());
    const TeslaClipEvent first = h.event(ClipCategory::saved, 0);
    const TeslaClipEvent second = h.event(ClipCategory::saved, 1);
    h.gates->hold("load:" + first.folderName);
    preview.selectEvent(first);
    EXPECT_TRUE(preview.isLoadingEvent());
    ASSERT_TRUE(waitUntil([&] { return h.gates->arrived("load:" + first.folderName); }));
    ASSERT_TRUE(h.opened_(second));
    const auto videos = preview.videos();
    h.gates->release("load:" + first.folderName);
    test::drainFileWork();
    EXPECT_EQ(preview.selectedEventID(), second.id);
    EXPECT_EQ(preview.videos().size(), videos.size());
    EXPECT_EQ(preview.videos().front().id, videos.front().id);

    h.gates->hold("load:" + first.folderName);
    preview.selectEvent(first);
    preview.closeEventPreview();
    EXPECT_FALSE(preview.isLoadingEvent());
    h.gates->release("load:" + first.folderName);
    test::drainFileWork();
    EXPECT_TRUE(preview.videos().empty());
    EXPECT_FALSE(preview.selectedEvent());
}

TEST_F(MainViewModelTest, anOpenEventPlaysItsLatestMinuteAndTheCameraSwitchKeepsTheTime) {
    ASSERT_TRUE(openSaved(1)); // two minutes, 10:19:30 and 10:20:30
    EXPECT_EQ(preview.videos().size(), 8u);
    EXPECT_EQ(preview.selectedTimestampKey(), test::minuteData(preview, 0).toString());
    EXPECT_EQ(preview.selectedVideo()->cameraAngle, CameraAngle::front);
    EXPECT_TRUE(messages.statusMessage().endsWith(" · 8 个视频")) << messages.statusMessage().toStdString();

    const QString older = test::minuteData(preview, 1).toString();
    preview.selectVideoGroup(older);
    finishLoading(h.preview, 60);
    preview.videoPreview()->seek(42.5);
    preview.videoPreview()->togglePlayPause();
    preview.switchCameraFilter(QStringLiteral("all"));
    EXPECT_EQ(preview.activePreview(), preview.multiCameraPreview());
    ASSERT_TRUE(
        waitUntil([&] { return preview.multiCameraPreview()->loadedPlaylistSignature().has_value(); }));
    EXPECT_EQ(preview.multiCameraPreview()->currentTime(), 42.5);
    EXPECT_EQ(preview.selectedTimestampKey(), older);
    EXPECT_FALSE(preview.videoPreview()->isPlaying()); // the hidden player lets go of its files
    EXPECT_FALSE(preview.videoPreview()->loadedPlaylistSignature());
    EXPECT_TRUE(preview.multiCameraPreview()->isLoading());
    EXPECT_FALSE(preview.isLoadingEvent());

    finishLoading(h.preview, 60);
    preview.multiCameraPreview()->seekAll(17.25, false);
    preview.switchCameraFilter(QStringLiteral("back"));
    ASSERT_TRUE(waitUntil([&] { return preview.selectedVideo()->cameraAngle == CameraAngle::back; }));
    EXPECT_FALSE(preview.multiCameraPreview()->loadedPlaylistSignature());
    EXPECT_EQ(preview.videoPreview()->currentTime(), 17.25);
    EXPECT_EQ(preview.selectedTimestampKey(), older);

    finishLoading(h.preview, 60);

    // A camera the minute lacks: nothing plays, but the files are all still counted.
    preview.switchCameraFilter(QStringLiteral("left_pillar"));
    ASSERT_TRUE(waitUntil([&] { return !preview.selectedVideo(); }));
    EXPECT_FALSE(preview.videoPreview()->loadedPlaylistSignature());
    EXPECT_TRUE(messages.statusMessage().endsWith(" · 8 个视频"));
}

TEST_F(MainViewModelTest, theExportRangesEndComesAfterItsStart) {
    ASSERT_TRUE(openSaved());
    finishLoading(h.preview, 59.5);
    preview.videoPreview()->seek(0.25); // inside a frame, not on its boundary
    EXPECT_EQ(preview.recordExportRangeEnd().message, "已设置结束点 00:00");
    preview.videoPreview()->seek(12.9);
    EXPECT_EQ(preview.recordExportRangeEnd().message, "已设置结束点 00:12");
    EXPECT_EQ(preview.exportRangeEnd(), 12.9);
    preview.videoPreview()->seek(5);
    EXPECT_EQ(preview.recordExportRangeStart().message, "已设置开始点 00:05");
    preview.videoPreview()->seek(4);
    const auto refused = preview.recordExportRangeEnd();
    EXPECT_EQ(refused.message, "结束点必须晚于开始点");
    EXPECT_TRUE(refused.isError);
    EXPECT_EQ(preview.exportRangeEnd(), 12.9);
    preview.videoPreview()->seek(13);
    EXPECT_EQ(preview.recordExportRangeStart().message, "已设置开始点 00:13，原结束点已清除");
    EXPECT_FALSE(preview.exportRangeEnd());
}

TEST_F(MainViewModelTest, aSecondDeletionIsIgnoredAndTheDeletedEventsLeave) {
    ASSERT_TRUE(openSaved(1));
    const TeslaClipEvent open = h.event(ClipCategory::saved, 1);
    library.startDeleteSelection();
    library.toggleDeleteEvent(open.id.toString());
    const EventListModel& cards = *library.eventsInSelectedCategory();
    EXPECT_TRUE(
        cards.data(cards.index(cards.indexOf(open.id.toString())), EventListModel::IsDeleteSelectedRole)
            .toBool());
    h.gates->hold("trash");
    library.deleteSelectedEvents();
    EXPECT_TRUE(library.isDeletingEvents());
    library.deleteSelectedEvents();
    ASSERT_TRUE(waitUntil([&] { return h.gates->arrived("trash"); }));
    h.gates->release("trash");
    ASSERT_TRUE(waitUntil([&] { return !library.isDeletingEvents(); }));
    EXPECT_EQ(*h.trashCalls, 1);
    EXPECT_EQ(messages.statusMessage(), "已将 1 个片段的 8 个源视频移到废纸篓");
    EXPECT_EQ(library.eventsInSelectedCategory()->count(), 1);
    EXPECT_FALSE(library.isDeleteSelectionMode());
    EXPECT_FALSE(preview.selectedEvent()); // the open event was deleted: its preview closed

    // The remaining event's files vanished meanwhile: nothing to move, nothing changes.
    QDir(h.event(ClipCategory::saved, 0).folderURL).removeRecursively();
    library.startDeleteSelection();
    library.toggleSelectAllEventsForDeletion();
    library.deleteSelectedEvents();
    ASSERT_TRUE(waitUntil([&] { return !library.isDeletingEvents(); }));
    EXPECT_FALSE(messages.errorMessage().isEmpty());
    EXPECT_EQ(library.eventsInSelectedCategory()->count(), 1);
    EXPECT_EQ(library.deleteSelectedCount(), 1);
}

TEST_F(MainViewModelTest, aNewExportCancelsTheOldOneWhichThenLeavesItAlone) {
    exporter.setCustomOutputDirectoryPath(h.folder.makeFolder("out"));
    ASSERT_TRUE(openSaved());
    h.gates->hold("export:1");
    h.gates->hold("export:2");
    exporter.startProcessing();
    EXPECT_TRUE(exporter.exportIsIndeterminate());
    ASSERT_TRUE(waitUntil([&] { return h.gates->arrived("export:1") && exporter.exportProgress() == 0.5; }));
    const QUuid firstJob = exporter.jobs().front().id;

    exporter.startProcessing();
    const QUuid secondJob = exporter.jobs().front().id;
    EXPECT_NE(firstJob, secondJob);
    EXPECT_EQ(exporter.exportProgress(), 0);
    h.gates->release("export:1"); // the old export ends (cancelled) while the new one waits to start
    ASSERT_TRUE(waitUntil([&] { return h.gates->arrived("export:2"); }));
    // The old export's work ends; its result has its chance to arrive.
    ASSERT_TRUE(waitUntil([] { return AppPools::exports()->activeThreadCount() == 1; }));
    for (int hop = 0; hop < 2; ++hop)
        QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(exporter.isProcessing());
    EXPECT_EQ(exporter.jobs().front().id, secondJob);
    EXPECT_NE(messages.statusMessage(), "已取消导出");

    h.gates->release("export:2");
    ASSERT_TRUE(waitUntil([&] { return !exporter.isProcessing(); }));
    EXPECT_EQ(messages.successMessage(), "视频已成功导出");
    EXPECT_TRUE(QFileInfo(exporter.exportResultPath().value_or("")).isFile());
    EXPECT_TRUE(exporter.jobs().empty());
    EXPECT_EQ(exporter.exportResultStartDate(), 1714530000); // what the exporter burned in
    exporter.revealOutputLocation();
    EXPECT_EQ(h.opened, QStringList({h.folder / "out"}));
    EXPECT_TRUE(messages.errorMessage().isEmpty());
    h.desktopOpensFolders = false; // no file manager: the window says where the file is
    exporter.revealOutputLocation();
    EXPECT_EQ(messages.errorMessage(), "没有可以打开文件夹的程序。文件在：" + h.folder / "out");
    messages.setError({});

    // Cancelled during the start delay: no exporter runs.
    exporter.startProcessing();
    exporter.cancelExport();
    ASSERT_TRUE(waitUntil([&] { return !exporter.isProcessing(); }));
    EXPECT_EQ(messages.statusMessage(), "已取消导出");
    EXPECT_FALSE(exporter.hasExportResult());
    EXPECT_EQ(*h.exportCalls, 2);
}

TEST_F(MainViewModelTest, shutdownCancelsTheExportAndWaitsUntilItsFilesAreGone) {
    const QString temp = h.folder.makeFolder("tmp");
    test::ScopedEnvironment tempDir("TMPDIR", QFile::encodeName(temp));
    ASSERT_TRUE(openSaved());
    exporter.usePhotosLibraryOutput(); // a staging file in the temporary folder
    h.gates->hold("export:1");
    exporter.startProcessing();
    ASSERT_TRUE(waitUntil([&] { return h.gates->arrived("export:1"); }));
    EXPECT_FALSE(QDir(temp).isEmpty());
    // The exporter notices the cancel only once past its gate, a while after quitting began.
    std::thread late([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        h.gates->release("export:1");
    });
    h.vm->shutdown();
    late.join();
    EXPECT_TRUE(QDir(temp).isEmpty())
        << QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).join(',').toStdString();
    EXPECT_FALSE(QFileInfo::exists(h.folder / "Pictures"));
}

TEST_F(MainViewModelTest, thePhotoLibraryResultKeepsItsButtonAndCustomGoesBackToTheDefaultFolder) {
    QSignalSpy asked(&exporter, &ExportViewModel::outputDirectoryRequested);
    exporter.setCustomOutputDirectoryPath(QDir::homePath() + "/Videos/exports");
    EXPECT_EQ(messages.statusMessage(), "输出目录: ~/Videos/exports");
    exporter.selectOutputLocation(QStringLiteral("custom")); // already a folder: asks for another
    EXPECT_EQ(asked.count(), 1);

    const QString temp = h.folder.makeFolder("tmp");
    const test::ScopedEnvironment tempDir("TMPDIR", QFile::encodeName(temp));
    ASSERT_TRUE(openSaved());
    exporter.selectOutputLocation(QStringLiteral("photosLibrary"));
    exporter.startProcessing();
    ASSERT_TRUE(waitUntil([&] { return !exporter.isProcessing(); }));
    EXPECT_EQ(messages.successMessage(), "视频已成功保存到系统相册");
    EXPECT_TRUE(QDir(temp).isEmpty()) << "the staging copy goes once delivered";
    const QString delivered = exporter.exportResultPath().value_or("");
    EXPECT_TRUE(delivered.startsWith(h.folder / "Pictures/")); // the delivered copy, which exists
    EXPECT_TRUE(delivered.endsWith("-front_watermarked.mp4"));
    EXPECT_TRUE(QFileInfo(delivered).isFile());
    exporter.setCustomOutputDirectoryPath(h.folder.path());
    EXPECT_EQ(exporter.openOutputButtonTitle(), "打开相册");
    exporter.clearExportResult();
    EXPECT_EQ(exporter.openOutputButtonTitle(), "打开输出目录");

    exporter.selectOutputLocation(QStringLiteral("photosLibrary"));
    exporter.selectOutputLocation(QStringLiteral("custom")); // from the library: the default folder
    EXPECT_EQ(asked.count(), 1);
    EXPECT_EQ(exporter.outputDestination(), ExportViewModel::Destination::Folder);
}
