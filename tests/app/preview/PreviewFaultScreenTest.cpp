// The preview over damaged footage, as a user meets it: a minute whose file cannot be read
// shows no picture but says so in its place (one camera, one grid cell) and the event stays
// usable; a file cut short stops the clock, the time badge and the slider on its last picture.

#include "SampleDrive.h"
#include "WindowDriver.h"

#include <QTest>
#include <gtest/gtest.h>

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
    test::ScopedEnvironment dataHome{"XDG_DATA_HOME", QFile::encodeName(folder / "home/.local/share")};
    test::ScopedEnvironment temp{"TMPDIR", QFile::encodeName(folder.makeFolder("tmp"))};
    QString root = folder / "TeslaCam";
    test::AppWindow app{folder.makeFolder("exports"), test::quietUpdates()};

    FaultDrive() {
        sample::DriveSpec drive;
        drive.root = root;
        drive.scale = 0.25;
        drive.minuteSeconds = 2;
        drive.events = {
            {.startTime = LocalTime::fromFields(2024, 5, 1, 10, 19, 30).value_or(0), .minutes = 3}};
        drive.damagedFiles = {{minute1 + "-front.mp4", sample::Damage::truncated},
                              {minute1 + "-left_repeater.mp4", sample::Damage::cutShort},
                              {minute2 + "-front.mp4", sample::Damage::cutShort}};
        sample::writeDrive(drive);
    }
};

struct FaultScreen {
    FaultDrive drive;
    const test::WindowDriver& ui = *drive.app.ui;
    PreviewViewModel& preview = *drive.app.vm->preview();

    QObject* page() const { return ui.pageController("previewLoader"); }
    bool settled() const {
        return page() && !page()->property("isVideoLoading").toBool() &&
               preview.activePreview()->duration() > 0;
    }
    void open(const QString& minute) {
        ASSERT_TRUE(ui.click("segment_" + minute));
        ASSERT_EQ(preview.selectedTimestampKey(), minute);
        ASSERT_TRUE(waitUntil([&] { return settled(); }, test::screenWaitMs));
    }
    QQuickItem* item(const QString& name) const { return qobject_cast<QQuickItem*>(ui.named(name)); }
    std::optional<int> frameIn(const QString& name) const {
        QQuickItem* shown = item(name);
        const auto pattern = shown ? test::framePattern(ui.picture(shown)) : std::nullopt;
        return pattern ? std::optional(pattern->frameIndex) : std::nullopt;
    }
    QString note(const QString& name) const {
        QObject* note = ui.named(name);
        return note && test::WindowDriver::isShown(note)
                   ? note->property("text").toString() + " " + note->property("detail").toString()
                   : QString();
    }
    // Time on the whole time line of the current minute's start.
    double stepStart() const {
        const PreviewController* player = preview.activePreview();
        double start = 0;
        for (int i = 0; i < player->currentStepIndex(); ++i)
            start += player->stepDurations()[size_t(i)];
        return start;
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
        const double local = player->currentTime() - stepStart();
        EXPECT_GE(local + 1e-6, *shown / double(fps));
        EXPECT_LT(local, (*shown + 1.0) / fps);
        EXPECT_DOUBLE_EQ(ui.named("positionSlider")->property("value").toDouble(), player->currentTime());
        EXPECT_EQ(ui.textOf("timeWatermark"), preview.watermarkText(stepStart() + (*shown + 0.5) / fps));
    }
};

TEST(PreviewFaultScreen, UnreadableAndCutShortMinutesShowTheTruth) {
    if (!test::hasScreen())
        GTEST_SKIP() << "needs an X server (xvfb-run)";
    FaultScreen s;
    ASSERT_TRUE(s.drive.app.window);
    ASSERT_TRUE(s.drive.app.imported(s.drive.root));
    s.preview.selectEvent(s.drive.app.saved().front());
    ASSERT_TRUE(waitUntil([&] { return s.settled(); }, test::screenWaitMs));

    // One camera: a good minute, then one that cannot be read, then the good one again.
    s.open(minute0);
    ASSERT_TRUE(waitUntil([&] { return s.frameIn("singleVideo").has_value(); }, test::screenWaitMs));
    s.open(minute1);
    EXPECT_TRUE(waitUntil([&] { return s.note("videoProblem").contains("无法读取这一分钟的视频"); }));
    EXPECT_TRUE(s.note("videoProblem").contains("文件不完整或已损坏"))
        << s.note("videoProblem").toStdString();
    EXPECT_TRUE(waitUntil([&] { return test::meanLuma(s.ui.picture(s.item("singleVideo"))) < darkLuma; }));
    EXPECT_FALSE(s.frameIn("singleVideo"));
    EXPECT_FALSE(test::WindowDriver::isShown(s.ui.named("timeWatermark")));
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
    ASSERT_TRUE(s.ui.click("cameraTab_all"));
    ASSERT_TRUE(waitUntil([&] { return s.preview.isGrid() && s.settled(); }, test::screenWaitMs));
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
    // The other cameras play the minute to its end, and the event moves on to the next one.
    EXPECT_TRUE(waitUntil([&] { return grid->currentStepIndex() == 2; }, test::screenWaitMs));
}

} // namespace
