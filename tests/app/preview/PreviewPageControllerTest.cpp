// The event preview page's logic without a window: the range toast's two seconds on a virtual
// clock, and its actions on the players the camera filter shows (scripted players over a
// content-free drive; every "minute" measures 60 s).

#include "PreviewPageController.h"

#include "MultiCameraPreviewController.h"
#include "TelemetryTimeline.h"
#include "VideoPreviewController.h"
#include "ViewModelHarness.h"

#include <QSignalSpy>
#include <cmath>
#include <gtest/gtest.h>

using namespace orvane;
using test::FakePlayer;
using test::finishLoading;
using test::Harness;

namespace {

constexpr double frame = 1.0 / 36;

// Delayed calls on a clock the test moves. `honourCancel` false lets a cancelled call run
// anyway, as a timer that already fired would.
struct VirtualTimers {
    struct Timer {
        int due;
        std::function<void()> action;
        bool cancelled = false;
        bool ran = false;
    };
    bool honourCancel = true;
    int now = 0;
    std::vector<std::shared_ptr<Timer>> timers;

    PreviewRangeSection::Schedule schedule() {
        return [this](int ms, std::function<void()> action) -> PreviewEnvironment::Cancel {
            auto timer = std::make_shared<Timer>(Timer{now + ms, std::move(action)});
            timers.push_back(timer);
            return [timer] { timer->cancelled = true; };
        };
    }
    void advanceTo(int time) {
        for (;;) {
            std::shared_ptr<Timer> next;
            for (const auto& t : timers)
                if (!t->ran && (!t->cancelled || !honourCancel) && t->due <= time &&
                    (!next || t->due < next->due))
                    next = t;
            if (!next)
                break;
            now = next->due;
            next->ran = true;
            next->action();
        }
        now = time;
    }
};

struct Page {
    Harness h;
    PreviewPageController page;
    Page() {
        EXPECT_TRUE(h.imported());
        page.setViewModel(h.vm.get());
    }
    LibraryViewModel& library() { return *h.vm->library(); }
    PreviewViewModel& preview() { return *h.vm->preview(); }
    MergeViewModel& merge() { return *h.vm->merge(); }
    static constexpr double latestMinuteStart = 60;
    FakePlayer& single() { return *static_cast<FakePlayer*>(preview().videoPreview()->player()); }
    // Opens the two-minute saved event, one time line whose latest minute starts at
    // `latestMinuteStart`, and lets that minute land at `t`.
    void openTwoMinuteEvent(double t) {
        const auto& saved = library().eventsByCategory().at(ClipCategory::saved);
        const auto event = std::max_element(saved.begin(), saved.end(), [](const auto& a, const auto& b) {
            return a.videoCount < b.videoCount;
        });
        EXPECT_TRUE(h.opened_(*event));
        finishLoading(h.preview, 60);
        single().completeSeek();
        single().tick(t);
    }
};

} // namespace

// A toast stays two seconds; a newer one replaces it and keeps its own two seconds, also when
// the older one's timer still fires.
TEST(PreviewPageToast, eachMessageKeepsItsOwnTwoSeconds) {
    struct Show {
        int at;
        const char* message;
    };
    struct Probe {
        int at;
        const char* shown;
    };
    struct Case {
        std::vector<Show> shows;
        std::vector<Probe> probes;
    };
    const std::vector<Case> cases = {
        {{{0, "A"}}, {{1, "A"}, {1999, "A"}, {2000, ""}, {5000, ""}}},
        {{{0, "A"}, {1500, "B"}}, {{1499, "A"}, {1500, "B"}, {2000, "B"}, {3499, "B"}, {3500, ""}}},
        // Three within two periods, then one after the toast had gone.
        {{{0, "A"}, {1000, "B"}, {2500, "C"}, {6000, "D"}},
         {{2999, "C"}, {3000, "C"}, {4499, "C"}, {4500, ""}, {6000, "D"}, {7999, "D"}, {8000, ""}}},
        {{{0, "A"}, {0, "B"}}, {{1999, "B"}, {2000, ""}}},
    };
    for (bool honourCancel : {true, false})
        for (size_t i = 0; i < cases.size(); ++i) {
            SCOPED_TRACE(testing::Message() << "case " << i << (honourCancel ? "" : ", stale timers fire"));
            VirtualTimers timers;
            timers.honourCancel = honourCancel;
            PreviewRangeSection range;
            range.setSchedule(timers.schedule());
            std::vector<Show> shows = cases[i].shows;
            for (const Probe& probe : cases[i].probes) {
                while (!shows.empty() && shows.front().at <= probe.at) {
                    timers.advanceTo(shows.front().at);
                    range.showFeedback(QString::fromUtf8(shows.front().message), false);
                    shows.erase(shows.begin());
                }
                timers.advanceTo(probe.at);
                EXPECT_EQ(range.feedback(), QString::fromUtf8(probe.shown)) << "at " << probe.at;
            }
        }
}

// The range itself and its texts are the view model's (MainViewModelTest); the page shows them
// and titles its buttons with the times recorded, telling its range section each time.
TEST(PreviewPageController, rangeButtonsShowTheRecordedTimes) {
    Page p;
    PreviewRangeSection& range = *p.page.range();
    VirtualTimers timers;
    range.setSchedule(timers.schedule());
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
    const QVariantList cells = p.page.gridCells();
    ASSERT_EQ(cells.size(), 4);
    for (const QVariant& cell : cells)
        EXPECT_TRUE(cell.toMap().value("hasVideo").toBool())
            << cell.toMap().value("camera").toString().toStdString();

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

TEST(PreviewPageController, minutesPlayOrArePickedForASplice) {
    Page p;
    QSignalSpy changed(p.page.segments(), &PreviewSegmentList::changed);
    EXPECT_FALSE(p.page.segments()->isShown());
    p.openTwoMinuteEvent(0);
    EXPECT_TRUE(p.page.segments()->isShown());
    EXPECT_EQ(changed.count(), 1);
    const auto groups = VideoTimestampGroup::groups(p.preview().videos());
    ASSERT_EQ(groups.size(), 2);

    p.page.segments()->activate(groups[1].id);
    EXPECT_EQ(p.preview().selectedTimestampKey(), groups[1].id);

    p.page.segments()->toggleSelection();
    EXPECT_TRUE(p.page.segments()->isSelecting());
    p.page.segments()->activate(groups[0].id);
    EXPECT_FALSE(p.page.segments()->canMerge());
    p.page.segments()->continueMerge(); // one is not enough: nothing happens
    EXPECT_FALSE(p.merge().isPreparingMerge());
    p.page.segments()->activate(groups[1].id);
    EXPECT_EQ(p.page.segments()->countText(), "已选 2 段");
    EXPECT_EQ(p.preview().selectedTimestampKey(), groups[1].id); // picking does not play
    ASSERT_TRUE(p.page.segments()->canMerge());
    p.page.segments()->continueMerge();
    EXPECT_TRUE(test::waitUntil([&] { return p.merge().isMergeEditorPresented(); }));

    p.page.segments()->toggleSelection();
    EXPECT_FALSE(p.page.segments()->isSelecting());
    p.merge().closeMergeEditor();
    p.page.segments()->toggleSelection();
    p.page.escape(); // Esc ends the choosing first
    EXPECT_FALSE(p.page.segments()->isSelecting());
    EXPECT_TRUE(p.preview().selectedEvent().has_value());
    p.page.escape();
    EXPECT_FALSE(p.preview().selectedEvent().has_value());
}
