// The event preview page as a user meets it, with the real players over a real sample drive:
// the picture, the dashboard following the frame on screen, the grid, the keys, the toast, and
// an export through its overlay to the result page and its stills.

#include "MultiCameraPreviewController.h"
#include "ScreenTestSupport.h"
#include "TelemetryTimeline.h"
#include "TeslaTelemetryReader.h"
#include "VideoPreviewController.h"

#include <QDir>
#include <QFileInfo>

#include <cmath>

using namespace orvane;
using test::ScreenDrive;
using test::ScreenWindow;
using test::waitUntil;

namespace {

constexpr int fps = 36;
// Clearly brighter than the black video box.
constexpr double visibleLuma = 40;

const QString pageQml = QStringLiteral("EventPreviewPage { objectName: \"page\"; anchors.fill: parent; viewModel: vm }");

// What the dashboard prints for a record: km/h, rounded half away from zero in single precision.
QString speedText(const TeslaTelemetrySample& sample) {
    return QString::number(std::lround(std::fabs(sample.speedMetersPerSecond) * 3.6f));
}

struct PreviewScreen {
    ScreenDrive drive;
    ScreenWindow screen{*drive.vm, pageQml};
    MainViewModel& vm = *drive.vm;

    QObject* page() const { return screen.object("page")->property("controller").value<QObject*>(); }
    bool ready() const {
        const PreviewController* player = qobject_cast<PreviewController*>(vm.activePreview());
        return page()->property("hasVideo").toBool() && !page()->property("isVideoLoading").toBool() &&
               player->duration() > 0;
    }
    // Waits until the picture under `item` shows frame `index`; returns what it showed last.
    std::optional<sample::FramePattern> waitForFrame(QQuickItem* item, int index) {
        std::optional<sample::FramePattern> shown;
        waitUntil(
            [&] {
                shown = test::framePattern(screen.picture(item));
                return shown && shown->frameIndex == index;
            },
            test::screenWaitMs);
        return shown;
    }
};

} // namespace

TEST(PreviewScreen, thePictureTheDashboardAndTheGridFollowTheUser) {
    if (!test::hasScreen())
        GTEST_SKIP() << "needs an X server (xvfb-run)";
    PreviewScreen s;
    ASSERT_TRUE(s.screen.window());
    s.vm.selectEvent(s.drive.saved.front()); // the browser's card
    ASSERT_TRUE(waitUntil([&] { return s.ready(); }, test::screenWaitMs));

    // A frame early in the minute, then one frame on with the "." key.
    constexpr int frame = 20;
    QMetaObject::invokeMethod(s.page(), "seek", Q_ARG(double, (frame + 0.25) / fps));
    QQuickItem* video = s.screen.item("singleVideo");
    auto shown = s.waitForFrame(video, frame);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->frameIndex, frame);
    EXPECT_EQ(shown->cameraIndex, sample::cameraIndex(CameraAngle::front));
    EXPECT_GT(test::meanLuma(s.screen.picture(video)), visibleLuma);
    s.screen.key(Qt::Key_Period);
    shown = s.waitForFrame(video, frame + 1);
    ASSERT_TRUE(shown);
    ASSERT_EQ(shown->frameIndex, frame + 1);

    // The dashboard shows the record of the frame on screen.
    const auto samples = TeslaTelemetryReader::read(s.vm.selectedVideo().value("url").toString());
    ASSERT_GT(samples.size(), size_t(frame + 1));
    const TeslaTelemetrySample& record = samples[size_t(shown->frameIndex)];
    auto* timeline = s.page()->property("timeline").value<TelemetryTimeline*>();
    ASSERT_TRUE(waitUntil([&] { return timeline->hasSample(); }, test::screenWaitMs));
    EXPECT_EQ(timeline->frameSequenceNumber(), qint64(*record.frameSequenceNumber));
    EXPECT_EQ(s.screen.item("speedReadout")->property("text").toString(), speedText(record));

    // "[" records the start; the toast says so over the picture.
    s.screen.key(Qt::Key_BracketLeft);
    QQuickItem* toast = s.screen.item("rangeToast");
    EXPECT_TRUE(s.vm.hasExportRangeStart());
    EXPECT_TRUE(toast->property("message").toString().startsWith("已设置开始点 "));
    EXPECT_TRUE(waitUntil([&] { return toast->isVisible() && toast->opacity() == 1; }));
    EXPECT_TRUE(s.screen.rectOf(video).contains(s.screen.rectOf(toast)));

    // The grid: four cameras, each in its cell, none black.
    s.screen.click(s.screen.item("cameraTab_all"));
    EXPECT_EQ(s.vm.cameraFilter(), "all");
    ASSERT_TRUE(waitUntil([&] { return s.ready(); }, test::screenWaitMs));
    for (CameraAngle camera : Camera::gridOrder) {
        SCOPED_TRACE(Camera::rawValue(camera).toStdString());
        QQuickItem* cell = s.screen.item("gridCell_" + Camera::rawValue(camera));
        ASSERT_TRUE(cell);
        std::optional<sample::FramePattern> pattern;
        EXPECT_TRUE(waitUntil([&] {
            pattern = test::framePattern(s.screen.picture(cell));
            return pattern && pattern->cameraIndex == sample::cameraIndex(camera);
        }, test::screenWaitMs));
        EXPECT_GT(test::meanLuma(s.screen.picture(cell)), visibleLuma);
    }
    EXPECT_EQ(s.screen.unnamedButtons(), QStringList());
}

TEST(PreviewScreen, keysPlayPauseSkipRecordExportAndGoBack) {
    if (!test::hasScreen())
        GTEST_SKIP() << "needs an X server (xvfb-run)";
    PreviewScreen s;
    s.vm.selectEvent(s.drive.saved.front());
    ASSERT_TRUE(waitUntil([&] { return s.ready(); }, test::screenWaitMs));
    auto* player = qobject_cast<PreviewController*>(s.vm.activePreview());
    ASSERT_TRUE(s.screen.item("page")->hasActiveFocus());

    s.screen.click(s.screen.item("skipForwardButton")); // a click leaves the keys with the page
    EXPECT_TRUE(s.screen.item("page")->hasActiveFocus());
    s.screen.key(Qt::Key_Space);
    EXPECT_TRUE(player->isPlaying());
    s.screen.key(Qt::Key_Space);
    EXPECT_FALSE(player->isPlaying());
    s.screen.key(Qt::Key_E, Qt::ControlModifier);
    EXPECT_TRUE(s.vm.isProcessing());
    s.vm.cancelExport();
    ASSERT_TRUE(waitUntil([&] { return !s.vm.isProcessing(); }, test::exportWaitMs));

    s.screen.key(Qt::Key_Left);
    EXPECT_DOUBLE_EQ(player->currentTime(), 0);
    s.screen.key(Qt::Key_BracketRight);
    EXPECT_EQ(s.screen.item("rangeToast")->property("message").toString(), "已设置结束点 00:00");

    s.screen.key(Qt::Key_Escape);
    EXPECT_FALSE(s.vm.hasSelectedEvent());
}

namespace {

// The preview with what the window lays over it while an export runs and after it finished.
const QString exportQml = QStringLiteral(R"(
Item {
    anchors.fill: parent
    EventPreviewPage { objectName: "page"; anchors.fill: parent; viewModel: vm; visible: !vm.hasExportResult }
    Loader {
        anchors.fill: parent
        active: vm.hasExportResult
        sourceComponent: ExportResultView {
            objectName: "result"
            videoUrl: vm.exportResultURL
            videoStartDate: vm.exportResultStartDate
            timeline: vm.exportResultTimeline
            message: vm.successMessage
            openOutputButtonTitle: vm.openOutputButtonTitle
            onDoneRequested: vm.clearExportResult()
        }
    }
    ExportLoadingOverlay {
        objectName: "overlay"
        anchors.fill: parent
        visible: vm.isProcessing
        fileName: vm.exportingFileName
        statusMessage: vm.exportStatusMessage
        progress: vm.exportProgress
        isIndeterminate: vm.exportIsIndeterminate
        onCancelRequested: vm.cancelExport()
    }
})");

QStringList stillsIn(const QString& folder) {
    return QDir(folder).entryList({QStringLiteral("*.png"), QStringLiteral("*.jpg"), QStringLiteral("*.heic")},
                                  QDir::Files);
}

} // namespace

TEST(PreviewScreen, anExportLeadsToTheResultPageWhereStillsAreCapturedAndSaved) {
    if (!test::hasScreen())
        GTEST_SKIP() << "needs an X server (xvfb-run)";
    ScreenDrive drive;
    MainViewModel& vm = *drive.vm;
    ScreenWindow screen(vm, exportQml);
    ASSERT_TRUE(screen.window());
    vm.selectEvent(drive.saved.back()); // one minute: a short export
    ASSERT_TRUE(waitUntil([&] { return vm.hasSelectedVideo() && vm.videoPreview()->duration() > 0; },
                          test::screenWaitMs));

    screen.click(screen.item("exportButton"));
    ASSERT_TRUE(vm.isProcessing());
    EXPECT_TRUE(screen.item("overlay")->isVisible());
    EXPECT_FALSE(screen.item("exportFileName")->property("text").toString().isEmpty());
    ASSERT_TRUE(waitUntil([&] { return !vm.isProcessing(); }, test::exportWaitMs));
    ASSERT_EQ(vm.errorMessage(), "");
    ASSERT_TRUE(vm.hasExportResult());
    EXPECT_FALSE(screen.item("overlay")->isVisible());

    QObject* result = screen.object("result")->property("controller").value<QObject*>();
    ASSERT_TRUE(waitUntil([&] { return result->property("isReady").toBool(); }, test::screenWaitMs));
    QObject* captures = result->property("captures").value<QObject*>();
    const auto captureCount = [&] { return captures->property("count").toInt(); };
    screen.click(screen.item("captureButton"));
    ASSERT_TRUE(waitUntil([&] { return captureCount() == 1 && !result->property("isCapturing").toBool(); },
                          test::screenWaitMs));
    screen.click(screen.item("nextFrameButton"));
    screen.click(screen.item("captureButton"));
    ASSERT_TRUE(waitUntil([&] { return captureCount() == 2 && !result->property("isCapturing").toBool(); },
                          test::screenWaitMs));
    EXPECT_EQ(screen.unnamedButtons(), QStringList());

    screen.click(screen.item("removeCaptureButton"));
    EXPECT_EQ(captureCount(), 1);
    const QString folder = QFileInfo(vm.exportResultPath()).absolutePath();
    ASSERT_EQ(stillsIn(folder), QStringList());
    screen.click(screen.item("saveAllButton"));
    ASSERT_TRUE(waitUntil([&] { return !result->property("saveMessage").toString().isEmpty(); }, test::screenWaitMs));
    EXPECT_EQ(stillsIn(folder).size(), 1) << result->property("saveMessage").toString().toStdString();

    screen.click(screen.item("doneButton"));
    EXPECT_FALSE(vm.hasExportResult());
    EXPECT_TRUE(screen.item("page")->isVisible());
}
