// After an export the user finds the file and gets back to where they were: the result page shows
// the file's whole path and copies it; "完成" returns to the screen the export started from, and
// the preview shows the frame it stood at, not black cells.

#include "WindowDriver.h"

#include <QClipboard>
#include <QGuiApplication>
#include <gtest/gtest.h>

using namespace orvane;
using test::waitUntil;

namespace {

struct RealWindow : test::ScreenFixture {
    test::WindowDriver& ui = *app.ui;
    PreviewViewModel& preview = *app.vm->preview();
    MergeViewModel& merge = *app.vm->merge();
    ExportViewModel& exporter = *app.vm->exporter();

    RealWindow() {
        app.window->resize(900, 700);
        EXPECT_TRUE(imported());
    }
    std::optional<sample::FramePattern> shownFrame(const QString& name) const {
        auto* video = qobject_cast<QQuickItem*>(ui.shown(name));
        return video ? test::framePattern(ui.picture(video)) : std::nullopt;
    }
    bool finishedExport() {
        exporter.startProcessing();
        return waitUntil([&] { return !exporter.isProcessing(); }, test::exportWaitMs) &&
               app.vm->messages()->errorMessage().isEmpty() &&
               ui.waitShown("exportResult", test::screenWaitMs);
    }
};

} // namespace

TEST(ExportReturn, DoneGoesBackToThePreviewShowingItsFrame) {
    if (!test::hasScreen())
        GTEST_SKIP() << "needs an X server (xvfb-run)";
    RealWindow w;
    w.preview.selectEvent(w.app.saved().back()); // one minute
    ASSERT_TRUE(
        waitUntil([&] { return w.preview.activeDuration() > 0 && !w.preview.activePreview()->isLoading(); },
                  test::screenWaitMs));
    constexpr int frame = 30;
    w.preview.videoPreview()->seek((frame + 0.5) / 36, false);
    ASSERT_TRUE(waitUntil(
        [&] {
            auto p = w.shownFrame("singleVideo");
            return p && p->frameIndex == frame;
        },
        test::screenWaitMs));

    ASSERT_TRUE(w.finishedExport());
    const QString path = w.exporter.exportResultPath().value_or("");
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
    w.merge.startMergeSelection();
    for (const TeslaClipEvent& event : w.app.saved())
        w.merge.toggleMergeEvent(event.id.toString());
    w.merge.prepareMergeEditor();
    ASSERT_TRUE(waitUntil([&] { return w.merge.isMergeEditorPresented(); }, test::screenWaitMs));
    ASSERT_TRUE(w.finishedExport());
    ASSERT_TRUE(w.ui.click("doneButton"));
    EXPECT_TRUE(w.ui.waitShown("mergeVideo", test::screenWaitMs));
    EXPECT_TRUE(w.merge.isMergeEditorPresented());
}
