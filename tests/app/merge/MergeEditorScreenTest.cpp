// The merge editor as a user meets it in the program's window over a real sample drive: two
// saved events picked on their cards, a range page each, the review playing the splice,
// "开始拼接" reaching the spliced file's result page, and "完成" returning to the editor.

#include "VideoPreviewController.h"
#include "WindowDriver.h"

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
    ASSERT_TRUE(ui.click("startMergeButton"));
    EXPECT_FALSE(ui.shown("mergeNextButton")->property("enabled").toBool());
    // The older event (two minutes) first; the marks are the pick order.
    ASSERT_TRUE(ui.click(s.app.card(1)));
    ASSERT_TRUE(ui.click(s.app.card(0)));
    EXPECT_EQ(ui.textOf("mergeNextButton"), "下一步（2）");
    const auto orderOf = [&](int row) {
        return s.app.card(row)->findChild<QObject*>("selectionMark")->property("order").toInt();
    };
    EXPECT_EQ(orderOf(1), 1);
    EXPECT_EQ(orderOf(0), 2);
    ASSERT_TRUE(ui.click("mergeNextButton"));
    ASSERT_TRUE(
        waitUntil([&] { return ui.pageController("mergeEditorLoader") && !ui.shown("eventSections"); },
                  test::screenWaitMs));
    QObject* editor = ui.pageController("mergeEditorLoader");
    const VideoPreviewController& preview = *merge.mergePreview();
    QObject* action = ui.shown("mergeActionButton");
    const auto showsPicture = [&] {
        return !preview.isLoading() && preview.duration() > 0 && ui.frameIn("mergeVideo");
    };

    EXPECT_EQ(ui.textOf("mergeTitle"), "选择第 1 段时段");
    ASSERT_TRUE(waitUntil(showsPicture, test::screenWaitMs));
    // "." one frame on, "[" keeps the item from there.
    ui.key(Qt::Key_Period);
    ASSERT_TRUE(
        waitUntil([&] { return preview.currentTime() > 0 && !preview.isLoading(); }, test::screenWaitMs));
    ui.key(Qt::Key_BracketLeft);
    EXPECT_DOUBLE_EQ(merge.mergeItems()[0].rangeStart, preview.currentTime());
    ASSERT_TRUE(ui.click(action));
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
    ASSERT_TRUE(ui.waitShown("exportResult", test::exportWaitMs));
    ASSERT_TRUE(ui.click("doneButton"));
    EXPECT_TRUE(ui.waitShown("mergeVideo", test::screenWaitMs));
    EXPECT_TRUE(merge.isMergeEditorPresented());
    merge.closeMergeEditor();
    EXPECT_TRUE(ui.waitShown("eventSections", 2000));
}
