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

const TeslaClipEvent& savedAt(const MainViewModel& vm, int hour) {
    for (const TeslaClipEvent& e : vm.eventsByCategory().at(ClipCategory::saved))
        if (LocalTime::format(e.startTime, "yyyy-MM-dd HH") ==
            QStringLiteral("2024-06-02 %1").arg(hour, 2, 10, QChar('0')))
            return e;
    throw std::runtime_error("no such event");
}

QStringList itemEvents(const MainViewModel& vm) {
    QStringList hours;
    for (const VideoMergeItem& item : vm.mergeItemList())
        hours << LocalTime::format(item.event.startTime, "HH");
    return hours;
}

} // namespace

TEST(MergeEditor, pickedEventsBecomeItemsInPickOrder) {
    Harness h(threeMoreSaved);
    MainViewModel& vm = *h.vm;
    ASSERT_TRUE(h.imported());
    vm.selectCategory(QStringLiteral("recent"));
    vm.startMergeSelection();
    EXPECT_EQ(vm.selectedCategory(), "saved");
    EXPECT_TRUE(vm.isMergeSelectionMode());
    const TeslaClipEvent a = savedAt(vm, 8), b = savedAt(vm, 9), c = savedAt(vm, 10);
    vm.toggleMergeEvent(h.event(ClipCategory::sentry).id.toString()); // not a saved event
    vm.toggleMergeEvent(a.id.toString());
    vm.prepareMergeEditor();
    EXPECT_EQ(vm.errorMessage(), "请至少选择两个需要拼接的视频");
    vm.toggleMergeEvent(c.id.toString());
    vm.toggleMergeEvent(b.id.toString());
    EXPECT_EQ(vm.mergeSelectedEventIDs().size(), 3);
    EXPECT_EQ(vm.eventsInSelectedCategory()
                  ->get(vm.eventsInSelectedCategory()->indexOf(b.id.toString()))
                  .value("mergeOrder"),
              3);

    vm.prepareMergeEditor();
    EXPECT_TRUE(vm.isPreparingMerge());
    ASSERT_TRUE(waitUntil([&] { return vm.isMergeEditorPresented(); }));
    EXPECT_FALSE(vm.isPreparingMerge());
    EXPECT_FALSE(vm.isMergeSelectionMode());
    EXPECT_EQ(itemEvents(vm), QStringList({"08", "10", "09"}));
    EXPECT_EQ(vm.mergeItems()->count(), 3);
    EXPECT_EQ(vm.mergeItemList()[0].rangeEnd, 60); // the scripted measuring gives 60 s a minute
    EXPECT_EQ(vm.mergeTotalDuration(), 180);

    vm.moveMergeItemUp(b.id.toString());
    EXPECT_EQ(itemEvents(vm), QStringList({"08", "09", "10"}));
    vm.setMergeRangeEnd(30, a.id.toString());
    vm.setMergeRangeStart(50, a.id.toString());
    EXPECT_NEAR(vm.mergeItemList()[0].rangeStart, 29.9, 1e-9);
    vm.setMergeRangeEnd(10, a.id.toString());
    EXPECT_NEAR(vm.mergeItemList()[0].rangeEnd, 30.0, 1e-9);
    EXPECT_NEAR(vm.mergeItems()->get(0).value("keptDuration").toDouble(), 0.1, 1e-9);

    test::TempFolder out;
    vm.setCustomOutputDirectoryPath(out.path());
    EXPECT_EQ(vm.exportingFileName(),
              LocalTime::format(a.startTime, "yyyy-MM-dd_HH-mm-ss") + "-merged-front.mp4");

    // A camera two of the events lack: the editor stays as it was.
    vm.setMergeCameraAngle(QStringLiteral("left_pillar"));
    ASSERT_TRUE(waitUntil([&] { return !vm.isPreparingMerge(); }));
    EXPECT_EQ(vm.errorMessage(), "所选视频中至少有两个没有 左柱 画面，请更换机位后重试");
    EXPECT_EQ(itemEvents(vm), QStringList({"08", "09", "10"}));
    EXPECT_TRUE(vm.isMergeEditorPresented());

    // Back to the selection with the picks kept.
    vm.closeMergeEditor();
    EXPECT_TRUE(vm.isMergeSelectionMode());
    EXPECT_EQ(vm.mergeSelectedEventIDs().size(), 3);
    vm.selectCategory(QStringLiteral("sentry"));
    EXPECT_FALSE(vm.isMergeSelectionMode());
    EXPECT_TRUE(vm.mergeSelectedEventIDs().isEmpty());
    EXPECT_EQ(vm.mergeItems()->count(), 0);
}

TEST(MergeEditor, aCancelledPreparationOpensNothing) {
    Harness h(threeMoreSaved);
    MainViewModel& vm = *h.vm;
    ASSERT_TRUE(h.imported());
    vm.startMergeSelection();
    const TeslaClipEvent a = savedAt(vm, 8), b = savedAt(vm, 9);
    vm.toggleMergeEvent(a.id.toString());
    vm.toggleMergeEvent(b.id.toString());
    h.gates->hold("load:" + b.folderName);
    vm.prepareMergeEditor();
    ASSERT_TRUE(waitUntil([&] { return h.gates->arrived("load:" + b.folderName); }));
    vm.cancelMergeSelection();
    EXPECT_FALSE(vm.isPreparingMerge());
    h.gates->release("load:" + b.folderName);
    test::settle();
    EXPECT_FALSE(vm.isMergeEditorPresented());
    EXPECT_EQ(vm.mergeItems()->count(), 0);
}

TEST(MergeEditor, minutesOfOneEvent) {
    Harness h;
    MainViewModel& vm = *h.vm;
    ASSERT_TRUE(h.imported());
    ASSERT_TRUE(h.opened_(h.event(ClipCategory::saved, 0))); // one minute
    vm.startSegmentMergeSelection();
    EXPECT_FALSE(vm.isSegmentMergeSelectionMode());

    vm.setCameraFilter(QStringLiteral("back"));
    ASSERT_TRUE(h.opened_(h.event(ClipCategory::saved, 1))); // two minutes
    vm.startSegmentMergeSelection();
    ASSERT_TRUE(vm.isSegmentMergeSelectionMode());
    EXPECT_EQ(vm.mergeCameraAngle(), "back");
    const QString latest =
        vm.videoGroups()->data(vm.videoGroups()->index(0), VideoGroupListModel::GroupKeyRole).toString();
    const QString older =
        vm.videoGroups()->data(vm.videoGroups()->index(1), VideoGroupListModel::GroupKeyRole).toString();
    vm.toggleMergeSegment(older);
    vm.prepareMergeEditor();
    EXPECT_EQ(vm.errorMessage(), "请至少选择两个需要拼接的片段");
    vm.toggleMergeSegment(latest);
    EXPECT_EQ(vm.videoGroups()->data(vm.videoGroups()->index(0), VideoGroupListModel::MergeOrderRole).toInt(),
              2);
    vm.setMergeCameraAngle(QStringLiteral("left_pillar"));
    EXPECT_EQ(vm.errorMessage(), "所选片段中有视频缺少 左柱 画面");
    EXPECT_EQ(vm.mergeCameraAngle(), "back");

    vm.prepareMergeEditor();
    ASSERT_TRUE(waitUntil([&] { return vm.isMergeEditorPresented(); }));
    ASSERT_EQ(vm.mergeItemList().size(), 2u);
    EXPECT_EQ(vm.mergeItemList()[0].videos.front().fileName, older + "-back.mp4");
    EXPECT_NE(vm.mergeItemList()[0].id, vm.mergeItemList()[1].id);
    EXPECT_TRUE(vm.isSegmentMergeSelectionMode());

    vm.setMergeCameraAngle(QStringLiteral("front"));
    ASSERT_TRUE(waitUntil([&] {
        return !vm.isPreparingMerge() && vm.mergeItemList().size() == 2 &&
               vm.mergeItemList()[0].videos.front().cameraAngle == CameraAngle::front;
    }));
    vm.loadMergePreview(vm.mergeItems()->get(1).value("itemID").toString(), 12, false);
    EXPECT_TRUE(vm.mergePreview()->loadedPlaylistSignature().has_value());
    EXPECT_EQ(vm.mergePreview()->currentTime(), 12);

    // Closing the preview ends the minute selection and its editor.
    vm.closeEventPreview();
    EXPECT_FALSE(vm.isSegmentMergeSelectionMode());
    EXPECT_FALSE(vm.isMergeEditorPresented());
    EXPECT_EQ(vm.mergeItems()->count(), 0);
}
