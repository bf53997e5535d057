// The merge editor's page logic without a window: pages and their texts, what the preview loads
// and from where, the stop at a kept end, the review running through every kept part in output
// order, and the review time line. Scripted players; every "minute" measures 60 s.

#include "MergeEditorController.h"

#include "VideoPreviewController.h"
#include "ViewModelHarness.h"

#include <gtest/gtest.h>

using namespace orvane;
using test::FakePlayer;
using test::finishLoading;
using test::Harness;
using test::waitUntil;

namespace {

constexpr double minute = 60;

// A third saved event (one minute) besides the example drive's two (two minutes, one minute).
void oneMoreSaved(sample::DriveSpec& drive) {
    sample::EventSpec e;
    e.startTime = LocalTime::fromFields(2024, 6, 2, 9, 0, 0).value_or(0);
    drive.events.push_back(e);
}

struct Editor {
    Harness h{oneMoreSaved};
    MergeEditorController editor;

    // The editor open over the three saved events picked oldest first: the two-minute event of
    // 1 May, the one-minute event of 2 May, the one-minute event of 2 June.
    Editor() {
        EXPECT_TRUE(h.imported());
        merge().startMergeSelection();
        std::vector<TeslaClipEvent> saved = h.vm->library()->eventsByCategory().at(ClipCategory::saved);
        std::sort(saved.begin(), saved.end(),
                  [](const auto& a, const auto& b) { return a.startTime < b.startTime; });
        for (const TeslaClipEvent& event : saved)
            merge().toggleMergeEvent(event.id.toString());
        merge().prepareMergeEditor();
        EXPECT_TRUE(waitUntil([&] { return merge().isMergeEditorPresented(); }));
        editor.setMerge(h.vm->merge());
        settle();
    }
    MergeViewModel& merge() { return *h.vm->merge(); }
    VideoPreviewController& preview() { return *merge().mergePreview(); }
    FakePlayer& player() { return *static_cast<FakePlayer*>(preview().player()); }
    const VideoMergeItem& item(int row) { return merge().mergeItems()[size_t(row)]; }
    QString id(int row) { return item(row).id.toString(); }
    // Measures and opens what the preview asked for, and lands its seeks.
    void settle() {
        finishLoading(h.preview, minute);
        while (std::any_of(player().seeks.begin(), player().seeks.end(),
                           [](const auto& s) { return bool(s.completion); }))
            player().completeSeek();
    }
    // The player reports `t` seconds into its current file while playing.
    void playTo(double t) {
        if (!preview().isPlaying())
            preview().togglePlayPause();
        player().tick(t);
    }
    // Item 1 (two minutes) keeps 100…120, item 2 keeps 5…15, item 3 is kept whole.
    void keepParts() {
        merge().setMergeRangeStart(100, id(0));
        merge().setMergeRangeStart(5, id(1));
        merge().setMergeRangeEnd(15, id(1));
    }
    // The review page, after a range page per item.
    void toReview() {
        for (size_t i = 0; i < merge().mergeItems().size(); ++i)
            editor.performAction();
        settle();
    }
    QStringList opened() const {
        QStringList names;
        for (const QString& path : *h.preview.opened)
            if (!path.isEmpty()) // a player let go of its file
                names << QFileInfo(path).fileName();
        return names;
    }
};

} // namespace

TEST(MergeEditorController, walksTheRangePagesThenTheReviewAndBackToThePicks) {
    Editor e;
    for (const char* title : {"选择第 1 段时段", "选择第 2 段时段", "选择第 3 段时段"}) {
        EXPECT_EQ(e.editor.title(), title);
        EXPECT_FALSE(e.editor.isReviewPage());
        e.editor.performAction();
    }
    EXPECT_TRUE(e.editor.isReviewPage());
    EXPECT_EQ(e.editor.footerText(), "3 段 · 成品约 04:00");
    EXPECT_EQ(e.editor.previewRow(), 0); // the review starts with the first item

    e.editor.goBack();
    EXPECT_EQ(e.editor.title(), "选择第 3 段时段");
    e.editor.goBack();
    e.editor.goBack();
    EXPECT_TRUE(e.merge().isMergeEditorPresented());
    e.editor.goBack();
    EXPECT_FALSE(e.merge().isMergeEditorPresented());
    EXPECT_TRUE(e.merge().isMergeSelectionMode()); // back to the picks
}

TEST(MergeEditorController, aRangePageStopsAtTheKeptEndAndPlaysAgainFromTheStart) {
    Editor e;
    e.player().tick(10);
    e.editor.setRangeStartHere();
    e.player().tick(30);
    e.editor.setRangeEndHere();
    EXPECT_EQ(e.item(0).rangeStart, 10);
    EXPECT_EQ(e.item(0).rangeEnd, 30);
    EXPECT_EQ(e.editor.keptText(), "保留 00:20");
    EXPECT_EQ(e.editor.footerText(), "3 段 · 成品约 02:20");
    const size_t opened = e.opened().size();

    e.player().seeks.clear();
    e.playTo(29.97); // inside the kept part
    EXPECT_TRUE(e.preview().isPlaying());
    e.player().tick(30.02); // past it: stopped and put back exactly on the end
    EXPECT_FALSE(e.preview().isPlaying());
    ASSERT_FALSE(e.player().seeks.empty());
    EXPECT_EQ(e.player().seeks.back().time, 30);
    EXPECT_EQ(e.player().seeks.back().before, 0);
    e.settle();
    EXPECT_EQ(e.preview().currentTime(), 30);

    e.editor.togglePreviewPlayback(); // at the end: again from the kept start, playing
    EXPECT_EQ(e.player().seeks.back().time, 10);
    e.settle();
    EXPECT_TRUE(e.preview().isPlaying());
    EXPECT_EQ(e.opened().size(), opened); // a range edit reloads nothing
}

TEST(MergeEditorController, theReviewPlaysEveryKeptPartInOrderAndStartsAgainAtTheEnd) {
    Editor e;
    e.keepParts();
    e.toReview();
    ASSERT_TRUE(e.editor.isReviewPage());
    EXPECT_EQ(e.editor.totalSelectedDuration(), 20 + 10 + 60);
    EXPECT_EQ(e.preview().currentTime(), 100);
    EXPECT_EQ(e.editor.reviewCurrentTime(), 0);

    e.editor.togglePreviewPlayback();
    e.player().tick(30);                        // 90 s on the item's time line: 10 s into its second file
    EXPECT_EQ(e.editor.reviewCurrentTime(), 0); // still before the kept part
    e.player().tick(55);
    EXPECT_EQ(e.editor.reviewCurrentTime(), 15);
    e.player().end(); // kept to its very end: running out hands over too
    EXPECT_EQ(e.editor.reviewItemIndex(), 1);
    e.settle();
    EXPECT_EQ(e.preview().currentTime(), 5);
    EXPECT_TRUE(e.preview().isPlaying()); // the next kept part starts at once
    EXPECT_EQ(e.editor.reviewCurrentTime(), 20);

    e.player().tick(15.01);
    EXPECT_EQ(e.editor.reviewItemIndex(), 2);
    e.settle();
    EXPECT_TRUE(e.preview().isPlaying());
    e.player().tick(59.99);
    e.player().end();
    EXPECT_FALSE(e.preview().isPlaying()); // the last part stops at its end
    e.settle();
    EXPECT_EQ(e.editor.reviewCurrentTime(), 90);

    e.editor.togglePreviewPlayback(); // the whole review was played: from the first part again
    EXPECT_EQ(e.editor.reviewItemIndex(), 0);
    e.settle();
    EXPECT_EQ(e.preview().currentTime(), 100);
    EXPECT_TRUE(e.preview().isPlaying());
}

TEST(MergeEditorController, theReviewSliderFindsTheItemAndItsLocalTime) {
    Editor e;
    e.merge().setMergeRangeStart(100, e.id(0)); // 20 s kept
    e.merge().setMergeRangeStart(5, e.id(1));   // 55 s kept
    e.toReview();

    // Inside a part, on the boundary between parts (the later part), and at the very end.
    const std::tuple<double, int, double> cases[] = {
        {12.5, 0, 112.5}, {20, 1, 5}, {21.25, 1, 6.25}, {75, 2, 0}, {135, 2, 60}, {500, 2, 60}, {-3, 0, 100}};
    for (const auto& [time, item, local] : cases) {
        SCOPED_TRACE(time);
        e.editor.seekReview(time);
        EXPECT_EQ(e.editor.reviewItemIndex(), item);
        EXPECT_DOUBLE_EQ(e.preview().currentTime(), local);
        e.settle();
        EXPECT_FALSE(e.preview().isPlaying());
    }
}

// ← / → (the editor's keys; "." and "[" the screen test drives).
TEST(MergeEditorController, keysSkipFiveSecondsInsideTheItemOrAlongTheSplice) {
    Editor e;
    e.player().tick(3);
    e.editor.skipBack(); // clamped to the item's start
    EXPECT_DOUBLE_EQ(e.preview().currentTime(), 0);
    e.settle();

    e.keepParts();
    e.toReview();
    e.editor.seekReview(17);
    e.settle();
    e.editor.togglePreviewPlayback();
    e.editor.skipForward(); // 22 on the splice: item 2, 2 s into its kept part, still playing
    EXPECT_EQ(e.editor.reviewItemIndex(), 1);
    e.settle();
    EXPECT_DOUBLE_EQ(e.preview().currentTime(), 7);
    EXPECT_TRUE(e.preview().isPlaying());
    e.editor.setRangeEndHere(); // the review edits no range
    EXPECT_EQ(e.item(1).rangeEnd, 15);
    e.editor.skipBack(); // back into item 1's kept part
    EXPECT_EQ(e.editor.reviewItemIndex(), 0);
    e.settle();
    EXPECT_DOUBLE_EQ(e.preview().currentTime(), 117);
}
