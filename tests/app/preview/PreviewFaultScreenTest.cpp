// The preview over damaged footage, as a user meets it: a minute whose file cannot be read
// shows no picture but says so in its place (one camera, one grid cell) and the event stays
// usable; a file cut short stops the clock, the time badge and the slider on its last picture.

#include "ScreenTestSupport.h"

using namespace orvane;
using test::waitUntil;

namespace {

constexpr int fps = 36;
constexpr double darkLuma = 30;
const QString minute0 = "2024-05-01_10-19-30", minute1 = "2024-05-01_10-20-30",
              minute2 = "2024-05-01_10-21-30";

// One saved event of three two-second minutes: the second minute's front file lost its index
// (it does not open) and its left repeater was cut short; the third minute's front was cut short.
struct FaultDrive {
    test::ScopedTimeZone zone{"Asia/Shanghai"};
    test::TempFolder folder;
    test::ScopedEnvironment dataHome{"XDG_DATA_HOME", QFile::encodeName(folder / "share")};
    std::unique_ptr<MainViewModel> vm;

    FaultDrive() {
        sample::DriveSpec drive;
        drive.root = folder / "TeslaCam";
        drive.scale = 0.25;
        drive.minuteSeconds = 2;
        drive.events = {
            {.startTime = LocalTime::fromFields(2024, 5, 1, 10, 19, 30).value_or(0), .minutes = 3}};
        drive.damagedFiles = {{minute1 + "-front.mp4", sample::Damage::truncated},
                              {minute1 + "-left_repeater.mp4", sample::Damage::cutShort},
                              {minute2 + "-front.mp4", sample::Damage::cutShort}};
        sample::writeDrive(drive);
        vm = std::make_unique<MainViewModel>();
        vm->library()->importTeslaCamPaths({drive.root});
        EXPECT_TRUE(waitUntil([&] { return !vm->library()->isImporting(); }, test::screenWaitMs));
        vm->preview()->selectEvent(vm->library()->eventsByCategory().at(ClipCategory::saved).front());
    }
};

struct FaultScreen {
    FaultDrive drive;
    test::ScreenWindow screen{
        *drive.vm, "EventPreviewPage { objectName: \"page\"; anchors.fill: parent; viewModel: vm }"};
    PreviewViewModel& preview = *drive.vm->preview();

    QObject* page() const { return screen.object("page")->property("controller").value<QObject*>(); }
    bool settled() const {
        return !page()->property("isVideoLoading").toBool() && preview.activePreview()->duration() > 0;
    }
    void open(const QString& minute) {
        screen.click(screen.item("segment_" + minute));
        ASSERT_EQ(preview.selectedTimestampKey(), minute);
        ASSERT_TRUE(waitUntil([&] { return settled(); }, test::screenWaitMs));
    }
    std::optional<int> frameIn(const QString& item) const {
        const auto pattern = test::framePattern(screen.picture(screen.item(item)));
        return pattern ? std::optional(pattern->frameIndex) : std::nullopt;
    }
    QString note(const QString& item) const {
        QQuickItem* note = screen.item(item);
        return note && note->isVisible()
                   ? note->property("text").toString() + " " + note->property("detail").toString()
                   : QString();
    }
    // Plays until the player stops; the clock, the slider and the time badge must then show
    // the picture on screen.
    void playToTheStop(const QString& picture) {
        PreviewController* player = preview.activePreview();
        player->togglePlayPause();
        ASSERT_TRUE(waitUntil([&] { return player->isPlaying(); }, test::screenWaitMs));
        ASSERT_TRUE(waitUntil([&] { return !player->isPlaying(); }, test::screenWaitMs));
        QTest::qWait(200); // anything still on its way to the screen
        const auto shown = frameIn(picture);
        ASSERT_TRUE(shown);
        EXPECT_GE(player->currentTime() + 1e-6, *shown / double(fps));
        EXPECT_LT(player->currentTime(), (*shown + 1.0) / fps);
        EXPECT_DOUBLE_EQ(screen.item("positionSlider")->property("value").toDouble(), player->currentTime());
        EXPECT_EQ(screen.item("timeWatermark")->property("text").toString(),
                  preview.watermarkText((*shown + 0.5) / fps));
    }
};

TEST(PreviewFaultScreen, UnreadableAndCutShortMinutesShowTheTruth) {
    if (!test::hasScreen())
        GTEST_SKIP() << "needs an X server (xvfb-run)";
    FaultScreen s;
    ASSERT_TRUE(waitUntil([&] { return s.settled(); }, test::screenWaitMs));

    // One camera: a good minute, then one that cannot be read, then the good one again.
    s.open(minute0);
    ASSERT_TRUE(waitUntil([&] { return s.frameIn("singleVideo").has_value(); }, test::screenWaitMs));
    s.open(minute1);
    EXPECT_TRUE(waitUntil([&] { return s.note("videoProblem").contains("无法读取这一分钟的视频"); }));
    EXPECT_TRUE(s.note("videoProblem").contains("文件不完整或已损坏"))
        << s.note("videoProblem").toStdString();
    EXPECT_TRUE(
        waitUntil([&] { return test::meanLuma(s.screen.picture(s.screen.item("singleVideo"))) < darkLuma; }));
    EXPECT_FALSE(s.frameIn("singleVideo"));
    EXPECT_FALSE(s.screen.item("timeWatermark")->isVisible());
    s.open(minute0);
    EXPECT_TRUE(waitUntil([&] { return s.frameIn("singleVideo").has_value(); }, test::screenWaitMs));
    EXPECT_TRUE(s.note("videoProblem").isEmpty());

    // A file cut short while it plays.
    s.open(minute2);
    s.playToTheStop("singleVideo");
    EXPECT_LT(s.preview.activePreview()->currentTime(), s.preview.activePreview()->duration() - 0.5);
    EXPECT_TRUE(s.note("videoProblem").contains("处中断")) << s.note("videoProblem").toStdString();

    // The grid of the damaged minute: the unreadable camera says so in its cell, the others play,
    // the camera cut short stops on its last picture and says so, and the time line runs on.
    s.screen.click(s.screen.item("cameraTab_all"));
    s.open(minute1);
    EXPECT_TRUE(s.note("gridProblem_front").contains("无法读取"))
        << s.note("gridProblem_front").toStdString();
    EXPECT_FALSE(s.frameIn("gridCell_front"));
    EXPECT_TRUE(waitUntil([&] { return s.frameIn("gridCell_back").has_value(); }, test::screenWaitMs));
    PreviewController* grid = s.preview.activePreview();
    grid->togglePlayPause();
    EXPECT_TRUE(waitUntil([&] { return s.note("gridProblem_left_repeater").contains("处中断"); },
                          test::screenWaitMs));
    EXPECT_GT(grid->currentTime(), 0.5) << "the time line stood still";
    EXPECT_TRUE(s.frameIn("gridCell_left_repeater"));
    EXPECT_TRUE(waitUntil([&] { return !grid->isPlaying(); }, test::screenWaitMs));
    EXPECT_DOUBLE_EQ(grid->currentTime(), grid->duration());
}

} // namespace
