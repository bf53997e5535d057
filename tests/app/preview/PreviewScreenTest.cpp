// The event preview page as a user meets it in the program's window, with the real players over
// a real sample drive: the picture, the dashboard following the frame on screen, the grid, the
// keys and the toast. Over damaged footage: a minute whose file cannot be read shows no picture
// but says so in its place (one camera, one grid cell) and the event stays usable; a file cut
// short stops the clock, the time badge and the slider on its last picture; playing goes on past
// a minute that cannot be read; a file that shrinks or a drive that goes away while it plays stops
// everything on the last picture and says which. The route map beside the picture shows its tiles
// with their credit and the car at the frame on screen, seeks where the route is clicked, and goes
// on over the plain background when its tile server is gone.

#include "AppMessages.h"
#include "ExportViewModel.h"
#include "MediaProbe.h"
#include "RouteMap.h"
#include "SampleDrive.h"
#include "TelemetryTimeline.h"
#include "TeslaTelemetryReader.h"
#include "TestTiles.h"
#include "VideoPreviewController.h"
#include "WindowDriver.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QTest>
#include <cmath>
#include <gtest/gtest.h>

using namespace orvane;
using test::waitUntil;

namespace {

constexpr int fps = 36;
// Clearly brighter than the black video box.
constexpr double visibleLuma = 40;
constexpr double darkLuma = 30;

// The program's window over the sample drive (or `drive`, written beside it) with the preview
// page open on the earliest saved event once it has settled on a file.
class PreviewScreen : public ::testing::Test {
protected:
    void open(const std::optional<sample::DriveSpec>& drive = std::nullopt) {
        if (!test::hasScreen())
            GTEST_SKIP() << "needs an X server (xvfb-run)";
        ASSERT_TRUE(s.app.window);
        if (drive)
            sample::writeDrive(*drive);
        ASSERT_TRUE(s.app.imported(drive ? drive->root : s.drive));
        preview.selectEvent(s.app.saved().front());
        ASSERT_TRUE(waitUntil([&] { return settled(); }, test::screenWaitMs));
    }
    void SetUp() override { open(); }
    QObject* page() const { return ui.pageController("previewLoader"); }
    bool settled() const {
        return page() && page()->property("hasVideo").toBool() &&
               !page()->property("isVideoLoading").toBool() && preview.activePreview()->duration() > 0;
    }
    QQuickItem* item(const QString& name) const { return qobject_cast<QQuickItem*>(ui.named(name)); }

    test::ScreenFixture s;
    const test::WindowDriver& ui = *s.app.ui;
    PreviewViewModel& preview = *s.app.vm->preview();
};

TEST_F(PreviewScreen, thePictureTheDashboardAndTheGridFollowTheUser) {
    // A frame early in the minute (inside it, not on its edge), then one frame on with ".".
    constexpr int frame = 20;
    QMetaObject::invokeMethod(page(), "seek", Q_ARG(double, (frame + 0.25) / fps));
    auto* video = qobject_cast<QQuickItem*>(ui.shown("singleVideo"));
    ASSERT_TRUE(video);
    ASSERT_TRUE(waitUntil([&] { return ui.frameIn("singleVideo") == frame; }, test::screenWaitMs));
    const auto shown = ui.patternIn("singleVideo");
    ASSERT_TRUE(shown);
    EXPECT_EQ(shown->cameraIndex, sample::cameraIndex(CameraAngle::front));
    EXPECT_GT(test::meanLuma(ui.picture(video)), visibleLuma);
    ui.key(Qt::Key_Period);
    ASSERT_TRUE(waitUntil([&] { return ui.frameIn("singleVideo") == frame + 1; }, test::screenWaitMs));

    // The dashboard shows the record of the frame on screen, in km/h.
    const auto samples = TeslaTelemetryReader::read(preview.selectedVideo()->url);
    ASSERT_GT(samples.size(), size_t(frame + 1));
    const TeslaTelemetrySample& record = samples[size_t(frame + 1)];
    auto* timeline = page()->property("timeline").value<TelemetryTimeline*>();
    ASSERT_TRUE(waitUntil([&] { return timeline->currentSample().has_value(); }, test::screenWaitMs));
    EXPECT_EQ(timeline->currentSample()->frameSequenceNumber, record.frameSequenceNumber);
    EXPECT_EQ(ui.textOf("speedReadout"),
              QString::number(std::lround(std::fabs(record.speedMetersPerSecond) * 3.6f)));
    EXPECT_EQ(ui.textOf("speedUnit"), "km/h");
    preview.setSpeedUnit("mph"); // the sidebar's choice; its numbers are the presentation's test
    EXPECT_EQ(ui.textOf("speedUnit"), "mph");

    // "[" records the start; the toast says so over the picture.
    ui.key(Qt::Key_BracketLeft);
    auto* toast = item("rangeToast");
    ASSERT_TRUE(toast);
    EXPECT_TRUE(preview.exportRangeStart());
    EXPECT_TRUE(toast->property("message").toString().startsWith("已设置开始点 "));
    EXPECT_TRUE(waitUntil([&] { return toast->isVisible() && toast->opacity() == 1; }));
    EXPECT_TRUE(ui.rectOf(video).contains(ui.rectOf(toast)));

    // The grid: four cameras, each in its cell, none black.
    ASSERT_TRUE(ui.click("cameraTab_all"));
    EXPECT_EQ(preview.cameraFilter(), "all");
    ASSERT_TRUE(waitUntil([&] { return settled(); }, test::screenWaitMs));
    for (CameraAngle camera : Camera::gridOrder) {
        SCOPED_TRACE(Camera::rawValue(camera).toStdString());
        const QString cell = "gridCell_" + Camera::rawValue(camera);
        ASSERT_TRUE(ui.shown(cell));
        EXPECT_TRUE(waitUntil(
            [&] {
                const auto pattern = ui.patternIn(cell);
                return pattern && pattern->cameraIndex == sample::cameraIndex(camera);
            },
            test::screenWaitMs));
        EXPECT_GT(test::meanLuma(ui.picture(item(cell))), visibleLuma);
    }
    EXPECT_EQ(ui.unnamedButtons(), QStringList());
}

TEST_F(PreviewScreen, theMapShowsTheCarAtTheFrameAndGoesOnWithoutItsServer) {
    test::LoopbackHttpServer server;
    preview.mapTiles()->setAddress(test::serveTiles(server, Qt::green));
    auto* map = page()->property("map").value<RouteMap*>();
    ASSERT_TRUE(waitUntil([&] { return ui.shown("routeMapView") && map->hasRoute(); }, test::screenWaitMs));
    QQuickItem* view = item("routeMapView");
    const QPoint side(4, int(view->height() / 2)); // clear of the route, the scale and the buttons
    EXPECT_TRUE(waitUntil([&] { return ui.picture(view).pixelColor(side) == QColor(Qt::green); }));
    ASSERT_TRUE(ui.shown("mapAttribution"));
    EXPECT_EQ(ui.textOf("mapAttribution"), "© OpenStreetMap contributors");
    EXPECT_TRUE(ui.rectOf(view).contains(ui.rectOf(item("mapAttribution"))));

    // The car stands where the frame on screen recorded it, turned to its heading.
    constexpr int frame = 30;
    QMetaObject::invokeMethod(page(), "seek", Q_ARG(double, (frame + 0.25) / fps));
    ASSERT_TRUE(waitUntil([&] { return ui.frameIn("singleVideo") == frame; }, test::screenWaitMs));
    const TeslaTelemetrySample record = TeslaTelemetryReader::read(preview.selectedVideo()->url).at(frame);
    const QPointF at = map->view().toScreen(MapTiles::unit(*record.latitude, *record.longitude));
    EXPECT_TRUE(waitUntil([&] { return map->car() == at; }));
    EXPECT_EQ(map->carHeading(), record.heading.value_or(0));
    QQuickItem* car = item("mapCar");
    EXPECT_EQ(car->position() + QPointF(car->width() / 2, car->height() / 2), at);

    // A click on the route's other end seeks to the moment recorded there.
    const QPointF end = map->view().toScreen(map->route().points.back());
    const double moment = map->timeNear(end.x(), end.y());
    ASSERT_GT(moment, (frame + 1.0) / fps);
    QTest::mouseClick(s.app.window, Qt::LeftButton, {}, view->mapToScene(end).toPoint());
    EXPECT_TRUE(
        waitUntil([&] { return std::abs(preview.activePreview()->currentTime() - moment) < 1.0 / fps; },
                  test::screenWaitMs));

    // Zoomed in on the start, the map follows the car driving out of view; a car the user moved
    // out of view stays out of it.
    QMetaObject::invokeMethod(page(), "seek", Q_ARG(double, 0.25 / fps));
    ASSERT_TRUE(waitUntil([&] { return ui.frameIn("singleVideo") == 0; }, test::screenWaitMs));
    map->zoomBy(2, map->car().x(), map->car().y());
    const QRectF inView = QRectF(QPointF(0, 0), map->view().size()).adjusted(1, 1, -1, -1);
    ASSERT_FALSE(inView.contains(map->view().toScreen(map->route().points.back())));
    QMetaObject::invokeMethod(page(), "seek", Q_ARG(double, moment));
    EXPECT_TRUE(
        waitUntil([&] { return std::abs(preview.activePreview()->currentTime() - moment) < 1.0 / fps; },
                  test::screenWaitMs));
    EXPECT_TRUE(inView.contains(map->car())) << "the map stayed behind";
    map->panBy(10 * map->view().size().width(), 0); // beyond the whole route, zoomed in

    ASSERT_FALSE(inView.contains(map->car()));
    const QPointF leftBehind = map->car();
    QMetaObject::invokeMethod(page(), "seek", Q_ARG(double, moment / 2));
    EXPECT_TRUE(waitUntil([&] { return map->car() != leftBehind; }));
    EXPECT_FALSE(inView.contains(map->car())) << "the map took the view back from the user";

    // The server gone: the route on the plain background, a line on the map, no alert.
    server.close();
    preview.mapTiles()->setAddress(server.url("/gone").toString() + "/{z}/{x}/{y}.png");
    ASSERT_TRUE(ui.waitShown("mapOffline"));
    EXPECT_NE(ui.picture(view).pixelColor(side), QColor(Qt::green));
    EXPECT_TRUE(ui.shown("routeMapView"));
    EXPECT_TRUE(s.app.vm->messages()->errorMessage().isEmpty());
}

TEST_F(PreviewScreen, keysPlayPauseSkipRecordExportAndGoBack) {
    PreviewController* player = preview.activePreview();
    auto* pageItem = ui.shown("previewLoader")->property("item").value<QQuickItem*>();
    ASSERT_TRUE(ui.click("skipForwardButton")); // a click leaves the keys with the page
    EXPECT_TRUE(pageItem->hasActiveFocus());
    ui.key(Qt::Key_Space);
    EXPECT_TRUE(player->isPlaying());
    ui.key(Qt::Key_Space);
    EXPECT_FALSE(player->isPlaying());
    ui.key(Qt::Key_E, Qt::ControlModifier);
    EXPECT_TRUE(s.app.vm->exporter()->isProcessing());
    s.app.vm->exporter()->cancelExport();
    ASSERT_TRUE(waitUntil([&] { return !s.app.vm->exporter()->isProcessing(); }, test::exportWaitMs));

    ui.key(Qt::Key_Left);
    EXPECT_DOUBLE_EQ(player->currentTime(), 0);
    ui.key(Qt::Key_BracketRight);
    EXPECT_EQ(ui.named("rangeToast")->property("message").toString(), "已设置结束点 00:00");

    ui.key(Qt::Key_Escape);
    EXPECT_FALSE(preview.selectedEvent());
}

// The report of the frame on screen, taken from inside that frame: its stills, record and time
// are that frame's, and the sidebar's "隐去位置" leaves the place out.
TEST_F(PreviewScreen, theIncidentReportIsOfTheFrameOnScreen) {
    constexpr int frame = 20;
    constexpr double insideFrame = 0.6; // nearer the next frame's start than this one's
    QMetaObject::invokeMethod(page(), "seek", Q_ARG(double, (frame + insideFrame) / fps));
    ASSERT_TRUE(waitUntil([&] { return ui.frameIn("singleVideo") == frame; }, test::screenWaitMs));
    ExportViewModel& exporter = *s.app.vm->exporter();
    // The sidebar's choice, as its picker reports it.
    QMetaObject::invokeMethod(ui.named("reportPlacePicker"), "chosen", Q_ARG(QVariant, QVariant(true)));
    ASSERT_TRUE(exporter.reportHidesPlace());
    ASSERT_TRUE(ui.click("reportButton"));
    ASSERT_TRUE(waitUntil([&] { return ui.named("reportMenu")->property("opened").toBool(); }));
    ASSERT_TRUE(ui.click("reportAtFrameOnScreen"));
    ASSERT_TRUE(waitUntil([&] { return !exporter.isProcessing(); }, test::exportWaitMs));
    EXPECT_EQ(s.app.vm->messages()->successMessage(), "事故报告已生成");

    const TeslaClipEvent event = *preview.selectedEvent();
    const QString pdf = s.exports + "/" + event.folderName + "_report.pdf";
    QProcess toText;
    toText.start("pdftotext", {"-enc", "UTF-8", pdf, "-"});
    ASSERT_TRUE(toText.waitForFinished(test::exportWaitMs) && toText.exitCode() == 0) << pdf.toStdString();
    const QString text = QString::fromUtf8(toText.readAllStandardOutput());
    const TeslaVideoFile shown = *preview.selectedVideo();
    const Instant at = shown.startTime + media::MediaProbe::frameTimes(shown.url).at(frame);
    const QString utc = QDateTime::fromMSecsSinceEpoch(std::llround(at * 1000), Qt::UTC)
                            .toString("yyyy-MM-dd HH:mm:ss.zzz UTC");
    EXPECT_TRUE(text.contains(utc)) << utc.toStdString() << "\n" << text.toStdString();
    ASSERT_TRUE(event.metadata && event.metadata->city);
    EXPECT_FALSE(text.contains(*event.metadata->city)) << text.toStdString();
}

const QString minute0 = "2024-05-01_10-19-30", minute1 = "2024-05-01_10-20-30",
              minute2 = "2024-05-01_10-21-30";

// One saved event of three two-second minutes: the second minute's front file lost its index
// (it does not open) and its left repeater was cut short; the third minute's front was cut short.
class PreviewFaultScreen : public PreviewScreen {
protected:
    void SetUp() override {
        sample::DriveSpec drive;
        drive.root = s.folder / "DamagedCam";
        drive.scale = 0.25;
        drive.minuteSeconds = 2;
        drive.events = {
            {.startTime = LocalTime::fromFields(2024, 5, 1, 10, 19, 30).value_or(0), .minutes = 3}};
        drive.damagedFiles = {{minute1 + "-front.mp4", sample::Damage::truncated},
                              {minute1 + "-left_repeater.mp4", sample::Damage::cutShort},
                              {minute2 + "-front.mp4", sample::Damage::cutShort}};
        open(drive);
    }
    bool landed(const QString& minute) {
        return ui.click("segment_" + minute) && preview.selectedTimestampKey() == minute &&
               waitUntil([&] { return settled(); }, test::screenWaitMs);
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
        const auto shown = ui.frameIn(picture);
        ASSERT_TRUE(shown);
        const double local = player->currentTime() - stepStart();
        EXPECT_GE(local + 1e-6, *shown / double(fps));
        EXPECT_LT(local, (*shown + 1.0) / fps);
        EXPECT_DOUBLE_EQ(ui.named("positionSlider")->property("value").toDouble(), player->currentTime());
        EXPECT_EQ(ui.textOf("timeWatermark"), preview.watermarkText(stepStart() + (*shown + 0.5) / fps));
    }
};

TEST_F(PreviewFaultScreen, UnreadableAndCutShortMinutesShowTheTruth) {
    // One camera: a good minute, then one that cannot be read, then the good one again.
    ASSERT_TRUE(landed(minute0));
    ASSERT_TRUE(waitUntil([&] { return ui.frameIn("singleVideo").has_value(); }, test::screenWaitMs));
    ASSERT_TRUE(landed(minute1));
    EXPECT_TRUE(waitUntil([&] { return note("videoProblem").contains("无法读取这一分钟的视频"); }));
    EXPECT_TRUE(note("videoProblem").contains("文件不完整或已损坏")) << note("videoProblem").toStdString();
    EXPECT_TRUE(waitUntil([&] { return test::meanLuma(ui.picture(item("singleVideo"))) < darkLuma; }));
    EXPECT_FALSE(ui.frameIn("singleVideo"));
    EXPECT_FALSE(test::WindowDriver::isShown(ui.named("timeWatermark")));
    ASSERT_TRUE(landed(minute0));
    EXPECT_TRUE(waitUntil([&] { return ui.frameIn("singleVideo").has_value(); }, test::screenWaitMs));
    EXPECT_TRUE(note("videoProblem").isEmpty());

    // A file cut short while it plays.
    ASSERT_TRUE(landed(minute2));
    playToTheStop("singleVideo");
    EXPECT_LT(preview.activePreview()->currentTime(), preview.activePreview()->duration() - 0.5);
    EXPECT_TRUE(note("videoProblem").contains("处中断")) << note("videoProblem").toStdString();

    // The grid of the damaged minute: the unreadable camera says so in its cell, the others play,
    // the camera cut short stops on its last picture and says so, and the time line runs on.
    ASSERT_TRUE(ui.click("cameraTab_all"));
    ASSERT_TRUE(waitUntil([&] { return preview.isGrid() && settled(); }, test::screenWaitMs));
    ASSERT_TRUE(landed(minute1));
    EXPECT_TRUE(note("gridProblem_front").contains("无法读取")) << note("gridProblem_front").toStdString();
    EXPECT_TRUE(waitUntil([&] { return !ui.frameIn("gridCell_front"); }))
        << "the last minute's picture stayed";
    EXPECT_TRUE(waitUntil([&] { return ui.frameIn("gridCell_back").has_value(); }, test::screenWaitMs));
    PreviewController* grid = preview.activePreview();
    grid->togglePlayPause();
    EXPECT_TRUE(
        waitUntil([&] { return note("gridProblem_left_repeater").contains("处中断"); }, test::screenWaitMs));
    EXPECT_GT(grid->currentTime(), 0.5) << "the time line stood still";
    EXPECT_TRUE(ui.frameIn("gridCell_left_repeater"));
    // The other cameras play the minute to its end, and the event moves on to the next one.
    EXPECT_TRUE(waitUntil([&] { return grid->currentStepIndex() == 2; }, test::screenWaitMs));
}

// Playing into the minute that cannot be read goes on with the next readable one, saying which was
// passed over; Play then still plays.
TEST_F(PreviewFaultScreen, PlayingGoesOnPastAMinuteThatCannotBeRead) {
    ASSERT_TRUE(landed(minute0));
    PreviewController* player = preview.activePreview();
    player->togglePlayPause();
    ASSERT_TRUE(waitUntil([&] { return player->currentStepIndex() == 2; }, test::screenWaitMs));
    EXPECT_TRUE(waitUntil([&] { return ui.textOf("playbackNotice").contains("已跳到下一段"); }))
        << ui.textOf("playbackNotice").toStdString();
    EXPECT_TRUE(ui.textOf("playbackNotice").contains("10:20:30"))
        << ui.textOf("playbackNotice").toStdString();
    EXPECT_TRUE(waitUntil([&] { return ui.frameIn("singleVideo").has_value(); }, test::screenWaitMs));
    // Moving on (a seek) clears what no longer applies.
    QMetaObject::invokeMethod(page(), "seek", Q_ARG(double, 0.25));
    EXPECT_TRUE(waitUntil([&] { return !test::WindowDriver::isShown(ui.named("playbackNotice")); }));
}

// A file that shrinks while it plays (the car still writing, a copy cut off) and a drive pulled
// out while it plays: time and picture stop on the last picture shown and the window says which.
TEST_F(PreviewFaultScreen, FootageThatEndsOrGoesAwayWhilePlayingStopsAndSaysWhy) {
    for (const bool pulled : {false, true}) {
        SCOPED_TRACE(pulled ? "drive pulled" : "file shrank");
        // A whole file each time: the front camera's, then the back camera's.
        const QString camera = pulled ? "back" : "front";
        preview.switchCameraFilter(camera);
        ASSERT_TRUE(landed(minute0));
        QDirIterator found(s.folder / "DamagedCam", {minute0 + "-" + camera + ".mp4"}, QDir::Files,
                           QDirIterator::Subdirectories);
        ASSERT_TRUE(found.hasNext());
        const QString file = found.next();
        PreviewController* player = preview.activePreview();
        player->togglePlayPause();
        ASSERT_TRUE(waitUntil([&] { return player->currentTime() > 0.2; }, test::screenWaitMs));
        ASSERT_TRUE(QFile::resize(file, QFileInfo(file).size() / 4));
        if (pulled) {
            ASSERT_TRUE(QDir().rename(s.folder / "DamagedCam", s.folder / "Pulled"));
        }
        ASSERT_TRUE(waitUntil([&] { return !player->isPlaying(); }, test::screenWaitMs));
        EXPECT_TRUE(waitUntil([&] {
            return ui.textOf("playbackNotice").contains(pulled ? "存储设备可能已断开" : "提前结束");
        })) << ui.textOf("playbackNotice").toStdString();
        EXPECT_EQ(player->currentStepIndex(), 0);
        const double stopped = player->currentTime();
        EXPECT_LT(stopped, player->stepDurations()[0] - 0.25) << "the clock ran to the file's end";
        QTest::qWait(300);
        EXPECT_DOUBLE_EQ(player->currentTime(), stopped);
        EXPECT_DOUBLE_EQ(ui.named("positionSlider")->property("value").toDouble(), stopped);
        if (pulled) {
            ASSERT_TRUE(QDir().rename(s.folder / "Pulled", s.folder / "DamagedCam"));
        }
    }
}

// The whole damaged event exported from the window: the result page names the minute left out
// and the one cut short.
TEST_F(PreviewFaultScreen, TheExportResultNamesWhatWasLeftOutOrCutShort) {
    ASSERT_TRUE(landed(minute0));
    preview.setExportRangeStart(0);
    preview.setExportRangeEnd(preview.activePreview()->duration());
    ASSERT_TRUE(s.app.exportedResult());
    const QStringList notes = ui.shown("exportResult")->property("notes").toStringList();
    ASSERT_EQ(notes.size(), 3) << notes.join('\n').toStdString();
    EXPECT_TRUE(notes[1].contains("10:20:30") && notes[1].contains("无法读取，已略过"))
        << notes[1].toStdString();
    EXPECT_TRUE(notes[2].contains("10:21:30") && notes[2].contains("只导出了")) << notes[2].toStdString();
    EXPECT_TRUE(test::WindowDriver::isShown(ui.named("resultNotes")));
}

} // namespace
