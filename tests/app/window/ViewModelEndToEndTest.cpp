// A user's path through the main view model over a small real sample drive, with the real
// scanner, players and exporters: a marked range exported from one camera and from the six-camera
// grid, and two events spliced, and which frames and burned-in times each output holds. And the
// drive and the destination misbehaving.

#include "FFmpegCommands.h"
#include "FramePattern.h"
#include "MultiCameraPreviewController.h"
#include "OverlayRenderer.h"
#include "VideoPreviewController.h"
#include "ViewModelHarness.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QVideoFrame>
#include <QVideoSink>
#include <atomic>
#include <climits>
#include <cmath>
#include <functional>
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
    int width = 0, height = 0, frames = 0;
};

Probe probe(const QString& path) {
    const auto out = test::runProgram("ffprobe", {"-v", "error", "-count_frames", "-select_streams", "v:0",
                                                  "-show_entries", "stream=width,height,nb_read_frames",
                                                  "-of", "json", path});
    const QJsonObject s =
        out ? QJsonDocument::fromJson(*out).object()["streams"].toArray().at(0).toObject() : QJsonObject();
    return {s["width"].toInt(), s["height"].toInt(), s["nb_read_frames"].toString().toInt()};
}

// The frame pattern of the first frame, in the picture or in one cell of it.
std::optional<sample::FramePattern> firstFramePattern(const QString& path, std::optional<QRect> cell = {}) {
    const Probe p = probe(path);
    const auto out = test::runProgram(
        "ffmpeg", {"-v", "error", "-i", path, "-frames:v", "1", "-f", "rawvideo", "-pix_fmt", "gray", "-"});
    if (!out || out->size() < p.width * p.height)
        return std::nullopt;
    const QRect r = cell.value_or(QRect(0, 0, p.width, p.height));
    return sample::FramePattern::read(reinterpret_cast<const uint8_t*>(out->constData()) + r.y() * p.width +
                                          r.x(),
                                      p.width, r.width(), r.height());
}

// A player of the grid's or of one camera plays pictures reduced to the width shown, and shows the
// whole picture paused (a reduced picture must not stay on screen as the paused one).
void expectPlaysReducedAndPausesWhole(PreviewController& player, const std::function<void(QVideoSink*)>& attach,
                                      const std::function<void(int)>& setShownWidth) {
    constexpr int shownWidth = 40;
    QVideoSink sink;
    std::atomic<int> narrowest = INT_MAX, latest = 0;
    QObject::connect(
        &sink, &QVideoSink::videoFrameChanged, &sink,
        [&](const QVideoFrame& f) {
            narrowest = std::min(narrowest.load(), f.width());
            latest = f.width();
        },
        Qt::DirectConnection);
    setShownWidth(shownWidth);
    attach(&sink);
    const int whole = latest;
    player.togglePlayPause();
    EXPECT_TRUE(waitUntil([&] { return narrowest < whole / 2 && narrowest >= shownWidth; }, loadWaitMs))
        << narrowest << " of " << whole;
    player.togglePlayPause();
    EXPECT_TRUE(waitUntil([&] { return latest == whole; }, loadWaitMs));
    attach(nullptr);
    setShownWidth(0);
}

void expectCellsPlayReducedAndPauseWhole(MultiCameraPreviewController& cells) {
    const auto& order = Camera::gridCameras(cells.gridLayout());
    const int front = int(std::find(order.begin(), order.end(), CameraAngle::front) - order.begin());
    expectPlaysReducedAndPausesWhole(
        cells, [&](QVideoSink* sink) { cells.setVideoSink(front, sink); },
        [&](int width) { cells.setShownWidth(width); });
}

struct RealDrive {
    test::ScopedTimeZone zone{"Asia/Shanghai"};
    test::TempFolder folder;
    test::ScopedEnvironment temp{"TMPDIR", QFile::encodeName(folder.makeFolder("tmp"))};
    QString root = folder / "TeslaCam";
    std::unique_ptr<MainViewModel> vm;

    explicit RealDrive(sample::CarLayout layout = sample::CarLayout::fourCamera) {
        sample::writeDrive(sample::exampleDrive(root, layout, 0.125, minuteSeconds));
        vm = std::make_unique<MainViewModel>(ViewModelServices::standard());
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
    bool exported() {
        return waitUntil([&] { return !vm->exporter()->isProcessing(); }, exportWaitMs) &&
               vm->messages()->errorMessage().isEmpty();
    }
    QStringList temporaryLeftovers() const {
        return QDir(folder / "tmp").entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    }
};

} // namespace

TEST(ViewModelEndToEnd, aUsersPathFromImportToTheSplice) {
    RealDrive d(sample::CarLayout::sixCamera);
    auto [library, preview, merge, exporter, messages] = test::features(*d.vm);
    ASSERT_TRUE(d.imported());

    // The two-minute saved event is one time line that opens at its latest minute.
    const TeslaClipEvent event = d.saved(1);
    ASSERT_EQ(event.videoCount, 2);
    preview.selectEvent(event);
    ASSERT_TRUE(d.singleReady());
    EXPECT_NEAR(preview.videoPreview()->duration(), 2 * minuteSeconds, frame);
    EXPECT_NEAR(preview.videoPreview()->currentTime(), minuteSeconds, frame);
    EXPECT_EQ(preview.watermarkText(minuteSeconds + 0.5),
              OverlayRenderer::watermarkText(event.startTime + 60.5));

    // Played from the first minute's last frames it carries on into the next, the minute shown with it.
    preview.videoPreview()->seek(minuteSeconds - 3 * frame, true);
    EXPECT_TRUE(
        waitUntil([&] { return preview.videoPreview()->currentTime() > minuteSeconds + frame; }, loadWaitMs));
    EXPECT_EQ(preview.selectedVideo()->startTime, event.startTime + 60);
    if (preview.videoPreview()->isPlaying())
        preview.videoPreview()->togglePlayPause();
    VideoPreviewController& one = *preview.videoPreview();
    expectPlaysReducedAndPausesWhole(
        one, [&](QVideoSink* sink) { one.setVideoSink(sink); }, [&](int width) { one.setShownWidth(width); });

    // A range from the first minute's frame 27 into the second minute's frame 9, inside frames and
    // on a boundary, exported from the front camera: exactly the 18 frames between.
    preview.videoPreview()->seek(27.5 * frame);
    EXPECT_FALSE(preview.recordExportRangeStart().isError);
    preview.videoPreview()->seek((fps + 9) * frame);
    EXPECT_FALSE(preview.recordExportRangeEnd().isError);
    exporter.startProcessing();
    ASSERT_TRUE(d.exported()) << messages.errorMessage().toStdString();
    const QString single = exporter.exportResultPath().value_or("");
    Probe p = probe(single);
    EXPECT_EQ(p.frames, 18);
    auto first = firstFramePattern(single);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->frameIndex, 27);
    EXPECT_EQ(first->cameraIndex, sample::cameraIndex(CameraAngle::front));
    // The burned-in time of the first frame is that frame's own recording time.
    EXPECT_NEAR(exporter.exportResultStartDate(), event.startTime + 27 * frame, 1e-3);
    EXPECT_EQ(OverlayRenderer::watermarkText(exporter.exportResultStartDate()),
              preview.watermarkText(27 * frame));
    exporter.clearExportResult();

    // The same range from the grid: the grid's size, its frames, the front camera in the top
    // row's middle cell, and again the first frame's own recording time.
    preview.switchCameraFilter(QStringLiteral("all"));
    const MultiCameraPreviewController& cells = *preview.multiCameraPreview();
    ASSERT_TRUE(waitUntil(
        [&] { return cells.cameraSlots().size() == 6 && !cells.isLoading() && cells.duration() > 0; },
        loadWaitMs));
    expectCellsPlayReducedAndPauseWhole(*preview.multiCameraPreview());
    preview.setExportRangeStart(27.5 * frame);
    preview.setExportRangeEnd((fps + 9) * frame);
    exporter.startProcessing();
    ASSERT_TRUE(d.exported()) << messages.errorMessage().toStdString();
    const QString grid = exporter.exportResultPath().value_or("");
    const PixelSize canvas = FFmpegCommands::gridCanvas(Camera::GridLayout::six, ExportQuality::balanced);
    p = probe(grid);
    EXPECT_EQ(QSize(p.width, p.height), QSize(canvas.width, canvas.height));
    EXPECT_EQ(p.frames, 18);
    first = firstFramePattern(grid, QRect(canvas.width / 3, 0, canvas.width / 3, canvas.height / 2));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->cameraIndex, sample::cameraIndex(CameraAngle::front));
    EXPECT_NEAR(exporter.exportResultStartDate(), event.startTime + first->frameIndex * frame, 1e-3);
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
    // The join cuts by stream copy from the key frame before the start; the encoding skips to it.
    p = probe(exporter.exportResultPath().value_or(""));
    first = firstFramePattern(exporter.exportResultPath().value_or(""));
    ASSERT_TRUE(first);
    EXPECT_EQ(first->frameIndex, fps / 2);
    EXPECT_EQ(p.frames, 3 * fps - first->frameIndex);
    EXPECT_NEAR(exporter.exportResultStartDate(), d.saved(1).startTime + first->frameIndex * frame, 1e-3);
    exporter.clearExportResult();
    merge.cancelMergeSelection();
    EXPECT_TRUE(d.temporaryLeftovers().isEmpty()) << d.temporaryLeftovers().join(',').toStdString();
}

TEST(ViewModelEndToEnd, aDriveUnpluggedAndADestinationLockedEachGiveTheirText) {
    RealDrive d;
    auto [library, preview, merge, exporter, messages] = test::features(*d.vm);
    ASSERT_TRUE(d.imported());

    // An export whose destination cannot be written: its text, no result, no job left.
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
    messages.setErrorMessage(QString());

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
}
