// The event preview page's logic without a window, over scripted players: the range buttons, the
// transport on whichever player the camera filter shows and the minute list. Over the drives of
// today's cars and real damage: the six-camera grid, the camera that saw the event chosen first,
// the event's moment and the export around it, and encrypted or power-cut minutes said plainly.

#include "PreviewPageController.h"

#include "MetadataParser.h"
#include "MultiCameraPreviewController.h"
#include "TelemetryTimeline.h"
#include "VideoPreviewController.h"
#include "ViewModelHarness.h"

#include <QSignalSpy>
#include <atomic>
#include <cmath>
#include <gtest/gtest.h>

using namespace orvane;
using test::FakePlayer;
using test::finishLoading;

namespace {

constexpr double frame = 1.0 / 36;

// A page over a view model of the sample drive (content-free unless `changeDrive` changes it).
struct Page {
    test::Harness h;
    PreviewPageController page;
    explicit Page(const std::function<void(sample::DriveSpec&)>& changeDrive = {}) : h(changeDrive) {
        EXPECT_TRUE(h.imported());
        page.setPreview(h.vm->preview());
    }
    LibraryViewModel& library() { return *h.vm->library(); }
    PreviewViewModel& preview() { return *h.vm->preview(); }
    MergeViewModel& merge() { return *h.vm->merge(); }
    static constexpr double latestMinuteStart = 60;
    FakePlayer& single() { return *static_cast<FakePlayer*>(preview().videoPreview()->player()); }
    // Opens the two-minute saved event, one time line whose latest minute starts at
    // `latestMinuteStart`, and lets that minute land at `t`.
    void openTwoMinuteEvent(double t) {
        EXPECT_TRUE(h.opened_(h.event(ClipCategory::saved, 1))); // the later one lasts a minute
        finishLoading(h.preview, 60);
        single().completeSeek();
        single().tick(t);
    }
    // The camera tab "all": waits until the grid's files were read and lets them load.
    bool showGrid() {
        h.preview.measures.clear();
        page.selectCamera("all");
        if (!test::waitUntil([&] { return !h.preview.measures.empty(); }))
            return false;
        finishLoading(h.preview, 60);
        return true;
    }
    // "<camera><note>" per grid cell, the note saying why its file cannot play.
    QStringList cells() const {
        QStringList out;
        const GridCellModel& model = *page.gridCells();
        for (int i = 0; i < model.usedCount(); ++i)
            out << model.cells()[size_t(i)].camera + model.cells()[size_t(i)].note;
        return out;
    }
};

} // namespace

// The range itself and its texts are the view model's (MainViewModelTest); the page shows them
// and titles its buttons with the times recorded, telling its range section each time.
TEST(PreviewPageController, rangeButtonsShowTheRecordedTimes) {
    Page p;
    PreviewRangeSection& range = *p.page.range();
    range.setSchedule([](int, std::function<void()>) -> PreviewEnvironment::Cancel { return [] {}; });
    QSignalSpy changed(&range, &PreviewRangeSection::changed);
    range.recordStart(); // nothing playing yet
    EXPECT_EQ(range.feedback(), "视频尚未准备好，请稍后再试");
    EXPECT_TRUE(range.feedbackIsError());
    EXPECT_FALSE(range.hasStart());
    EXPECT_EQ(changed.count(), 0);
    p.openTwoMinuteEvent(12.4);
    range.recordStart();
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(range.startTitle(), "01:12"); // on the whole event's time line
    EXPECT_EQ(range.endTitle(), "结束");
    p.single().tick(40);
    range.recordEnd();
    EXPECT_EQ(range.endTitle(), "01:40");
    EXPECT_TRUE(range.hasEnd());
    EXPECT_EQ(changed.count(), 2);
    // The page outlives the event it showed: closing the preview takes the event's toast away.
    ASSERT_FALSE(range.feedback().isEmpty());
    p.preview().closeEventPreview();
    EXPECT_TRUE(range.feedback().isEmpty());
}

TEST(PreviewPageController, theTransportDrivesThePlayerTheCameraFilterShows) {
    Page p;
    p.openTwoMinuteEvent(20);
    EXPECT_DOUBLE_EQ(p.page.timeline()->currentTime(), Page::latestMinuteStart + 20);
    p.single().seeks.clear();
    p.page.skipForward();
    p.page.skipBack();
    p.page.skipBack();
    ASSERT_EQ(p.single().seeks.size(), 3);
    EXPECT_EQ(p.single().seeks[0].time, 25);
    EXPECT_EQ(p.single().seeks[2].time, 15);
    p.single().completeSeek();
    p.page.togglePlayPause();
    EXPECT_TRUE(p.preview().videoPreview()->isPlaying());
    p.page.stepFrame(1); // pauses, then one frame on
    EXPECT_FALSE(p.preview().videoPreview()->isPlaying());
    EXPECT_NEAR(p.single().seeks.back().time, std::floor(15 / frame + 1e-4) * frame + 1.5 * frame, 1e-9);
    p.page.setPlaybackRate(4);
    EXPECT_EQ(p.page.rateTitle(), "4×");

    p.page.selectCamera(QStringLiteral("all"));
    EXPECT_TRUE(p.page.isGrid());
    EXPECT_TRUE(p.page.isVideoLoading());
    ASSERT_TRUE(test::waitUntil([&] { return !p.h.preview.measures.empty(); })); // the files were read
    finishLoading(p.h.preview, 60);
    EXPECT_FALSE(p.page.isVideoLoading());
    EXPECT_EQ(p.page.rateTitle(), "4×"); // the grid took the rate over
    ASSERT_EQ(p.page.gridCells()->usedCount(), 4);
    // A car of four cameras: the grid and those four, no pillar tab with nothing behind it.
    QStringList tabs;
    for (const Choice& tab : p.page.cameraOptions()->choices())
        tabs << tab.value.toString();
    EXPECT_EQ(tabs, QStringList({"all", "front", "back", "left_repeater", "right_repeater"}));
    for (int i = 0; i < 4; ++i)
        EXPECT_TRUE(p.page.gridCells()->cells()[size_t(i)].hasVideo)
            << p.page.gridCells()->cells()[size_t(i)].camera.toStdString();

    const MultiCameraPreviewController& grid = *p.preview().multiCameraPreview();
    for (const CameraSlot& slot : grid.cameraSlots())
        static_cast<FakePlayer*>(slot.player.get())->seeks.clear();
    p.page.skipForward();
    for (const CameraSlot& slot : grid.cameraSlots()) {
        const auto& seeks = static_cast<FakePlayer*>(slot.player.get())->seeks;
        ASSERT_EQ(seeks.size(), 1);
        EXPECT_NEAR(seeks[0].time, grid.currentTime() - Page::latestMinuteStart,
                    1e-9); // in the minute's file
    }
}

// The drive strip reads an event once, in the background: another camera of the same minutes
// keeps what was read; footage without a record gets its one line instead of a strip.
TEST(PreviewPageController, theDriveIsReadOncePerEventAndSaysWhyItIsMissing) {
    Page p;
    std::atomic<int> reads = 0;
    std::atomic<bool> recorded = false;
    p.page.drive()->setReader([&](const std::vector<TeslaVideoFile>&, const CancellationToken&) {
        ++reads;
        DriveMinute minute{0, 1, 0, {}, {}};
        if (recorded)
            for (int i = 0; i < 36; ++i) {
                TeslaTelemetrySample s;
                s.linearAccelerationX = i > 10 && i < 20 ? -5.0 : 0.0; // one hard stop
                minute.samples.push_back(s);
            }
        return DriveProfile::build({minute});
    });
    DriveSection& drive = *p.page.drive();
    EXPECT_TRUE(p.h.opened_(p.h.event(ClipCategory::saved, 0)));
    ASSERT_TRUE(test::waitUntil([&] { return !drive.isLoading(); }));
    EXPECT_FALSE(drive.hasRecord());
    EXPECT_FALSE(drive.note().isEmpty());

    recorded = true;
    p.openTwoMinuteEvent(20);
    ASSERT_TRUE(test::waitUntil([&] { return !drive.isLoading(); }));
    EXPECT_TRUE(drive.hasRecord());
    EXPECT_FALSE(drive.hasRoute()); // no position in these records
    EXPECT_EQ(drive.hardBrakeCount(), 1);
    ASSERT_TRUE(p.showGrid());
    test::drainFileWork();
    EXPECT_EQ(reads, 2);
    EXPECT_EQ(drive.hardBrakeCount(), 1);
}

TEST(PreviewPageController, minutesPlayOrArePickedForASplice) {
    Page p;
    PreviewSegmentList& list = *p.page.segments();
    QSignalSpy changed(&list, &PreviewSegmentList::changed);
    EXPECT_FALSE(list.isShown());
    p.openTwoMinuteEvent(0);
    EXPECT_TRUE(list.isShown());
    EXPECT_EQ(changed.count(), 1);
    const auto groups = VideoTimestampGroup::groups(p.preview().videos());
    ASSERT_EQ(groups.size(), 2);

    list.activate(groups[1].id);
    EXPECT_EQ(p.preview().selectedTimestampKey(), groups[1].id);

    list.toggleSelection();
    EXPECT_TRUE(list.isSelecting());
    list.activate(groups[0].id);
    EXPECT_FALSE(list.canMerge());
    list.continueMerge(); // one is not enough: nothing happens
    EXPECT_FALSE(p.merge().isPreparingMerge());
    list.activate(groups[1].id);
    EXPECT_EQ(list.countText(), "已选 2 段");
    EXPECT_EQ(p.preview().selectedTimestampKey(), groups[1].id); // picking does not play
    ASSERT_TRUE(list.canMerge());
    list.continueMerge();
    EXPECT_TRUE(test::waitUntil([&] { return p.merge().isMergeEditorPresented(); }));

    list.toggleSelection();
    EXPECT_FALSE(list.isSelecting());
    p.merge().closeMergeEditor();
    list.toggleSelection();
    p.page.escape(); // Esc ends the choosing first
    EXPECT_FALSE(list.isSelecting());
    EXPECT_TRUE(p.preview().selectedEvent().has_value());
    p.page.escape();
    EXPECT_FALSE(p.preview().selectedEvent().has_value());
}

TEST(RealDrivePreviewTest, ASixCameraEventOpensOnItsCameraAndExportsAroundItsMoment) {
    test::ScopedTimeZone zone("Asia/Shanghai");
    Page p([](sample::DriveSpec& d) {
        d.layout = sample::CarLayout::sixCamera;
        for (auto& e : d.events)
            e.triggerCamera = QStringLiteral("2");
    });
    PreviewPageController& page = p.page;
    // Saved at 10:21:12, 42 s into its second minute (10:20:30), by the left repeater.
    ASSERT_TRUE(p.h.opened_(p.h.event(ClipCategory::saved, 1)));
    EXPECT_EQ(p.preview().cameraFilter(), "left_repeater");
    EXPECT_EQ(page.detailSubtitle(), "鸣笛保存 · 31.23040°N, 121.47370°E · Shanghai · Century Avenue");
    EXPECT_EQ(page.cameraOptions()->choices().front().title, "六宫格");

    ASSERT_TRUE(p.showGrid());
    EXPECT_EQ(page.gridColumns(), 3); // the cells' order is the grid controller's test
    EXPECT_EQ(page.eventMomentTitle(), "事件时刻 10:21:12");
    // On the event's time line: after the first minute's 60 s, 42 s into the second.
    EXPECT_EQ(page.eventMarkerTime(), 102);

    const auto minutes = VideoTimestampGroup::groups(p.preview().videos()); // latest first
    page.segments()->activate(minutes.back().id);
    finishLoading(p.h.preview, 60);
    EXPECT_EQ(p.preview().selectedTimestampKey(), minutes.back().id);
    EXPECT_EQ(page.eventMarkerTime(), 102) << "the marker stays where the moment is";
    page.jumpToEventMoment();
    finishLoading(p.h.preview, 60);
    EXPECT_EQ(p.preview().selectedTimestampKey(), minutes.front().id);
    EXPECT_EQ(p.preview().multiCameraPreview()->currentTime(), 102);

    // 50 s before (into the first minute) to 10 s after.
    ExportViewModel& exporter = *p.h.vm->exporter();
    p.preview().setAroundEventBefore(50);
    page.exportAroundEvent();
    ASSERT_TRUE(test::waitUntil([&] { return *p.h.exportCalls == 1 && !exporter.isProcessing(); }));
    const QString status = p.h.vm->messages()->statusMessage();
    EXPECT_TRUE(status.endsWith("SavedClips_2024-05-01_10-20-22_2024-05-01_10-21-22_grid_watermarked.mp4"))
        << status.toStdString();
}

// A power cut leaves stubs (595 bytes, or none), and a car that started encrypting mid-event
// leaves encrypted minutes beside plain ones: such a minute is marked in the list and says why
// in the picture and in every grid cell (never a generic failure), while the event's other
// minute plays plainly.
TEST(RealDrivePreviewTest, StubAndEncryptedMinutesSayWhyAndTheRestPlays) {
    const struct {
        sample::Damage front, others;
        QString note, notice;
    } cases[] = {
        {sample::Damage::powerCutStub, sample::Damage::zeroBytes, "文件已损坏",
         media::ClipSource::stubMessage()},
        {sample::Damage::encrypted, sample::Damage::encrypted, "已加密",
         media::ClipSource::encryptedMessage()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.note.toStdString());
        test::ScopedTimeZone zone("Asia/Shanghai");
        Page p([](sample::DriveSpec& d) { d.contentFree = false; });
        const TeslaClipEvent& event = p.h.event(ClipCategory::saved, 1); // 10:19:30 and 10:20:30
        for (const TeslaVideoFile& v : MetadataParser::loadVideos(event, CameraAngle::all))
            if (v.fileName.startsWith("2024-05-01_10-19-30"))
                sample::writeClip(
                    {.path = v.url, .damage = v.cameraAngle == CameraAngle::front ? c.front : c.others});
        ASSERT_TRUE(p.h.opened_(event));
        finishLoading(p.h.preview, 60);
        const auto note = [&](const char* key) {
            const int row = p.preview().videoGroups()->indexOf(key);
            return test::minuteData(p.preview(), row, VideoGroupListModel::NoteRole).toString();
        };
        ASSERT_TRUE(test::waitUntil([&] { return note("2024-05-01_10-19-30") == c.note; }));
        EXPECT_EQ(note("2024-05-01_10-20-30"), "");
        EXPECT_EQ(p.page.clipNotice(), "") << "the latest minute plays";

        p.page.segments()->activate("2024-05-01_10-19-30");
        finishLoading(p.h.preview, 60);
        EXPECT_EQ(p.page.clipNotice(), c.notice);
        ASSERT_TRUE(p.showGrid());
        EXPECT_EQ(p.preview().selectedTimestampKey(), "2024-05-01_10-19-30");
        QStringList marked;
        for (const char* camera : {"front", "back", "left_repeater", "right_repeater"})
            marked << camera + c.note;
        EXPECT_TRUE(test::waitUntil([&] { return p.cells() == marked; }))
            << p.cells().join(' ').toStdString();
    }
}
