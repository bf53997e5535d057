// The event preview page as a user meets it, with the real players over a real sample drive:
// the picture, the dashboard following the frame on screen, the grid, the keys and the toast.

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

const QString pageQml =
    QStringLiteral("EventPreviewPage { objectName: \"page\"; anchors.fill: parent; viewModel: vm }");

// What the dashboard prints for a record: km/h, rounded half away from zero in single precision.
QString speedText(const TeslaTelemetrySample& sample) {
    return QString::number(std::lround(std::fabs(sample.speedMetersPerSecond) * 3.6f));
}

struct PreviewScreen {
    ScreenDrive drive;
    ScreenWindow screen{*drive.vm, pageQml};
    PreviewViewModel& preview = *drive.vm->preview();
    ExportViewModel& exporter = *drive.vm->exporter();

    QObject* page() const { return screen.object("page")->property("controller").value<QObject*>(); }
    bool ready() const {
        const PreviewController* player = preview.activePreview();
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
    s.preview.selectEvent(s.drive.saved.front()); // the browser's card
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
    const auto samples = TeslaTelemetryReader::read(s.preview.selectedVideo()->url);
    ASSERT_GT(samples.size(), size_t(frame + 1));
    const TeslaTelemetrySample& record = samples[size_t(shown->frameIndex)];
    auto* timeline = s.page()->property("timeline").value<TelemetryTimeline*>();
    ASSERT_TRUE(waitUntil([&] { return timeline->currentSample().has_value(); }, test::screenWaitMs));
    EXPECT_EQ(timeline->currentSample()->frameSequenceNumber, record.frameSequenceNumber);
    EXPECT_EQ(s.screen.item("speedReadout")->property("text").toString(), speedText(record));

    // "[" records the start; the toast says so over the picture.
    s.screen.key(Qt::Key_BracketLeft);
    QQuickItem* toast = s.screen.item("rangeToast");
    EXPECT_TRUE(s.preview.exportRangeStart());
    EXPECT_TRUE(toast->property("message").toString().startsWith("已设置开始点 "));
    EXPECT_TRUE(waitUntil([&] { return toast->isVisible() && toast->opacity() == 1; }));
    EXPECT_TRUE(s.screen.rectOf(video).contains(s.screen.rectOf(toast)));

    // The grid: four cameras, each in its cell, none black.
    s.screen.click(s.screen.item("cameraTab_all"));
    EXPECT_EQ(s.preview.cameraFilter(), "all");
    ASSERT_TRUE(waitUntil([&] { return s.ready(); }, test::screenWaitMs));
    for (CameraAngle camera : Camera::gridOrder) {
        SCOPED_TRACE(Camera::rawValue(camera).toStdString());
        QQuickItem* cell = s.screen.item("gridCell_" + Camera::rawValue(camera));
        ASSERT_TRUE(cell);
        std::optional<sample::FramePattern> pattern;
        EXPECT_TRUE(waitUntil(
            [&] {
                pattern = test::framePattern(s.screen.picture(cell));
                return pattern && pattern->cameraIndex == sample::cameraIndex(camera);
            },
            test::screenWaitMs));
        EXPECT_GT(test::meanLuma(s.screen.picture(cell)), visibleLuma);
    }
    EXPECT_EQ(s.screen.unnamedButtons(), QStringList());
}

TEST(PreviewScreen, keysPlayPauseSkipRecordExportAndGoBack) {
    if (!test::hasScreen())
        GTEST_SKIP() << "needs an X server (xvfb-run)";
    PreviewScreen s;
    s.preview.selectEvent(s.drive.saved.front());
    ASSERT_TRUE(waitUntil([&] { return s.ready(); }, test::screenWaitMs));
    PreviewController* player = s.preview.activePreview();
    ASSERT_TRUE(s.screen.item("page")->hasActiveFocus());

    s.screen.click(s.screen.item("skipForwardButton")); // a click leaves the keys with the page
    EXPECT_TRUE(s.screen.item("page")->hasActiveFocus());
    s.screen.key(Qt::Key_Space);
    EXPECT_TRUE(player->isPlaying());
    s.screen.key(Qt::Key_Space);
    EXPECT_FALSE(player->isPlaying());
    s.screen.key(Qt::Key_E, Qt::ControlModifier);
    EXPECT_TRUE(s.exporter.isProcessing());
    s.exporter.cancelExport();
    ASSERT_TRUE(waitUntil([&] { return !s.exporter.isProcessing(); }, test::exportWaitMs));

    s.screen.key(Qt::Key_Left);
    EXPECT_DOUBLE_EQ(player->currentTime(), 0);
    s.screen.key(Qt::Key_BracketRight);
    EXPECT_EQ(s.screen.item("rangeToast")->property("message").toString(), "已设置结束点 00:00");

    s.screen.key(Qt::Key_Escape);
    EXPECT_FALSE(s.preview.selectedEvent());
}
