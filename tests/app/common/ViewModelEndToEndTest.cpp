// A user's whole path through the main view model over a small real sample drive, with the
// real scanner, players, exporters and Trash: import, open an event, switch to the grid and
// back, mark a range, export a file and a grid, splice two saved events, delete an event. And
// the drive and the destination misbehaving on the way.

#include "FramePattern.h"
#include "MultiCameraPreviewController.h"
#include "OverlayRenderer.h"
#include "VideoPreviewController.h"
#include "ViewModelHarness.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cmath>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace orvane;
using test::waitUntil;

namespace {

constexpr int fps = 36;
constexpr double minuteSeconds = 1; // the sample "minutes" last one second
constexpr double frame = 1.0 / fps;
constexpr int exportWaitMs = 60000;
constexpr int loadWaitMs = 30000; // sanitizer builds are slow

struct Probe {
    QString codec;
    int width = 0;
    int height = 0;
    int frames = 0;
};

Probe probe(const QString& path) {
    const auto out = test::runProgram(
        "ffprobe", {"-v", "error", "-count_frames", "-select_streams", "v:0", "-show_entries",
                    "stream=codec_name,width,height,nb_read_frames", "-of", "json", path});
    const QJsonObject s =
        out ? QJsonDocument::fromJson(*out).object()["streams"].toArray().at(0).toObject() : QJsonObject();
    return {s["codec_name"].toString(), s["width"].toInt(), s["height"].toInt(),
            s["nb_read_frames"].toString().toInt()};
}

// The frame pattern of the first frame (in the top-left quarter for a grid).
std::optional<sample::FramePattern> firstFramePattern(const QString& path, bool grid) {
    const Probe p = probe(path);
    const auto out = test::runProgram(
        "ffmpeg", {"-v", "error", "-i", path, "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "gray", "-"});
    if (!out || out->size() < p.width * p.height)
        return std::nullopt;
    const int w = grid ? p.width / 2 : p.width;
    const int h = grid ? p.height / 2 : p.height;
    return sample::FramePattern::read(reinterpret_cast<const uint8_t*>(out->constData()), p.width, w, h);
}

// The real services, with the desktop's folder opening recorded.
struct RealDrive {
    test::ScopedTimeZone zone{"Asia/Shanghai"};
    test::TempFolder folder;
    test::ScopedEnvironment dataHome{"XDG_DATA_HOME", QFile::encodeName(folder / "home/.local/share")};
    test::ScopedEnvironment temp{"TMPDIR", QFile::encodeName(folder.makeFolder("tmp"))};
    QString root = folder / "TeslaCam";
    QStringList opened;
    std::unique_ptr<MainViewModel> vm;

    RealDrive() {
        sample::writeDrive(sample::exampleDrive(root, sample::CarLayout::fourCamera, 0.125, minuteSeconds));
        ViewModelServices services = ViewModelServices::standard();
        services.openUrl = [this](const QUrl& url) { opened << url.toLocalFile(); };
        vm = std::make_unique<MainViewModel>(services);
        vm->exporter()->setExportQuality(QStringLiteral("balanced"));
        vm->exporter()->setCustomOutputDirectoryPath(folder.makeFolder("exports"));
    }
    bool imported() {
        vm->library()->importTeslaCamPaths({root});
        return waitUntil([&] { return !vm->library()->isImporting(); }, loadWaitMs);
    }
    const TeslaClipEvent& saved(size_t index) const {
        return vm->library()->eventsByCategory().at(ClipCategory::saved).at(index);
    }
    bool singleReady() {
        const PreviewViewModel& preview = *vm->preview();
        return waitUntil(
            [&] {
                return !preview.isLoadingEvent() && preview.videoPreview()->duration() > 0 &&
                       !preview.videoPreview()->isLoading();
            },
            loadWaitMs);
    }
    bool gridReady() {
        const MultiCameraPreviewController& grid = *vm->preview()->multiCameraPreview();
        return waitUntil([&] { return grid.duration() > 0 && !grid.isLoading(); }, loadWaitMs);
    }
    bool exported() {
        return waitUntil([&] { return !vm->exporter()->isProcessing(); }, exportWaitMs) &&
               vm->messages()->errorMessage().isEmpty();
    }
    QStringList temporaryLeftovers() const {
        return QDir(folder / "tmp").entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    }
};

} // namespace

TEST(ViewModelEndToEnd, aUsersPathFromImportToDeletion) {
    RealDrive d;
    auto [library, preview, merge, exporter, messages] = test::features(*d.vm);
    ASSERT_TRUE(d.imported());
    EXPECT_EQ(library.selectedCategory(), ClipCategory::saved);

    // The two-minute saved event plays its latest minute.
    const TeslaClipEvent event = d.saved(1);
    ASSERT_EQ(event.videoCount, 2);
    preview.selectEvent(event);
    ASSERT_TRUE(d.singleReady());
    EXPECT_NEAR(preview.videoPreview()->duration(), minuteSeconds, frame);
    const Instant minuteStart = preview.selectedVideo()->startTime;
    EXPECT_EQ(minuteStart, event.startTime + 60);
    EXPECT_EQ(preview.watermarkText(0.5), OverlayRenderer::watermarkText(minuteStart + 0.5));

    // To the grid and back, keeping the time.
    const double kept = 10.5 * frame; // inside a frame, not on its edge
    preview.videoPreview()->seek(kept);
    preview.switchCameraFilter(QStringLiteral("all"));
    ASSERT_TRUE(d.gridReady());
    EXPECT_NEAR(preview.multiCameraPreview()->currentTime(), kept, 1e-9);
    EXPECT_EQ(preview.multiCameraPreview()->cameraSlots().front().video->fileName,
              preview.selectedVideo()->fileName);
    preview.switchCameraFilter(QStringLiteral("front"));
    ASSERT_TRUE(d.singleReady());
    EXPECT_NEAR(preview.videoPreview()->currentTime(), kept, 1e-9);
    EXPECT_FALSE(preview.multiCameraPreview()->isPlaying());

    // A range of 9 to 27 frames, exported from the front camera.
    preview.videoPreview()->seek(9 * frame);
    EXPECT_FALSE(preview.recordExportRangeStart().isError);
    preview.videoPreview()->seek(27 * frame);
    EXPECT_FALSE(preview.recordExportRangeEnd().isError);
    exporter.startProcessing();
    ASSERT_TRUE(d.exported()) << messages.errorMessage().toStdString();
    const QString single = exporter.exportResultPath().value_or("");
    EXPECT_EQ(QFileInfo(single).fileName(),
              preview.selectedVideo()->fileName.chopped(4) + "_watermarked.mp4");
    Probe p = probe(single);
    EXPECT_EQ(p.codec, "h264");
    EXPECT_EQ(p.width, 160);
    EXPECT_EQ(p.frames, 18);
    auto first = firstFramePattern(single, false);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->frameIndex, 9);
    EXPECT_EQ(first->cameraIndex, sample::cameraIndex(CameraAngle::front));
    // The burned-in time of the first frame is that frame's own recording time.
    EXPECT_NEAR(exporter.exportResultStartDate(), minuteStart + 9 * frame, 1e-3);
    EXPECT_EQ(OverlayRenderer::watermarkText(exporter.exportResultStartDate()),
              preview.watermarkText(9 * frame));
    EXPECT_EQ(messages.successMessage(), "视频已成功导出");
    exporter.clearExportResult();

    // The same minute as a grid, its first half second.
    preview.switchCameraFilter(QStringLiteral("all"));
    ASSERT_TRUE(d.gridReady());
    preview.setExportRangeStart(0);
    preview.setExportRangeEnd(0.5);
    exporter.startProcessing();
    ASSERT_TRUE(d.exported()) << messages.errorMessage().toStdString();
    p = probe(exporter.exportResultPath().value_or(""));
    EXPECT_EQ(p.width, 1280);
    EXPECT_EQ(p.height, 720);
    EXPECT_EQ(p.frames, 18);
    EXPECT_TRUE(
        QFileInfo(exporter.exportResultPath().value_or("")).fileName().endsWith("_grid_watermarked.mp4"));
    EXPECT_NEAR(exporter.exportResultStartDate(), minuteStart, 1e-3);
    exporter.clearExportResult();

    // A splice of the two saved events, front camera.
    preview.switchCameraFilter(QStringLiteral("front"));
    preview.closeEventPreview();
    merge.startMergeSelection();
    merge.toggleMergeEvent(d.saved(1).id.toString());
    merge.toggleMergeEvent(d.saved(0).id.toString());
    merge.prepareMergeEditor();
    ASSERT_TRUE(waitUntil([&] { return merge.isMergeEditorPresented(); }, loadWaitMs));
    ASSERT_EQ(merge.mergeItems().size(), 2u);
    EXPECT_NEAR(merge.mergeItems()[0].totalDuration(), 2 * minuteSeconds, 2 * frame);
    merge.setMergeRangeStart(0.5, merge.mergeItems()[0].id.toString()); // from 1.5 minutes
    exporter.startProcessing();
    ASSERT_TRUE(d.exported()) << messages.errorMessage().toStdString();
    // A join cuts by stream copy, so it may begin at the key frame before the kept start; the
    // burned-in time then is that earlier frame's own.
    p = probe(exporter.exportResultPath().value_or(""));
    first = firstFramePattern(exporter.exportResultPath().value_or(""), false);
    ASSERT_TRUE(first);
    EXPECT_LE(first->frameIndex, fps / 2);
    EXPECT_EQ(p.frames, 3 * fps - first->frameIndex);
    EXPECT_NEAR(exporter.exportResultStartDate(), d.saved(1).startTime + first->frameIndex * frame, 1e-3);
    EXPECT_TRUE(QFileInfo(exporter.exportResultPath().value_or("")).fileName().endsWith("-merged-front.mp4"));
    exporter.clearExportResult();
    merge.cancelMergeSelection();
    EXPECT_TRUE(d.temporaryLeftovers().isEmpty()) << d.temporaryLeftovers().join(',').toStdString();

    // Delete the one-minute saved event: its files go to the Trash and it leaves the list.
    const TeslaClipEvent doomed = d.saved(0);
    library.startDeleteSelection();
    library.toggleDeleteEvent(doomed.id.toString());
    library.deleteSelectedEvents();
    ASSERT_TRUE(waitUntil([&] { return !library.isDeletingEvents(); }, loadWaitMs));
    EXPECT_EQ(messages.errorMessage(), "");
    EXPECT_EQ(messages.statusMessage(), "已将 1 个片段的 4 个源视频移到废纸篓");
    EXPECT_EQ(library.eventsInSelectedCategory()->count(), 1);
    EXPECT_EQ(library.eventsInSelectedCategory()->indexOf(doomed.id.toString()), -1);
    EXPECT_EQ(QDir(d.folder / "home/.local/share/Trash/files").entryList(QDir::Files).size(), 4);
    EXPECT_FALSE(QFileInfo::exists(
        doomed.folderURL + "/" + LocalTime::format(doomed.startTime, "yyyy-MM-dd_HH-mm-ss") + "-front.mp4"));
}

TEST(ViewModelEndToEnd, aDriveUnpluggedAndADestinationLockedEachGiveTheirText) {
    RealDrive d;
    auto [library, preview, merge, exporter, messages] = test::features(*d.vm);
    ASSERT_TRUE(d.imported());

    // An export whose destination cannot be written: its text, no result, nothing left behind.
    preview.selectEvent(d.saved(0));
    ASSERT_TRUE(d.singleReady());
    QString locked = d.folder.makeFolder("locked");
    if (geteuid() == 0)
        locked = QStringLiteral("/sys"); // permissions do not bind root; sysfs takes no new files
    else
        QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner);
    exporter.setCustomOutputDirectoryPath(locked);
    exporter.startProcessing();
    ASSERT_TRUE(waitUntil([&] { return !exporter.isProcessing(); }, exportWaitMs));
    EXPECT_FALSE(messages.errorMessage().isEmpty());
    EXPECT_EQ(messages.statusMessage(), "导出失败");
    EXPECT_FALSE(exporter.hasExportResult());
    EXPECT_TRUE(exporter.jobs().empty());
    EXPECT_FALSE(exporter.showPhotosPrivacySettings());
    EXPECT_TRUE(d.temporaryLeftovers().isEmpty());
    messages.setErrorMessage(QString());

    // The event's files vanish before deletion: nothing to move, nothing changes.
    const TeslaClipEvent vanished = d.saved(0);
    for (const QString& name : QDir(vanished.folderURL).entryList({"*.mp4"}))
        QFile::remove(vanished.folderURL + "/" + name);
    preview.closeEventPreview();
    library.startDeleteSelection();
    library.toggleDeleteEvent(vanished.id.toString());
    library.deleteSelectedEvents();
    ASSERT_TRUE(waitUntil([&] { return !library.isDeletingEvents(); }, loadWaitMs));
    EXPECT_EQ(messages.errorMessage(), "没有找到该片段对应的源视频，可能已被移动或删除。");
    EXPECT_EQ(library.eventsInSelectedCategory()->count(), 2);
    EXPECT_TRUE(library.isDeleteSelectionMode());
    library.cancelDeleteSelection();

    // The drive is unplugged between import and opening an event.
    QDir(d.root).removeRecursively();
    preview.selectEvent(d.saved(1));
    ASSERT_TRUE(waitUntil([&] { return !preview.isLoadingEvent(); }, loadWaitMs));
    EXPECT_TRUE(messages.errorMessage().endsWith(": " + d.saved(1).folderURL))
        << messages.errorMessage().toStdString();
    EXPECT_EQ(messages.statusMessage(), "加载片段失败");
    EXPECT_TRUE(preview.videos().empty());
    EXPECT_FALSE(preview.selectedVideo());
    exporter.startProcessing();
    EXPECT_FALSE(exporter.isProcessing());
    EXPECT_EQ(messages.errorMessage(), "请先选择要导出的视频");

    // Choosing a folder that is not a drive keeps the library as it was.
    library.importTeslaCamPaths({d.folder.makeFolder("Documents")});
    ASSERT_TRUE(waitUntil([&] { return !library.isImporting(); }, loadWaitMs));
    EXPECT_EQ(messages.errorMessage(),
              "未识别为 TeslaCam 文件夹，请选择包含 RecentClips、SentryClips、SavedClips 的根目录。");
    EXPECT_EQ(library.eventsInSelectedCategory()->count(), 2);
}
