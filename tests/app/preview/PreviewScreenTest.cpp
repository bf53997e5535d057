// The event preview page as a user meets it in the program's window, with the real players over
// a real sample drive: the picture, the dashboard following the frame on screen, the grid, the
// keys and the toast.

#include "SampleDrive.h"
#include "TelemetryTimeline.h"
#include "TeslaTelemetryReader.h"
#include "VideoPreviewController.h"
#include "WindowDriver.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace orvane;
using test::waitUntil;

namespace {

constexpr int fps = 36;
// Clearly brighter than the black video box.
constexpr double visibleLuma = 40;

class PreviewScreen : public ::testing::Test {
protected:
    void SetUp() override {
        if (!test::hasScreen())
            GTEST_SKIP() << "needs an X server (xvfb-run)";
        ASSERT_TRUE(s.app.window);
        ASSERT_TRUE(s.imported());
        preview.selectEvent(s.app.saved().front()); // the browser's card: two minutes, the latest plays
        ASSERT_TRUE(waitUntil([&] { return ready(); }, test::screenWaitMs));
    }
    QObject* page() const { return ui.pageController("previewLoader"); }
    bool ready() const {
        return page() && page()->property("hasVideo").toBool() &&
               !page()->property("isVideoLoading").toBool() && preview.activePreview()->duration() > 0;
    }
    // Waits until the picture under `item` shows frame `index`; returns what it showed last.
    std::optional<sample::FramePattern> waitForFrame(QQuickItem* item, int index) {
        std::optional<sample::FramePattern> shown;
        waitUntil(
            [&] {
                shown = test::framePattern(ui.picture(item));
                return shown && shown->frameIndex == index;
            },
            test::screenWaitMs);
        return shown;
    }

    test::ScreenFixture s;
    const test::WindowDriver& ui = *s.app.ui;
    PreviewViewModel& preview = *s.app.vm->preview();
};

TEST_F(PreviewScreen, thePictureTheDashboardAndTheGridFollowTheUser) {
    // A frame early in the minute (inside it, not on its edge), then one frame on with ".".
    constexpr int frame = 20;
    QMetaObject::invokeMethod(page(), "seek", Q_ARG(double, (frame + 0.25) / fps));
    auto* video = qobject_cast<QQuickItem*>(ui.shown("singleVideo"));
    ASSERT_TRUE(video);
    auto shown = waitForFrame(video, frame);
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->frameIndex, frame);
    EXPECT_EQ(shown->cameraIndex, sample::cameraIndex(CameraAngle::front));
    EXPECT_GT(test::meanLuma(ui.picture(video)), visibleLuma);
    ui.key(Qt::Key_Period);
    shown = waitForFrame(video, frame + 1);
    ASSERT_TRUE(shown);
    ASSERT_EQ(shown->frameIndex, frame + 1);

    // The dashboard shows the record of the frame on screen, in km/h.
    const auto samples = TeslaTelemetryReader::read(preview.selectedVideo()->url);
    ASSERT_GT(samples.size(), size_t(frame + 1));
    const TeslaTelemetrySample& record = samples[size_t(shown->frameIndex)];
    auto* timeline = page()->property("timeline").value<TelemetryTimeline*>();
    ASSERT_TRUE(waitUntil([&] { return timeline->currentSample().has_value(); }, test::screenWaitMs));
    EXPECT_EQ(timeline->currentSample()->frameSequenceNumber, record.frameSequenceNumber);
    EXPECT_EQ(ui.textOf("speedReadout"),
              QString::number(std::lround(std::fabs(record.speedMetersPerSecond) * 3.6f)));
    EXPECT_EQ(ui.textOf("speedUnit"), "km/h");
    preview.setSpeedUnit("mph"); // the sidebar's choice
    EXPECT_EQ(ui.textOf("speedReadout"),
              QString::number(std::lround(std::fabs(record.speedMetersPerSecond) * 3600 / 1609.344f)));
    EXPECT_EQ(ui.textOf("speedUnit"), "mph");

    // "[" records the start; the toast says so over the picture.
    ui.key(Qt::Key_BracketLeft);
    auto* toast = qobject_cast<QQuickItem*>(ui.named("rangeToast"));
    ASSERT_TRUE(toast);
    EXPECT_TRUE(preview.exportRangeStart());
    EXPECT_TRUE(toast->property("message").toString().startsWith("已设置开始点 "));
    EXPECT_TRUE(waitUntil([&] { return toast->isVisible() && toast->opacity() == 1; }));
    EXPECT_TRUE(ui.rectOf(video).contains(ui.rectOf(toast)));

    // The grid: four cameras, each in its cell, none black.
    ASSERT_TRUE(ui.click("cameraTab_all"));
    EXPECT_EQ(preview.cameraFilter(), "all");
    ASSERT_TRUE(waitUntil([&] { return ready(); }, test::screenWaitMs));
    for (CameraAngle camera : Camera::gridOrder) {
        SCOPED_TRACE(Camera::rawValue(camera).toStdString());
        auto* cell = qobject_cast<QQuickItem*>(ui.shown("gridCell_" + Camera::rawValue(camera)));
        ASSERT_TRUE(cell);
        EXPECT_TRUE(waitUntil(
            [&] {
                const auto pattern = test::framePattern(ui.picture(cell));
                return pattern && pattern->cameraIndex == sample::cameraIndex(camera);
            },
            test::screenWaitMs));
        EXPECT_GT(test::meanLuma(ui.picture(cell)), visibleLuma);
    }
    EXPECT_EQ(ui.unnamedButtons(), QStringList());
}

TEST_F(PreviewScreen, keysPlayPauseSkipRecordExportAndGoBack) {
    PreviewController* player = preview.activePreview();
    auto* pageItem = ui.shown("previewLoader")->property("item").value<QQuickItem*>();
    ASSERT_TRUE(ui.click("skipForwardButton")); // a click leaves the keys with the page
    EXPECT_TRUE(pageItem->hasActiveFocus());
    ui.key(Qt::Key_Space);
    EXPECT_TRUE(player->isPlaying());
    ui.key(Qt::Key_Space);
    EXPECT_FALSE(player->isPlaying());
    ui.key(Qt::Key_E, Qt::ControlModifier);
    EXPECT_TRUE(s.app.vm->exporter()->isProcessing());
    s.app.vm->exporter()->cancelExport();
    ASSERT_TRUE(waitUntil([&] { return !s.app.vm->exporter()->isProcessing(); }, test::exportWaitMs));

    ui.key(Qt::Key_Left);
    EXPECT_DOUBLE_EQ(player->currentTime(), 0);
    ui.key(Qt::Key_BracketRight);
    EXPECT_EQ(ui.named("rangeToast")->property("message").toString(), "已设置结束点 00:00");

    ui.key(Qt::Key_Escape);
    EXPECT_FALSE(preview.selectedEvent());
}

} // namespace
