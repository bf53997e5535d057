// The main view model on the event loop, over a content-free sample drive with scripted
// players and exporter: what is published and when, and which late results are dropped.

#include "EventThumbnailSource.h"
#include "MultiCameraPreviewController.h"
#include "VideoPreviewController.h"
#include "ViewModelHarness.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <thread>

using namespace orvane;
using test::Harness;
using test::finishLoading;
using test::waitUntil;

namespace {

std::vector<QString> folderNames(const std::vector<TeslaClipEvent>& events) {
    std::vector<QString> names;
    for (const auto& e : events)
        names.push_back(e.folderName);
    return names;
}

} // namespace

TEST(MainViewModel, startsEmptyWithItsDefaults) {
    Harness h;
    MainViewModel& vm = *h.vm;
    EXPECT_EQ(vm.importMode(), "none");
    EXPECT_EQ(vm.statusMessage(), "选择 TeslaCam 文件夹开始");
    EXPECT_EQ(vm.exportStatusMessage(), "正在导出视频");
    EXPECT_EQ(vm.cameraFilter(), "front");
    EXPECT_EQ(vm.exportQuality(), "original");
    EXPECT_TRUE(vm.showTime());
    EXPECT_EQ(vm.mergeCameraAngle(), "front");
    EXPECT_TRUE(vm.availableCategories().isEmpty());
    EXPECT_TRUE(std::isnan(vm.exportRangeStart()));
    EXPECT_EQ(vm.activePreview(), vm.videoPreviewObject());
}

TEST(MainViewModel, assigningTheCurrentValuePublishesNothing) {
    Harness h;
    MainViewModel& vm = *h.vm;
    ASSERT_TRUE(h.imported());
    ASSERT_TRUE(h.opened_(h.event(ClipCategory::saved)));
    test::SignalRecorder recorder(&vm);
    QSignalSpy resets(vm.eventsInSelectedCategory(), &QAbstractItemModel::modelReset);
    QSignalSpy groupResets(vm.videoGroups(), &QAbstractItemModel::modelReset);

    vm.setShowTime(true);
    vm.setCameraFilter(QStringLiteral("front"));
    vm.setCameraFilter(QStringLiteral("no such camera"));
    vm.setExportQuality(QStringLiteral("original"));
    vm.setErrorMessage(QString());
    vm.setShowPhotosPrivacySettings(false);
    vm.setDeleteSelectionMode(false);
    vm.clearExportRange();
    vm.setExportRangeEnd(NAN);
    vm.cancelMergeSelection();
    vm.cancelSegmentMergeSelection();
    vm.setMergeCameraAngle(QStringLiteral("front"));
    vm.switchCameraFilter(QStringLiteral("front"));
    vm.selectVideoGroup(vm.selectedTimestampKey());
    vm.clearExportResult();
    EXPECT_EQ(recorder.take(), QStringList());
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(groupResets.count(), 0);

    vm.usePhotosLibraryOutput();
    EXPECT_EQ(recorder.take(), QStringList({"outputDestinationChanged()", "statusMessageChanged()",
                                            "openOutputButtonTitleChanged()"}));
    vm.usePhotosLibraryOutput();
    EXPECT_EQ(recorder.take(), QStringList());
}

TEST(MainViewModel, importOpensThePreferredCategory) {
    Harness h;
    MainViewModel& vm = *h.vm;
    QSignalSpy importing(&vm, &MainViewModel::isImportingChanged);
    vm.importTeslaCamFolders(
        {QUrl::fromLocalFile(h.root), QUrl::fromLocalFile(h.folder.writeFile("loose.mp4"))});
    EXPECT_TRUE(vm.isImporting());
    ASSERT_TRUE(waitUntil([&] { return !vm.isImporting(); }));
    EXPECT_EQ(importing.count(), 2);
    EXPECT_EQ(vm.importMode(), "teslaCam");
    EXPECT_EQ(vm.availableCategories(), QStringList({"recent", "sentry", "saved"}));
    EXPECT_EQ(vm.selectedCategory(), "saved");
    EXPECT_EQ(vm.statusMessage(), "已扫描 4 个片段，请选择要处理的录像");
    EXPECT_EQ(vm.eventsInSelectedCategory()->count(), 2);
    EXPECT_EQ(vm.datedEventSections()->count(), 2); // two days
    EXPECT_EQ(vm.eventCountsByCategory().value("recent").toInt(), 1);
    // A card asks for its picture by an address that carries the event's files and time window.
    const auto card = EventThumbnailSource::parse(
        vm.eventsInSelectedCategory()
            ->data(vm.eventsInSelectedCategory()->index(1), EventListModel::ThumbnailSourceRole)
            .toString());
    ASSERT_TRUE(card);
    EXPECT_EQ(card->folderURL, vm.eventsInSelectedCategoryList()[1].folderURL);
    EXPECT_EQ(card->startTime, vm.eventsInSelectedCategoryList()[1].startTime);
}

TEST(MainViewModel, refusedChoicesChangeOnlyTheMessages) {
    Harness h;
    MainViewModel& vm = *h.vm;
    ASSERT_TRUE(h.imported());
    const auto library = folderNames(vm.eventsInSelectedCategoryList());
    struct Case {
        QStringList paths;
        QString error;
    };
    const std::vector<Case> cases = {
        {{h.folder.writeFile("clip.mp4")}, "请选择文件夹，而不是单个视频文件。"},
        {{h.root + "/SavedClips"},
         "请选择 TeslaCam 根目录，不要选择 RecentClips、SentryClips、SavedClips 或其中的片段文件夹。"},
        {{h.folder.makeFolder("Documents")},
         "未识别为 TeslaCam 文件夹，请选择包含 RecentClips、SentryClips、SavedClips 的根目录。"},
    };
    for (const Case& c : cases) {
        vm.importTeslaCamPaths(c.paths);
        ASSERT_TRUE(waitUntil([&] { return !vm.isImporting(); }));
        EXPECT_EQ(vm.errorMessage(), c.error);
        EXPECT_EQ(vm.statusMessage(), "选择 TeslaCam 文件夹开始");
        EXPECT_EQ(vm.importMode(), "teslaCam");
        EXPECT_EQ(folderNames(vm.eventsInSelectedCategoryList()), library);
    }
    // A drive root with nothing in it is no library.
    test::TempFolder empty;
    empty.makeFolder("TeslaCam/SavedClips");
    vm.importTeslaCamPaths({empty / "TeslaCam"});
    ASSERT_TRUE(waitUntil([&] { return !vm.isImporting(); }));
    EXPECT_EQ(vm.importMode(), "teslaCam"); // a root yields its (empty) categories
    EXPECT_EQ(vm.statusMessage(), "已扫描 0 个片段，请选择要处理的录像");
    EXPECT_EQ(vm.eventsInSelectedCategory()->count(), 0);
}

TEST(MainViewModel, anImportThatANewerOneReplacedIsDropped) {
    Harness h;
    test::TempFolder other;
    sample::DriveSpec second;
    second.root = other / "TeslaCam";
    second.contentFree = true;
    second.events = {sample::EventSpec{}};
    sample::writeDrive(second);
    MainViewModel& vm = *h.vm;
    h.gates->hold("scan:" + h.root);
    vm.importTeslaCamPaths({h.root});
    ASSERT_TRUE(waitUntil([&] { return h.gates->arrived("scan:" + h.root); }));
    vm.importTeslaCamPaths({second.root});
    ASSERT_TRUE(waitUntil([&] { return !vm.isImporting(); }));
    EXPECT_EQ(vm.eventsByCategory().at(ClipCategory::saved).size(), 1u);
    test::SignalRecorder recorder(&vm);
    h.gates->release("scan:" + h.root);
    test::settle();
    EXPECT_EQ(recorder.take(), QStringList());
    EXPECT_EQ(vm.eventsByCategory().count(ClipCategory::recent), 0u);
}

TEST(MainViewModel, anEventLoadThatANewerOneReplacedIsDropped) {
    Harness h;
    MainViewModel& vm = *h.vm;
    ASSERT_TRUE(h.imported());
    const TeslaClipEvent first = h.event(ClipCategory::saved, 0);
    const TeslaClipEvent second = h.event(ClipCategory::saved, 1);
    h.gates->hold("load:" + first.folderName);
    vm.selectEvent(first);
    EXPECT_TRUE(vm.isLoadingEvent());
    ASSERT_TRUE(waitUntil([&] { return h.gates->arrived("load:" + first.folderName); }));
    ASSERT_TRUE(h.opened_(second));
    const auto videos = vm.videos();
    ASSERT_FALSE(videos.empty());
    h.gates->release("load:" + first.folderName);
    test::settle();
    EXPECT_EQ(vm.selectedEventID(), second.id.toString(QUuid::WithoutBraces));
    EXPECT_EQ(vm.videos().front().id, videos.front().id);
    EXPECT_EQ(vm.videos().size(), videos.size());

    // Closing the preview while a load runs: the load does not reopen it.
    h.gates->hold("load:" + first.folderName);
    vm.selectEvent(first);
    vm.closeEventPreview();
    EXPECT_FALSE(vm.isLoadingEvent());
    h.gates->release("load:" + first.folderName);
    test::settle();
    EXPECT_TRUE(vm.videos().empty());
    EXPECT_FALSE(vm.hasSelectedEvent());
    EXPECT_TRUE(h.preview.measures.empty() || vm.videoPreview()->loadedPlaylistSignature() == std::nullopt);
}

TEST(MainViewModel, anOpenEventPlaysItsLatestMinuteAndTheCameraSwitchKeepsTheTime) {
    Harness h;
    MainViewModel& vm = *h.vm;
    ASSERT_TRUE(h.imported());
    ASSERT_TRUE(h.opened_(h.event(ClipCategory::saved, 1))); // two minutes, 10:19:30 and 10:20:30
    EXPECT_EQ(vm.videoCount(), 8);
    EXPECT_EQ(vm.videoGroups()->count(), 2);
    const QString latest =
        vm.videoGroups()->data(vm.videoGroups()->index(0), VideoGroupListModel::GroupKeyRole).toString();
    EXPECT_EQ(vm.selectedTimestampKey(), latest);
    EXPECT_EQ(vm.selectedVideo().value("camera").toString(), "front");
    EXPECT_TRUE(vm.statusMessage().startsWith("手动保存 · ")) << vm.statusMessage().toStdString();
    EXPECT_TRUE(vm.statusMessage().endsWith(" · 8 个视频"));

    const QString older =
        vm.videoGroups()->data(vm.videoGroups()->index(1), VideoGroupListModel::GroupKeyRole).toString();
    vm.selectVideoGroup(older);
    finishLoading(h.preview, 60);
    vm.videoPreview()->seek(42.5);
    ASSERT_EQ(vm.videoPreview()->currentTime(), 42.5);

    vm.videoPreview()->togglePlayPause();
    vm.switchCameraFilter(QStringLiteral("all"));
    EXPECT_EQ(vm.activePreview(), vm.multiCameraPreviewObject());
    ASSERT_TRUE(waitUntil([&] { return vm.multiCameraPreview()->loadedPlaylistSignature().has_value(); }));
    EXPECT_EQ(vm.multiCameraPreview()->currentTime(), 42.5);
    EXPECT_EQ(vm.selectedTimestampKey(), older);
    EXPECT_EQ(vm.selectedVideo().value("camera").toString(), "front");
    EXPECT_FALSE(vm.videoPreview()->isPlaying()); // the hidden player pauses
    EXPECT_TRUE(vm.multiCameraPreview()->currentTime() == 42.5 && vm.multiCameraPreview()->isLoading());
    EXPECT_FALSE(vm.isLoadingEvent());

    finishLoading(h.preview, 60);
    vm.multiCameraPreview()->seekAll(17.25, false);
    vm.switchCameraFilter(QStringLiteral("back"));
    ASSERT_TRUE(waitUntil([&] { return vm.selectedVideo().value("camera") == "back"; }));
    EXPECT_EQ(vm.videoPreview()->currentTime(), 17.25);
    EXPECT_EQ(vm.selectedTimestampKey(), older);
    EXPECT_EQ(vm.selectedVideo().value("camera").toString(), "back");

    // Back to the grid: the hidden grid still holds the minute and only moves to the time.
    finishLoading(h.preview, 60);
    vm.videoPreview()->seek(8.5);
    vm.switchCameraFilter(QStringLiteral("all"));
    ASSERT_TRUE(waitUntil([&] { return vm.multiCameraPreview()->currentTime() == 8.5; }));
    EXPECT_TRUE(h.preview.measures.empty());
    vm.switchCameraFilter(QStringLiteral("back"));
    ASSERT_TRUE(waitUntil([&] { return vm.videoPreview()->currentTime() == 8.5; }));
    EXPECT_TRUE(h.preview.measures.empty()); // the same file, read again, keeps its player

    // A camera the minute lacks: nothing plays, but the files are all still counted.
    vm.switchCameraFilter(QStringLiteral("left_pillar"));
    ASSERT_TRUE(waitUntil([&] { return vm.selectedVideoID().isEmpty(); }));
    EXPECT_FALSE(vm.videoPreview()->loadedPlaylistSignature());
    EXPECT_TRUE(vm.statusMessage().endsWith(" · 8 个视频"));
}

TEST(MainViewModel, exportRangeIsClampedToThePreview) {
    Harness h;
    MainViewModel& vm = *h.vm;
    ASSERT_TRUE(h.imported());
    ASSERT_TRUE(h.opened_(h.event(ClipCategory::saved)));
    finishLoading(h.preview, 59.5);
    EXPECT_EQ(vm.exportRangeMaximum(), 59.5);
    vm.setExportRangeStart(-5);
    EXPECT_EQ(vm.exportRangeStart(), 0);
    vm.setExportRangeEnd(30);
    vm.setExportRangeStart(75);
    EXPECT_EQ(vm.exportRangeStart(), 59.5);
    EXPECT_FALSE(vm.hasExportRangeEnd());

    vm.clearExportRange();
    vm.videoPreview()->seek(0.25); // inside a frame, not on its boundary
    EXPECT_EQ(vm.recordExportRangeEnd().value("message").toString(), "已设置结束点 00:00");
    vm.videoPreview()->seek(12.9);
    auto feedback = vm.recordExportRangeEnd();
    EXPECT_EQ(feedback.value("message").toString(), "已设置结束点 00:12");
    EXPECT_EQ(vm.exportRangeEnd(), 12.9);
    vm.videoPreview()->seek(5);
    EXPECT_EQ(vm.recordExportRangeStart().value("message").toString(), "已设置开始点 00:05");
    vm.videoPreview()->seek(4);
    feedback = vm.recordExportRangeEnd();
    EXPECT_EQ(feedback.value("message").toString(), "结束点必须晚于开始点");
    EXPECT_TRUE(feedback.value("isError").toBool());
    EXPECT_EQ(vm.exportRangeEnd(), 12.9);
    vm.videoPreview()->seek(13);
    EXPECT_EQ(vm.recordExportRangeStart().value("message").toString(), "已设置开始点 00:13，原结束点已清除");
    EXPECT_FALSE(vm.hasExportRangeEnd());

    vm.selectVideoGroup(
        vm.videoGroups()->data(vm.videoGroups()->index(0), VideoGroupListModel::GroupKeyRole).toString());
    vm.closeEventPreview();
    EXPECT_EQ(vm.recordExportRangeStart().value("message").toString(), "视频尚未准备好，请稍后再试");
}

TEST(MainViewModel, aSecondDeletionIsIgnoredAndTheDeletedEventsLeave) {
    Harness h;
    MainViewModel& vm = *h.vm;
    ASSERT_TRUE(h.imported());
    const TeslaClipEvent open = h.event(ClipCategory::saved, 1);
    ASSERT_TRUE(h.opened_(open));
    vm.startDeleteSelection();
    vm.toggleDeleteEvent(open.id.toString());
    EXPECT_EQ(vm.deleteSelectedCount(), 1);
    EXPECT_TRUE(vm.eventsInSelectedCategory()
                    ->get(vm.eventsInSelectedCategory()->indexOf(open.id.toString()))
                    .value("isDeleteSelected")
                    .toBool());
    h.gates->hold("trash");
    vm.deleteSelectedEvents();
    EXPECT_TRUE(vm.isDeletingEvents());
    vm.deleteSelectedEvents();
    ASSERT_TRUE(waitUntil([&] { return h.gates->arrived("trash"); }));
    h.gates->release("trash");
    ASSERT_TRUE(waitUntil([&] { return !vm.isDeletingEvents(); }));
    EXPECT_EQ(*h.trashCalls, 1);
    EXPECT_EQ(vm.statusMessage(), "已将 1 个片段的 8 个源视频移到废纸篓");
    EXPECT_EQ(vm.eventsInSelectedCategory()->count(), 1);
    EXPECT_FALSE(vm.isDeleteSelectionMode());
    EXPECT_FALSE(vm.hasSelectedEvent()); // the open event was deleted: its preview closed
    EXPECT_TRUE(vm.videos().empty());

    // The remaining event's files vanished meanwhile: nothing to move, nothing changes.
    const TeslaClipEvent gone = h.event(ClipCategory::saved, 0);
    QDir(gone.folderURL).removeRecursively();
    vm.startDeleteSelection();
    vm.toggleSelectAllEventsForDeletion();
    EXPECT_TRUE(vm.allEventsSelectedForDeletion());
    vm.deleteSelectedEvents();
    ASSERT_TRUE(waitUntil([&] { return !vm.isDeletingEvents(); }));
    EXPECT_FALSE(vm.errorMessage().isEmpty());
    EXPECT_EQ(vm.eventsInSelectedCategory()->count(), 1);
    EXPECT_TRUE(vm.isDeleteSelectionMode());
    EXPECT_EQ(vm.deleteSelectedCount(), 1);
}

TEST(MainViewModel, aNewExportCancelsTheOldOneWhichThenLeavesItAlone) {
    Harness h;
    MainViewModel& vm = *h.vm;
    vm.setCustomOutputDirectoryPath(h.folder.makeFolder("out"));
    ASSERT_TRUE(h.imported());
    ASSERT_TRUE(h.opened_(h.event(ClipCategory::saved)));
    h.gates->hold("export:1");
    h.gates->hold("export:2");
    vm.startProcessing();
    EXPECT_TRUE(vm.isProcessing());
    EXPECT_EQ(vm.exportStatusMessage(), "正在准备导出...");
    EXPECT_TRUE(vm.exportIsIndeterminate());
    ASSERT_TRUE(waitUntil([&] { return h.gates->arrived("export:1"); }));
    ASSERT_TRUE(waitUntil([&] { return vm.exportProgress() == 0.5; }));
    const QString firstJob = vm.jobs().front().toMap().value("jobID").toString();

    vm.startProcessing();
    const QString secondJob = vm.jobs().front().toMap().value("jobID").toString();
    EXPECT_NE(firstJob, secondJob);
    EXPECT_EQ(vm.exportProgress(), 0);
    h.gates->release("export:1"); // the old export ends (cancelled) while the new one waits to start
    ASSERT_TRUE(waitUntil([&] { return h.gates->arrived("export:2"); }));
    test::settle();
    EXPECT_TRUE(vm.isProcessing());
    EXPECT_EQ(vm.jobs().front().toMap().value("jobID").toString(), secondJob);
    EXPECT_NE(vm.statusMessage(), "已取消导出");

    h.gates->release("export:2");
    ASSERT_TRUE(waitUntil([&] { return !vm.isProcessing(); }));
    EXPECT_EQ(vm.successMessage(), "视频已成功导出");
    EXPECT_TRUE(vm.statusMessage().startsWith("导出完成："));
    EXPECT_TRUE(QFileInfo(vm.exportResultPath()).isFile());
    EXPECT_TRUE(vm.jobs().isEmpty());
    EXPECT_EQ(vm.exportResultDestination(), "folder");
    EXPECT_EQ(vm.exportResultStartDate(), 1714530000);
    vm.revealOutputLocation();
    EXPECT_EQ(h.opened, QStringList({h.folder / "out"}));
}

TEST(MainViewModel, cancellingDuringTheStartDelayRunsNothing) {
    Harness h;
    MainViewModel& vm = *h.vm;
    ASSERT_TRUE(h.imported());
    ASSERT_TRUE(h.opened_(h.event(ClipCategory::saved)));
    vm.startProcessing();
    vm.cancelExport();
    ASSERT_TRUE(waitUntil([&] { return !vm.isProcessing(); }));
    EXPECT_EQ(vm.statusMessage(), "已取消导出");
    EXPECT_TRUE(vm.errorMessage().isEmpty());
    EXPECT_FALSE(vm.hasExportResult());
    EXPECT_EQ(*h.exportCalls, 0);

    // Nothing selected: the export does not start.
    vm.closeEventPreview();
    vm.startProcessing();
    EXPECT_FALSE(vm.isProcessing());
    EXPECT_EQ(vm.errorMessage(), "请先选择要导出的视频");
}

TEST(MainViewModel, shutdownCancelsTheExportAndWaitsUntilItsFilesAreGone) {
    Harness h;
    MainViewModel& vm = *h.vm;
    const QString temp = h.folder.makeFolder("tmp");
    test::ScopedEnvironment tempDir("TMPDIR", QFile::encodeName(temp));
    ASSERT_TRUE(h.imported());
    ASSERT_TRUE(h.opened_(h.event(ClipCategory::saved)));
    vm.usePhotosLibraryOutput(); // a staging file in the temporary folder
    h.gates->hold("export:1");
    vm.startProcessing();
    ASSERT_TRUE(waitUntil([&] { return h.gates->arrived("export:1"); }));
    EXPECT_FALSE(QDir(temp).isEmpty());
    // The exporter notices the cancel only once it gets past its gate, a while after quitting began.
    std::thread late([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        h.gates->release("export:1");
    });
    vm.shutdown();
    late.join();
    EXPECT_TRUE(QDir(temp).isEmpty())
        << QDir(temp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).join(',').toStdString();
    EXPECT_FALSE(QFileInfo::exists(h.folder / "Pictures"));
}

TEST(MainViewModel, thePhotoLibraryResultKeepsItsButtonAfterTheSettingsChange) {
    Harness h;
    MainViewModel& vm = *h.vm;
    ASSERT_TRUE(h.imported());
    ASSERT_TRUE(h.opened_(h.event(ClipCategory::saved)));
    vm.usePhotosLibraryOutput();
    EXPECT_EQ(vm.statusMessage(), "输出位置：系统相册");
    vm.startProcessing();
    ASSERT_TRUE(waitUntil([&] { return !vm.isProcessing(); }));
    EXPECT_EQ(vm.successMessage(), "视频已成功保存到系统相册");
    EXPECT_TRUE(vm.statusMessage().startsWith("已保存到相册："));
    EXPECT_TRUE(vm.exportResultPath().startsWith(h.folder / "Pictures/")); // the delivered copy, which exists
    EXPECT_TRUE(QFileInfo(vm.exportResultPath()).isFile());
    EXPECT_TRUE(vm.exportResultPath().endsWith("-front_watermarked.mp4"));
    vm.setCustomOutputDirectoryPath(h.folder.path());
    EXPECT_EQ(vm.openOutputButtonTitle(), "打开相册");
    vm.clearExportResult();
    EXPECT_EQ(vm.openOutputButtonTitle(), "打开输出目录");
}

TEST(MainViewModel, outputLocationChoices) {
    Harness h;
    MainViewModel& vm = *h.vm;
    QSignalSpy asked(&vm, &MainViewModel::outputDirectoryRequested);
    vm.setCustomOutputDirectoryPath(QDir::homePath() + "/Videos/exports");
    EXPECT_EQ(vm.statusMessage(), "输出目录: ~/Videos/exports");
    EXPECT_EQ(vm.outputLocationOption(), "custom");
    EXPECT_EQ(vm.outputFolderDisplayPath(), "~/Videos/exports");
    vm.selectOutputLocation(QStringLiteral("custom"));
    EXPECT_EQ(asked.count(), 1);
    vm.selectOutputLocation(QStringLiteral("photosLibrary"));
    EXPECT_EQ(vm.outputDestinationKind(), "photosLibrary");
    EXPECT_EQ(vm.outputFolderDisplayPath(), "系统相册");
    vm.selectOutputLocation(QStringLiteral("custom")); // from the library: back to the default folder
    EXPECT_EQ(asked.count(), 1);
    EXPECT_EQ(vm.outputDestinationKind(),
              OutputDestination::defaultDestination().isFolder() ? "folder" : "photosLibrary");
    EXPECT_TRUE(vm.statusMessage().startsWith("输出目录: "));
}
