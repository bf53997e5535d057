// The merge editor's state on the event loop: picking saved events or minutes, building the
// items, editing them, and the texts when a camera is missing.

#include "VideoPreviewController.h"
#include "ViewModelHarness.h"

#include <gtest/gtest.h>

using namespace orvane;
using test::Harness;
using test::waitUntil;

namespace {

// Three saved events (A 08:00, B 09:00, C 10:00, one minute each) besides the example drive's.
void threeMoreSaved(sample::DriveSpec& drive) {
    const Instant day = LocalTime::fromFields(2024, 6, 2, 0, 0, 0).value_or(0);
    for (int hour : {8, 9, 10}) {
        sample::EventSpec e;
        e.startTime = day + hour * 3600;
        drive.events.push_back(e);
    }
}

const TeslaClipEvent& savedAt(const LibraryViewModel& library, int hour) {
    for (const TeslaClipEvent& e : library.eventsByCategory().at(ClipCategory::saved))
        if (LocalTime::format(e.startTime, "yyyy-MM-dd HH") ==
            QStringLiteral("2024-06-02 %1").arg(hour, 2, 10, QChar('0')))
            return e;
    throw std::runtime_error("no such event");
}

QStringList itemEvents(const MergeViewModel& merge) {
    QStringList hours;
    for (const VideoMergeItem& item : merge.mergeItems())
        hours << LocalTime::format(item.event.startTime, "HH");
    return hours;
}

} // namespace

TEST(MergeEditor, pickedEventsBecomeItemsInPickOrder) {
    Harness h(threeMoreSaved);
    auto [library, preview, merge, exporter, messages] = test::features(*h.vm);
    ASSERT_TRUE(h.imported());
    library.selectCategory(QStringLiteral("recent"));
    merge.startMergeSelection();
    EXPECT_EQ(library.selectedCategory(), ClipCategory::saved);
    EXPECT_TRUE(merge.isMergeSelectionMode());
    const TeslaClipEvent a = savedAt(library, 8), b = savedAt(library, 9), c = savedAt(library, 10);
    merge.toggleMergeEvent(h.event(ClipCategory::sentry).id.toString()); // not a saved event
    merge.toggleMergeEvent(a.id.toString());
    merge.prepareMergeEditor();
    EXPECT_EQ(messages.errorMessage(), "请至少选择两个需要拼接的视频");
    merge.toggleMergeEvent(c.id.toString());
    merge.toggleMergeEvent(b.id.toString());
    EXPECT_EQ(merge.mergeSelectedEventCount(), 3);

    merge.prepareMergeEditor();
    EXPECT_TRUE(merge.isPreparingMerge());
    ASSERT_TRUE(waitUntil([&] { return merge.isMergeEditorPresented(); }));
    EXPECT_FALSE(merge.isMergeSelectionMode());
    EXPECT_EQ(itemEvents(merge), QStringList({"08", "10", "09"}));
    EXPECT_EQ(merge.mergeItems()[0].rangeEnd, 60); // the scripted measuring gives 60 s a minute

    merge.moveMergeItemUp(b.id.toString());
    EXPECT_EQ(itemEvents(merge), QStringList({"08", "09", "10"}));
    merge.setMergeRangeEnd(30, a.id.toString());
    const MergeItemListModel& items = *merge.mergeItemsModel();
    EXPECT_NEAR(items.data(items.index(0), MergeItemListModel::KeptDurationRole).toDouble(), 30, 1e-9);

    // A camera two of the events lack: the editor stays as it was.
    merge.setMergeCameraAngle(QStringLiteral("left_pillar"));
    ASSERT_TRUE(waitUntil([&] { return !merge.isPreparingMerge(); }));
    EXPECT_EQ(messages.errorMessage(), "所选视频中至少有两个没有 左柱 画面，请更换机位后重试");
    EXPECT_EQ(itemEvents(merge), QStringList({"08", "09", "10"}));
    EXPECT_TRUE(merge.isMergeEditorPresented());

    // Back to the selection with the picks kept.
    merge.closeMergeEditor();
    EXPECT_TRUE(merge.isMergeSelectionMode());
    EXPECT_EQ(merge.mergeSelectedEventCount(), 3);
    library.selectCategory(QStringLiteral("sentry"));
    EXPECT_FALSE(merge.isMergeSelectionMode());
    EXPECT_TRUE(merge.mergeSelectedEventIDs().empty());
    EXPECT_EQ(merge.mergeItemsModel()->count(), 0);
}

TEST(MergeEditor, aCancelledPreparationOpensNothing) {
    Harness h(threeMoreSaved);
    auto [library, preview, merge, exporter, messages] = test::features(*h.vm);
    ASSERT_TRUE(h.imported());
    merge.startMergeSelection();
    const TeslaClipEvent a = savedAt(library, 8), b = savedAt(library, 9);
    merge.toggleMergeEvent(a.id.toString());
    merge.toggleMergeEvent(b.id.toString());
    h.gates->hold("load:" + b.folderName);
    merge.prepareMergeEditor();
    ASSERT_TRUE(waitUntil([&] { return h.gates->arrived("load:" + b.folderName); }));
    merge.cancelMergeSelection();
    EXPECT_FALSE(merge.isPreparingMerge());
    h.gates->release("load:" + b.folderName);
    test::drainFileWork();
    EXPECT_FALSE(merge.isMergeEditorPresented());
    EXPECT_EQ(merge.mergeItemsModel()->count(), 0);
}

TEST(MergeEditor, minutesOfOneEvent) {
    Harness h;
    auto [library, preview, merge, exporter, messages] = test::features(*h.vm);
    ASSERT_TRUE(h.imported());
    ASSERT_TRUE(h.opened_(h.event(ClipCategory::saved, 0))); // one minute
    merge.startSegmentMergeSelection();
    EXPECT_FALSE(merge.isSegmentMergeSelectionMode());

    // The event opens on the camera that saw it; the user's choice afterwards counts.
    ASSERT_TRUE(h.opened_(h.event(ClipCategory::saved, 1))); // two minutes
    preview.setCameraFilter(CameraAngle::back);
    merge.startSegmentMergeSelection();
    ASSERT_TRUE(merge.isSegmentMergeSelectionMode());
    EXPECT_EQ(merge.mergeCameraAngle(), "back");
    const QString latest = test::minuteData(preview, 0).toString(),
                  older = test::minuteData(preview, 1).toString();
    merge.toggleMergeSegment(older);
    merge.prepareMergeEditor();
    EXPECT_EQ(messages.errorMessage(), "请至少选择两个需要拼接的片段");
    merge.toggleMergeSegment(latest);
    EXPECT_EQ(test::minuteData(preview, 0, VideoGroupListModel::MergeOrderRole).toInt(), 2);
    merge.setMergeCameraAngle(QStringLiteral("left_pillar"));
    EXPECT_EQ(messages.errorMessage(), "所选片段中有视频缺少 左柱 画面");
    EXPECT_EQ(merge.mergeCameraAngle(), "back");

    merge.prepareMergeEditor();
    ASSERT_TRUE(waitUntil([&] { return merge.isMergeEditorPresented(); }));
    ASSERT_EQ(merge.mergeItems().size(), 2u);
    EXPECT_EQ(merge.mergeItems()[0].videos.front().fileName, older + "-back.mp4");
    EXPECT_NE(merge.mergeItems()[0].id, merge.mergeItems()[1].id);

    merge.setMergeCameraAngle(QStringLiteral("front"));
    ASSERT_TRUE(waitUntil([&] {
        return !merge.isPreparingMerge() && merge.mergeItems().size() == 2 &&
               merge.mergeItems()[0].videos.front().cameraAngle == CameraAngle::front;
    }));

    // Closing the preview ends the minute selection and its editor.
    preview.closeEventPreview();
    EXPECT_FALSE(merge.isSegmentMergeSelectionMode());
    EXPECT_FALSE(merge.isMergeEditorPresented());
    EXPECT_EQ(merge.mergeItemsModel()->count(), 0);
}
