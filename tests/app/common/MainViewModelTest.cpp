// The main view model on the event loop, over a content-free sample drive with scripted
// players and exporter: what is published and when, and which late results are dropped.

#include "EventThumbnailSource.h"
#include "MultiCameraPreviewController.h"
#include "VideoPreviewController.h"
#include "ViewModelHarness.h"

#include <QDir>
#include <QFileInfo>
#include <chrono>
#include <cmath>
#include <gtest/gtest.h>
#include <thread>

using namespace orvane;
using test::finishLoading;
using test::Harness;
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
    auto [library, preview, merge, exporter, messages] = test::features(*h.vm);
    EXPECT_EQ(library.importMode(), "none");
    EXPECT_EQ(messages.statusMessage(), "选择 TeslaCam 文件夹开始");
    EXPECT_EQ(exporter.exportStatusMessage(), "正在导出视频");
    EXPECT_EQ(preview.cameraFilter(), "front");
    EXPECT_EQ(exporter.exportQuality(), "original");
    EXPECT_TRUE(exporter.settings().showTime);
    EXPECT_EQ(merge.mergeCameraAngle(), "front");
    EXPECT_TRUE(library.availableCategories().isEmpty());
    EXPECT_FALSE(preview.exportRangeStart());
    EXPECT_EQ(preview.activePreview(), preview.videoPreview());
}

TEST(MainViewModel, assigningTheCurrentValuePublishesNothing) {
    Harness h;
    auto [library, preview, merge, exporter, messages] = test::features(*h.vm);
    ASSERT_TRUE(h.imported());
    ASSERT_TRUE(h.opened_(h.event(ClipCategory::saved)));
    test::SignalRecorder recorder({&library, &preview, &merge, &exporter, &messages});
    QSignalSpy resets(library.eventsInSelectedCategory(), &QAbstractItemModel::modelReset);
    QSignalSpy groupResets(preview.videoGroups(), &QAbstractItemModel::modelReset);

    preview.setCameraFilter(CameraAngle::front);
    preview.switchCameraFilter(QStringLiteral("no such camera"));
    exporter.setExportQuality(QStringLiteral("original"));
    messages.setErrorMessage(QString());
    exporter.setShowPhotosPrivacySettings(false);
    library.cancelDeleteSelection();
    preview.clearExportRange();
    preview.setExportRangeEnd(NAN);
    merge.cancelMergeSelection();
    merge.cancelSegmentMergeSelection();
    merge.setMergeCameraAngle(QStringLiteral("front"));
    preview.switchCameraFilter(QStringLiteral("front"));
    exporter.clearExportResult();
    EXPECT_EQ(recorder.take(), QStringList());
    EXPECT_EQ(resets.count(), 0);
    EXPECT_EQ(groupResets.count(), 0);

    exporter.usePhotosLibraryOutput();
    EXPECT_EQ(recorder.take(), QStringList({"outputDestinationChanged()", "openOutputButtonTitleChanged()",
                                            "statusMessageChanged()"}));
    exporter.usePhotosLibraryOutput();
    EXPECT_EQ(recorder.take(), QStringList());
}

TEST(MainViewModel, importOpensThePreferredCategory) {
    Harness h;
    auto [library, preview, merge, exporter, messages] = test::features(*h.vm);
    QSignalSpy importing(&library, &LibraryViewModel::isImportingChanged);
    library.importTeslaCamFolders(
        {QUrl::fromLocalFile(h.root), QUrl::fromLocalFile(h.folder.writeFile("loose.mp4"))});
    EXPECT_TRUE(library.isImporting());
    ASSERT_TRUE(waitUntil([&] { return !library.isImporting(); }));
    EXPECT_EQ(importing.count(), 2);
    EXPECT_EQ(library.importMode(), "teslaCam");
    EXPECT_EQ(library.availableCategories(), QStringList({"recent", "sentry", "saved"}));
    EXPECT_EQ(library.selectedCategory(), ClipCategory::saved);
    EXPECT_EQ(messages.statusMessage(), "已扫描 4 个片段，请选择要处理的录像");
    EXPECT_EQ(library.eventsInSelectedCategory()->count(), 2);
    EXPECT_EQ(library.datedEventSections()->count(), 2); // two days
    // A card asks for its picture by an address that carries the event's files and time window.
    const auto card = EventThumbnailSource::parse(
        library.eventsInSelectedCategory()
            ->data(library.eventsInSelectedCategory()->index(1), EventListModel::ThumbnailSourceRole)
            .toString());
    ASSERT_TRUE(card);
    EXPECT_EQ(card->folderURL, library.eventsInSelectedCategoryList()[1].folderURL);
    EXPECT_EQ(card->startTime, library.eventsInSelectedCategoryList()[1].startTime);
}

TEST(MainViewModel, refusedChoicesChangeOnlyTheMessages) {
    Harness h;
    auto [library, preview, merge, exporter, messages] = test::features(*h.vm);
    ASSERT_TRUE(h.imported());
    const auto before = folderNames(library.eventsInSelectedCategoryList());
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
        library.importTeslaCamPaths(c.paths);
        ASSERT_TRUE(waitUntil([&] { return !library.isImporting(); }));
        EXPECT_EQ(messages.errorMessage(), c.error);
        EXPECT_EQ(messages.statusMessage(), "选择 TeslaCam 文件夹开始");
        EXPECT_EQ(library.importMode(), "teslaCam");
        EXPECT_EQ(folderNames(library.eventsInSelectedCategoryList()), before);
    }
    // A drive root with nothing in it is no library.
    test::TempFolder empty;
    empty.makeFolder("TeslaCam/SavedClips");
    library.importTeslaCamPaths({empty / "TeslaCam"});
    ASSERT_TRUE(waitUntil([&] { return !library.isImporting(); }));
    EXPECT_EQ(library.importMode(), "teslaCam"); // a root yields its (empty) categories
    EXPECT_EQ(messages.statusMessage(), "已扫描 0 个片段，请选择要处理的录像");
    EXPECT_EQ(library.eventsInSelectedCategory()->count(), 0);
}

TEST(MainViewModel, anImportThatANewerOneReplacedIsDropped) {
    Harness h;
    test::TempFolder other;
    sample::DriveSpec second;
    second.root = other / "TeslaCam";
    second.contentFree = true;
    second.events = {sample::EventSpec{}};
    sample::writeDrive(second);
    auto [library, preview, merge, exporter, messages] = test::features(*h.vm);
    h.gates->hold("scan:" + h.root);
    library.importTeslaCamPaths({h.root});
    ASSERT_TRUE(waitUntil([&] { return h.gates->arrived("scan:" + h.root); }));
    library.importTeslaCamPaths({second.root});
    ASSERT_TRUE(waitUntil([&] { return !library.isImporting(); }));
    EXPECT_EQ(library.eventsByCategory().at(ClipCategory::saved).size(), 1u);
    test::SignalRecorder recorder({&library, &messages});
    h.gates->release("scan:" + h.root);
    test::settle();
    EXPECT_EQ(recorder.take(), QStringList());
    EXPECT_EQ(library.eventsByCategory().count(ClipCategory::recent), 0u);
}

TEST(MainViewModel, anEventLoadThatANewerOneReplacedIsDropped) {
    Harness h;
    auto [library, preview, merge, exporter, messages] = test::features(*h.vm);
    ASSERT_TRUE(h.imported());
    const TeslaClipEvent first = h.event(ClipCategory::saved, 0);
    const TeslaClipEvent second = h.event(ClipCategory::saved, 1);
    h.gates->hold("load:" + first.folderName);
    preview.selectEvent(first);
    EXPECT_TRUE(preview.isLoadingEvent());
    ASSERT_TRUE(waitUntil([&] { return h.gates->arrived("load:" + first.folderName); }));
    ASSERT_TRUE(h.opened_(second));
    const auto videos = preview.videos();
    ASSERT_FALSE(videos.empty());
    h.gates->release("load:" + first.folderName);
    test::settle();
    EXPECT_EQ(preview.selectedEventID(), second.id);
    EXPECT_EQ(preview.videos().front().id, videos.front().id);
    EXPECT_EQ(preview.videos().size(), videos.size());

    // Closing the preview while a load runs: the load does not reopen it.
    h.gates->hold("load:" + first.folderName);
    preview.selectEvent(first);
    preview.closeEventPreview();
    EXPECT_FALSE(preview.isLoadingEvent());
    h.gates->release("load:" + first.folderName);
    test::settle();
    EXPECT_TRUE(preview.videos().empty());
    EXPECT_FALSE(preview.selectedEvent());
    EXPECT_TRUE(h.preview.measures.empty() ||
                preview.videoPreview()->loadedPlaylistSignature() == std::nullopt);
}

TEST(MainViewModel, anOpenEventPlaysItsLatestMinuteAndTheCameraSwitchKeepsTheTime) {
    Harness h;
    auto [library, preview, merge, exporter, messages] = test::features(*h.vm);
    ASSERT_TRUE(h.imported());
    ASSERT_TRUE(h.opened_(h.event(ClipCategory::saved, 1))); // two minutes, 10:19:30 and 10:20:30
    EXPECT_EQ(preview.videos().size(), 8u);
    EXPECT_EQ(preview.videoGroups()->count(), 2);
    const QString latest = preview.videoGroups()
                               ->data(preview.videoGroups()->index(0), VideoGroupListModel::GroupKeyRole)
                               .toString();
    EXPECT_EQ(preview.selectedTimestampKey(), latest);
    EXPECT_EQ(preview.selectedVideo()->cameraAngle, CameraAngle::front);
    EXPECT_TRUE(messages.statusMessage().startsWith("手动保存 · ")) << messages.statusMessage().toStdString();
    EXPECT_TRUE(messages.statusMessage().endsWith(" · 8 个视频"));

    const QString older = preview.videoGroups()
                              ->data(preview.videoGroups()->index(1), VideoGroupListModel::GroupKeyRole)
                              .toString();
    preview.selectVideoGroup(older);
    finishLoading(h.preview, 60);
    preview.videoPreview()->seek(42.5);
    ASSERT_EQ(preview.videoPreview()->currentTime(), 42.5);

    preview.videoPreview()->togglePlayPause();
    preview.switchCameraFilter(QStringLiteral("all"));
    EXPECT_EQ(preview.activePreview(), preview.multiCameraPreview());
    ASSERT_TRUE(
        waitUntil([&] { return preview.multiCameraPreview()->loadedPlaylistSignature().has_value(); }));
    EXPECT_EQ(preview.multiCameraPreview()->currentTime(), 42.5);
    EXPECT_EQ(preview.selectedTimestampKey(), older);
    EXPECT_EQ(preview.selectedVideo()->cameraAngle, CameraAngle::front);
    EXPECT_FALSE(preview.videoPreview()->isPlaying()); // the hidden player pauses
    EXPECT_TRUE(preview.multiCameraPreview()->currentTime() == 42.5 &&
                preview.multiCameraPreview()->isLoading());
    EXPECT_FALSE(preview.isLoadingEvent());

    finishLoading(h.preview, 60);
    preview.multiCameraPreview()->seekAll(17.25, false);
    preview.switchCameraFilter(QStringLiteral("back"));
    ASSERT_TRUE(waitUntil([&] { return preview.selectedVideo()->cameraAngle == CameraAngle::back; }));
    EXPECT_EQ(preview.videoPreview()->currentTime(), 17.25);
    EXPECT_EQ(preview.selectedTimestampKey(), older);

    // Back to the grid: the hidden grid still holds the minute and only moves to the time.
    finishLoading(h.preview, 60);
    preview.videoPreview()->seek(8.5);
    preview.switchCameraFilter(QStringLiteral("all"));
    ASSERT_TRUE(waitUntil([&] { return preview.multiCameraPreview()->currentTime() == 8.5; }));
    EXPECT_TRUE(h.preview.measures.empty());
    preview.switchCameraFilter(QStringLiteral("back"));
    ASSERT_TRUE(waitUntil([&] { return preview.videoPreview()->currentTime() == 8.5; }));
    EXPECT_TRUE(h.preview.measures.empty()); // the same file, read again, keeps its player

    // A camera the minute lacks: nothing plays, but the files are all still counted.
    preview.switchCameraFilter(QStringLiteral("left_pillar"));
    ASSERT_TRUE(waitUntil([&] { return !preview.selectedVideo(); }));
    EXPECT_FALSE(preview.videoPreview()->loadedPlaylistSignature());
    EXPECT_TRUE(messages.statusMessage().endsWith(" · 8 个视频"));
}

TEST(MainViewModel, exportRangeIsClampedToThePreview) {
    Harness h;
    auto [library, preview, merge, exporter, messages] = test::features(*h.vm);
    ASSERT_TRUE(h.imported());
    ASSERT_TRUE(h.opened_(h.event(ClipCategory::saved)));
    finishLoading(h.preview, 59.5);
    EXPECT_EQ(preview.activeDuration(), 59.5);
    preview.setExportRangeStart(-5);
    EXPECT_EQ(preview.exportRangeStart(), 0);
    preview.setExportRangeEnd(30);
    preview.setExportRangeStart(75);
    EXPECT_EQ(preview.exportRangeStart(), 59.5);
    EXPECT_FALSE(preview.exportRangeEnd());

    preview.clearExportRange();
    preview.videoPreview()->seek(0.25); // inside a frame, not on its boundary
    EXPECT_EQ(preview.recordExportRangeEnd().message, "已设置结束点 00:00");
    preview.videoPreview()->seek(12.9);
    auto feedback = preview.recordExportRangeEnd();
    EXPECT_EQ(feedback.message, "已设置结束点 00:12");
    EXPECT_EQ(preview.exportRangeEnd(), 12.9);
    preview.videoPreview()->seek(5);
    EXPECT_EQ(preview.recordExportRangeStart().message, "已设置开始点 00:05");
    preview.videoPreview()->seek(4);
    feedback = preview.recordExportRangeEnd();
    EXPECT_EQ(feedback.message, "结束点必须晚于开始点");
    EXPECT_TRUE(feedback.isError);
    EXPECT_EQ(preview.exportRangeEnd(), 12.9);
    preview.videoPreview()->seek(13);
    EXPECT_EQ(preview.recordExportRangeStart().message, "已设置开始点 00:13，原结束点已清除");
    EXPECT_FALSE(preview.exportRangeEnd());

    preview.selectVideoGroup(preview.videoGroups()
                                 ->data(preview.videoGroups()->index(0), VideoGroupListModel::GroupKeyRole)
                                 .toString());
    preview.closeEventPreview();
    EXPECT_EQ(preview.recordExportRangeStart().message, "视频尚未准备好，请稍后再试");
}

TEST(MainViewModel, aSecondDeletionIsIgnoredAndTheDeletedEventsLeave) {
    Harness h;
    auto [library, preview, merge, exporter, messages] = test::features(*h.vm);
    ASSERT_TRUE(h.imported());
    const TeslaClipEvent open = h.event(ClipCategory::saved, 1);
    ASSERT_TRUE(h.opened_(open));
    library.startDeleteSelection();
    library.toggleDeleteEvent(open.id.toString());
    EXPECT_EQ(library.deleteSelectedCount(), 1);
    EXPECT_TRUE(library.eventsInSelectedCategory()
                    ->get(library.eventsInSelectedCategory()->indexOf(open.id.toString()))
                    .value("isDeleteSelected")
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
    EXPECT_TRUE(preview.videos().empty());

    // The remaining event's files vanished meanwhile: nothing to move, nothing changes.
    const TeslaClipEvent gone = h.event(ClipCategory::saved, 0);
    QDir(gone.folderURL).removeRecursively();
    library.startDeleteSelection();
    library.toggleSelectAllEventsForDeletion();
    EXPECT_TRUE(library.allEventsSelectedForDeletion());
    library.deleteSelectedEvents();
    ASSERT_TRUE(waitUntil([&] { return !library.isDeletingEvents(); }));
    EXPECT_FALSE(messages.errorMessage().isEmpty());
    EXPECT_EQ(library.eventsInSelectedCategory()->count(), 1);
    EXPECT_TRUE(library.isDeleteSelectionMode());
    EXPECT_EQ(library.deleteSelectedCount(), 1);
}

TEST(MainViewModel, aNewExportCancelsTheOldOneWhichThenLeavesItAlone) {
    Harness h;
    auto [library, preview, merge, exporter, messages] = test::features(*h.vm);
    exporter.setCustomOutputDirectoryPath(h.folder.makeFolder("out"));
    ASSERT_TRUE(h.imported());
    ASSERT_TRUE(h.opened_(h.event(ClipCategory::saved)));
    h.gates->hold("export:1");
    h.gates->hold("export:2");
    exporter.startProcessing();
    EXPECT_TRUE(exporter.isProcessing());
    EXPECT_EQ(exporter.exportStatusMessage(), "正在准备导出...");
    EXPECT_TRUE(exporter.exportIsIndeterminate());
    ASSERT_TRUE(waitUntil([&] { return h.gates->arrived("export:1"); }));
    ASSERT_TRUE(waitUntil([&] { return exporter.exportProgress() == 0.5; }));
    const QUuid firstJob = exporter.jobs().front().id;

    exporter.startProcessing();
    const QUuid secondJob = exporter.jobs().front().id;
    EXPECT_NE(firstJob, secondJob);
    EXPECT_EQ(exporter.exportProgress(), 0);
    h.gates->release("export:1"); // the old export ends (cancelled) while the new one waits to start
    ASSERT_TRUE(waitUntil([&] { return h.gates->arrived("export:2"); }));
    test::settle();
    EXPECT_TRUE(exporter.isProcessing());
    EXPECT_EQ(exporter.jobs().front().id, secondJob);
    EXPECT_NE(messages.statusMessage(), "已取消导出");

    h.gates->release("export:2");
    ASSERT_TRUE(waitUntil([&] { return !exporter.isProcessing(); }));
    EXPECT_EQ(messages.successMessage(), "视频已成功导出");
    EXPECT_TRUE(messages.statusMessage().startsWith("导出完成："));
    EXPECT_TRUE(QFileInfo(exporter.exportResultPath().value_or("")).isFile());
    EXPECT_TRUE(exporter.jobs().empty());
    EXPECT_EQ(exporter.exportResultDestination(), "folder");
    EXPECT_EQ(exporter.exportResultStartDate(), 1714530000);
    exporter.revealOutputLocation();
    EXPECT_EQ(h.opened, QStringList({h.folder / "out"}));
}

TEST(MainViewModel, cancellingDuringTheStartDelayRunsNothing) {
    Harness h;
    auto [library, preview, merge, exporter, messages] = test::features(*h.vm);
    ASSERT_TRUE(h.imported());
    ASSERT_TRUE(h.opened_(h.event(ClipCategory::saved)));
    exporter.startProcessing();
    exporter.cancelExport();
    ASSERT_TRUE(waitUntil([&] { return !exporter.isProcessing(); }));
    EXPECT_EQ(messages.statusMessage(), "已取消导出");
    EXPECT_TRUE(messages.errorMessage().isEmpty());
    EXPECT_FALSE(exporter.hasExportResult());
    EXPECT_EQ(*h.exportCalls, 0);

    // Nothing selected: the export does not start.
    preview.closeEventPreview();
    exporter.startProcessing();
    EXPECT_FALSE(exporter.isProcessing());
    EXPECT_EQ(messages.errorMessage(), "请先选择要导出的视频");
}

TEST(MainViewModel, shutdownCancelsTheExportAndWaitsUntilItsFilesAreGone) {
    Harness h;
    auto [library, preview, merge, exporter, messages] = test::features(*h.vm);
    const QString temp = h.folder.makeFolder("tmp");
    test::ScopedEnvironment tempDir("TMPDIR", QFile::encodeName(temp));
    ASSERT_TRUE(h.imported());
    ASSERT_TRUE(h.opened_(h.event(ClipCategory::saved)));
    exporter.usePhotosLibraryOutput(); // a staging file in the temporary folder
    h.gates->hold("export:1");
    exporter.startProcessing();
    ASSERT_TRUE(waitUntil([&] { return h.gates->arrived("export:1"); }));
    EXPECT_FALSE(QDir(temp).isEmpty());
    // The exporter notices the cancel only once it gets past its gate, a while after quitting began.
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

TEST(MainViewModel, thePhotoLibraryResultKeepsItsButtonAfterTheSettingsChange) {
    Harness h;
    auto [library, preview, merge, exporter, messages] = test::features(*h.vm);
    ASSERT_TRUE(h.imported());
    ASSERT_TRUE(h.opened_(h.event(ClipCategory::saved)));
    exporter.usePhotosLibraryOutput();
    EXPECT_EQ(messages.statusMessage(), "输出位置：系统相册");
    exporter.startProcessing();
    ASSERT_TRUE(waitUntil([&] { return !exporter.isProcessing(); }));
    EXPECT_EQ(messages.successMessage(), "视频已成功保存到系统相册");
    EXPECT_TRUE(messages.statusMessage().startsWith("已保存到相册："));
    const QString delivered = exporter.exportResultPath().value_or("");
    EXPECT_TRUE(delivered.startsWith(h.folder / "Pictures/")); // the delivered copy, which exists
    EXPECT_TRUE(QFileInfo(delivered).isFile());
    EXPECT_TRUE(delivered.endsWith("-front_watermarked.mp4"));
    exporter.setCustomOutputDirectoryPath(h.folder.path());
    EXPECT_EQ(exporter.openOutputButtonTitle(), "打开相册");
    exporter.clearExportResult();
    EXPECT_EQ(exporter.openOutputButtonTitle(), "打开输出目录");
}

TEST(MainViewModel, outputLocationChoices) {
    Harness h;
    auto [library, preview, merge, exporter, messages] = test::features(*h.vm);
    QSignalSpy asked(&exporter, &ExportViewModel::outputDirectoryRequested);
    exporter.setCustomOutputDirectoryPath(QDir::homePath() + "/Videos/exports");
    EXPECT_EQ(messages.statusMessage(), "输出目录: ~/Videos/exports");
    EXPECT_EQ(exporter.outputLocationOption(), "custom");
    EXPECT_EQ(exporter.outputFolderDisplayPath(), "~/Videos/exports");
    exporter.selectOutputLocation(QStringLiteral("custom"));
    EXPECT_EQ(asked.count(), 1);
    exporter.selectOutputLocation(QStringLiteral("photosLibrary"));
    EXPECT_EQ(exporter.outputDestinationKind(), "photosLibrary");
    EXPECT_EQ(exporter.outputFolderDisplayPath(), "系统相册");
    exporter.selectOutputLocation(QStringLiteral("custom")); // from the library: back to the default folder
    EXPECT_EQ(asked.count(), 1);
    EXPECT_EQ(exporter.outputDestinationKind(),
              OutputDestination::defaultDestination().isFolder() ? "folder" : "photosLibrary");
    EXPECT_TRUE(messages.statusMessage().startsWith("输出目录: "));
}
