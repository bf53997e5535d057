// The merge editor as a user meets it over a real sample drive: two saved events, a range
// page each, the review playing the splice, and "开始拼接" producing the spliced file.

#include "ScreenTestSupport.h"
#include "VideoPreviewController.h"

#include <QFileInfo>

using namespace orvane;
using test::ScreenDrive;
using test::ScreenWindow;
using test::waitUntil;

namespace {

const QString editorQml =
    QStringLiteral("VideoMergeEditorView { objectName: \"editor\"; anchors.fill: parent; viewModel: vm }");

} // namespace

TEST(MergeEditorScreen, twoSavedEventsAreReviewedAndSpliced) {
    if (!test::hasScreen())
        GTEST_SKIP() << "needs an X server (xvfb-run)";
    ScreenDrive drive;
    auto [library, unused, merge, exporter, messages] = test::features(*drive.vm);
    merge.startMergeSelection(); // the browser's "拼接"
    for (const TeslaClipEvent& event : drive.saved)
        merge.toggleMergeEvent(event.id.toString());
    merge.prepareMergeEditor();
    ASSERT_TRUE(waitUntil([&] { return merge.isMergeEditorPresented(); }, test::screenWaitMs));

    ScreenWindow screen(*drive.vm, editorQml);
    ASSERT_TRUE(screen.window());
    QObject* editor = screen.object("editor")->property("controller").value<QObject*>();
    const VideoPreviewController& preview = *merge.mergePreview();
    QQuickItem* video = screen.item("mergeVideo");
    QQuickItem* action = screen.item("mergeActionButton");
    const auto title = [&] { return screen.item("mergeTitle")->property("text").toString(); };
    const auto showsPicture = [&] {
        return !preview.isLoading() && preview.duration() > 0 && test::framePattern(screen.picture(video));
    };

    EXPECT_EQ(title(), "选择第 1 段时段");
    ASSERT_TRUE(waitUntil(showsPicture, test::screenWaitMs));
    EXPECT_EQ(preview.duration(), merge.mergeItems()[0].totalDuration()); // both of its minutes
    EXPECT_EQ(action->property("text").toString(), "下一段");
    // "." one frame on, "[" keeps the item from there.
    screen.key(Qt::Key_Period);
    ASSERT_TRUE(
        waitUntil([&] { return preview.currentTime() > 0 && !preview.isLoading(); }, test::screenWaitMs));
    screen.key(Qt::Key_BracketLeft);
    EXPECT_DOUBLE_EQ(merge.mergeItems()[0].rangeStart, preview.currentTime());
    screen.click(action);
    EXPECT_EQ(title(), "选择第 2 段时段");
    EXPECT_EQ(action->property("text").toString(), "查看拼接预览");
    ASSERT_TRUE(waitUntil(showsPicture, test::screenWaitMs));
    screen.click(action);
    EXPECT_EQ(title(), "拼接画面预览");
    EXPECT_EQ(screen.unnamedButtons(), QStringList());
    EXPECT_EQ(screen.item("mergeFooterText")->property("text").toString(), "2 段 · 成品约 00:05");
    ASSERT_TRUE(waitUntil(showsPicture, test::screenWaitMs));

    // The review plays on from the first event into the second.
    screen.click(screen.item("mergePlayButton"));
    EXPECT_TRUE(
        waitUntil([&] { return editor->property("reviewItemIndex").toInt() == 1 && preview.isPlaying(); },
                  test::screenWaitMs));

    EXPECT_EQ(action->property("text").toString(), "开始拼接");
    screen.click(action);
    EXPECT_TRUE(exporter.isProcessing());
    EXPECT_FALSE(preview.isPlaying());
    ASSERT_TRUE(waitUntil([&] { return !exporter.isProcessing(); }, test::exportWaitMs));
    EXPECT_EQ(messages.errorMessage(), "");
    ASSERT_TRUE(exporter.hasExportResult());
    EXPECT_GT(QFileInfo(exporter.exportResultPath().value_or("")).size(), 0);
}
