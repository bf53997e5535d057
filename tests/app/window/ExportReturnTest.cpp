// After an export the user finds the file and gets back to where they were: the result page shows
// the file's whole path and copies it; "完成" returns to the screen the export started from, and
// the preview shows the frame it stood at, not black cells.

#include "AppUpdateController.h"
#include "MainWindowLoader.h"
#include "ScreenTestSupport.h"
#include "WindowDriver.h"

#include <QClipboard>
#include <QQmlApplicationEngine>

using namespace orvane;
using test::waitUntil;

namespace {

struct RealWindow {
    test::ScreenDrive drive;
    AppUpdateController updater{AppUpdateEnvironment{}};
    QQmlApplicationEngine engine;
    QQuickWindow* window = ui::loadMainWindow(engine, *drive.vm, updater);
    test::WindowDriver ui{window};
    test::Features f = test::features(*drive.vm);

    RealWindow() {
        window->resize(900, 700);
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
    }
    QQuickItem* item(const QString& name) const { return qobject_cast<QQuickItem*>(ui.shown(name)); }
    std::optional<sample::FramePattern> shownFrame(const QString& name) const {
        QQuickItem* video = item(name);
        if (!video)
            return std::nullopt;
        const QRect box =
            video->mapRectToScene(QRectF(0, 0, video->width(), video->height())).toAlignedRect();
        return test::framePattern(window->grabWindow().copy(box));
    }
    bool finishedExport() {
        f.exporter.startProcessing();
        return waitUntil([&] { return !f.exporter.isProcessing(); }, test::exportWaitMs) &&
               f.messages.errorMessage().isEmpty() && ui.waitShown("exportResult", test::screenWaitMs);
    }
};

} // namespace

TEST(ExportReturn, DoneGoesBackToThePreviewShowingItsFrame) {
    if (!test::hasScreen())
        GTEST_SKIP() << "needs an X server (xvfb-run)";
    RealWindow w;
    w.f.preview.selectEvent(w.drive.saved.back()); // one minute
    ASSERT_TRUE(waitUntil(
        [&] { return w.f.preview.activeDuration() > 0 && !w.f.preview.activePreview()->isLoading(); },
        test::screenWaitMs));
    constexpr int frame = 30;
    w.f.preview.videoPreview()->seek((frame + 0.5) / 36, false);
    ASSERT_TRUE(waitUntil(
        [&] {
            auto p = w.shownFrame("singleVideo");
            return p && p->frameIndex == frame;
        },
        test::screenWaitMs));

    ASSERT_TRUE(w.finishedExport());
    const QString path = w.f.exporter.exportResultPath().value_or("");
    EXPECT_EQ(w.ui.shown("resultPath")->property("text").toString(), path);
    ASSERT_TRUE(w.ui.click("copyPathButton"));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), path);

    ASSERT_TRUE(w.ui.click("doneButton"));
    ASSERT_TRUE(w.ui.waitShown("singleVideo", test::screenWaitMs));
    std::optional<sample::FramePattern> shown;
    EXPECT_TRUE(
        waitUntil([&] { return (shown = w.shownFrame("singleVideo")).has_value(); }, test::screenWaitMs))
        << "the preview came back black";
    EXPECT_EQ(shown ? shown->frameIndex : -1, frame);
}

TEST(ExportReturn, DoneGoesBackToTheMergeEditor) {
    if (!test::hasScreen())
        GTEST_SKIP() << "needs an X server (xvfb-run)";
    RealWindow w;
    w.f.merge.startMergeSelection();
    for (const TeslaClipEvent& event : w.drive.saved)
        w.f.merge.toggleMergeEvent(event.id.toString());
    w.f.merge.prepareMergeEditor();
    ASSERT_TRUE(waitUntil([&] { return w.f.merge.isMergeEditorPresented(); }, test::screenWaitMs));
    ASSERT_TRUE(w.finishedExport());
    ASSERT_TRUE(w.ui.click("doneButton"));
    EXPECT_TRUE(w.ui.waitShown("mergeVideo", test::screenWaitMs));
    EXPECT_TRUE(w.f.merge.isMergeEditorPresented());
}
