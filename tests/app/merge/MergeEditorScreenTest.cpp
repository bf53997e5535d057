// The merge editor as a user meets it in the program's window over a real sample drive: two
// saved events, a range page each, the review playing the splice, and "开始拼接" producing the
// spliced file.

#include "VideoPreviewController.h"
#include "WindowDriver.h"

#include <QFileInfo>
#include <gtest/gtest.h>

using namespace orvane;
using test::waitUntil;

TEST(MergeEditorScreen, twoSavedEventsAreReviewedAndSpliced) {
    if (!test::hasScreen())
        GTEST_SKIP() << "needs an X server (xvfb-run)";
    test::ScreenFixture s;
    ASSERT_TRUE(s.app.window);
    ASSERT_TRUE(s.imported());
    MergeViewModel& merge = *s.app.vm->merge();
    const test::WindowDriver& ui = *s.app.ui;
    merge.startMergeSelection();
    for (const TeslaClipEvent& event : s.app.saved()) // two minutes, then one
        merge.toggleMergeEvent(event.id.toString());
    merge.prepareMergeEditor();
    ASSERT_TRUE(
        waitUntil([&] { return ui.pageController("mergeEditorLoader") != nullptr; }, test::screenWaitMs));
    QObject* editor = ui.pageController("mergeEditorLoader");
    const VideoPreviewController& preview = *merge.mergePreview();
    auto* video = qobject_cast<QQuickItem*>(ui.shown("mergeVideo"));
    QObject* action = ui.shown("mergeActionButton");
    const auto showsPicture = [&] {
        return !preview.isLoading() && preview.duration() > 0 && test::framePattern(ui.picture(video));
    };

    EXPECT_EQ(ui.textOf("mergeTitle"), "选择第 1 段时段");
    ASSERT_TRUE(waitUntil(showsPicture, test::screenWaitMs));
    EXPECT_EQ(preview.duration(), merge.mergeItems()[0].totalDuration()); // both of its minutes
    // "." one frame on, "[" keeps the item from there.
    ui.key(Qt::Key_Period);
    ASSERT_TRUE(
        waitUntil([&] { return preview.currentTime() > 0 && !preview.isLoading(); }, test::screenWaitMs));
    ui.key(Qt::Key_BracketLeft);
    EXPECT_DOUBLE_EQ(merge.mergeItems()[0].rangeStart, preview.currentTime());
    ASSERT_TRUE(ui.click(action));
    EXPECT_EQ(ui.textOf("mergeTitle"), "选择第 2 段时段");
    ASSERT_TRUE(waitUntil(showsPicture, test::screenWaitMs));
    ASSERT_TRUE(ui.click(action));
    EXPECT_EQ(ui.textOf("mergeTitle"), "拼接画面预览");
    EXPECT_EQ(ui.unnamedButtons(), QStringList());
    EXPECT_EQ(ui.textOf("mergeFooterText"), "2 段 · 成品约 00:05");
    ASSERT_TRUE(waitUntil(showsPicture, test::screenWaitMs));

    // The review plays on from the first event into the second.
    ASSERT_TRUE(ui.click("mergePlayButton"));
    EXPECT_TRUE(
        waitUntil([&] { return editor->property("reviewItemIndex").toInt() == 1 && preview.isPlaying(); },
                  test::screenWaitMs));

    EXPECT_EQ(action->property("text").toString(), "开始拼接");
    ASSERT_TRUE(ui.click(action));
    EXPECT_TRUE(s.app.vm->exporter()->isProcessing());
    EXPECT_FALSE(preview.isPlaying());
    ASSERT_TRUE(waitUntil([&] { return !s.app.vm->exporter()->isProcessing(); }, test::exportWaitMs));
    EXPECT_EQ(s.app.vm->messages()->errorMessage(), "");
    EXPECT_GT(QFileInfo(s.app.vm->exporter()->exportResultPath().value_or("")).size(), 0);
}
