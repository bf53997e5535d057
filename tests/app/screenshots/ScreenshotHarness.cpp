// Renders the real Orvane window in named states into PNG files, at the window sizes a user meets
// (900 × 700, the minimum, and 1920 × 1080), over real sample footage: each scene starts a fresh
// application (view model, update controller, the window the program loads) and drives it there
// as a user would. Needs an X server for the video (xvfb-run); scripts/screenshots.sh runs it.
//
//   orvane-ui-screenshots [--out DIR] [--scheme light|dark] [--language zh|en] [--suffix TEXT]
//                         [--sizes WxH,…] [--only a,b]

#include "AppLanguage.h"
#include "DriveOffer.h"
#include "ExportViewModel.h"
#include "HardBrakeCountCache.h"
#include "KeyService.h"
#include "LoopbackHttpServer.h"
#include "MergeEditorController.h"
#include "MetadataParser.h"
#include "OrvaneModules.h"
#include "SampleDrive.h"
#include "SampleKeyService.h"
#include "TelemetryTimeline.h"
#include "TeslaTelemetryReader.h"
#include "TestTiles.h"
#include "TileLoader.h"
#include "UiEngine.h"
#include "UnlockViewModel.h"
#include "WindowDriver.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QQmlComponent>
#include <QTemporaryDir>
#include <QTest>
#include <cmath>
#include <cstdio>

namespace orvane::screenshots {
namespace {

// How long a step may take (thumbnails decode, exports run, the result page captures).
constexpr int stepTimeoutMs = 60000;
// Lets animations (toast fade, speed roll, gauge fill) finish before the picture is taken.
constexpr int settleMs = 600;
// The preview drive's second minute turns with a blinker while speeding up.
constexpr uint64_t previewSeed = 410;
constexpr double previewMinuteSeconds = 4;
constexpr double pictureScale = 0.35;
// The merge editor keeps this part of the first event, and the review stands this far into it.
constexpr double keptStart = 1.5, keptEnd = 6.25, reviewTime = 3;
const QString offeredVersion = QStringLiteral("0.2.0");
const QString releaseNotes = QStringLiteral("四宫格导出更快；修复从 U 盘导入时偶尔卡住的问题。");

bool waitFor(const std::function<bool()>& done) {
    return test::waitUntil(done, stepTimeoutMs);
}

// The footage the scenes run over.
struct Fixtures {
    QString work;
    // Six saved events on several days, a sentry event and a few recent minutes.
    QString browseDrive;
    // Two saved events (two minutes, then one) whose second minute turns with a blinker at speed.
    QString previewDrive;
    // A car with pillar cameras, saved a second into its one minute (the moment's marker shows),
    // and an event the car encrypted.
    QString sixCameraDrive;
    QString encryptedDrive;
    // A saved event of three minutes whose middle front file cannot be read.
    QString damagedDrive;
    // Names only: saved events for several reasons on days of two months (the finding scenes).
    QString archiveDrive;
    QString exportFolder;
    // A moment of that minute worth showing on the dashboard, and where a range before it starts.
    double driveTime = 0;
    double rangeStart = 0;
    // Offers a newer version whose download never ends.
    QUrl updateManifest;
};

// How much a record shows on the dashboard: speed, a blinker, a pedal, the wheel turned.
double interest(const TeslaTelemetrySample& s) {
    return (s.speedMetersPerSecond > 5 ? 4 : 0) + (s.leftBlinker || s.rightBlinker ? 2 : 0) +
           (s.brakeApplied || s.accelerator > 0 ? 1 : 0) + std::min(std::abs(s.steeringAngle), 90.0f) / 90;
}

// The time in a front file of its most telling record, not in its first second (a range starts
// before it).
double mostTellingMoment(const QString& frontFile, int framesPerSecond) {
    const std::vector<TeslaTelemetrySample> samples = TeslaTelemetryReader::read(frontFile);
    size_t best = std::min(size_t(framesPerSecond), samples.empty() ? 0 : samples.size() - 1);
    for (size_t i = best; i + 1 < samples.size(); ++i)
        if (interest(samples[i]) > interest(samples[best]))
            best = i;
    return (double(best) + 0.5) / framesPerSecond;
}

QString writeBrowseDrive(const QString& work) {
    sample::DriveSpec drive;
    drive.root = work + QStringLiteral("/BrowseDrive/TeslaCam");
    drive.scale = pictureScale;
    drive.minuteSeconds = 2;
    drive.seed = 7;
    const Instant day = LocalTime::fromFields(2024, 5, 1, 0, 0, 0).value_or(0);
    const QStringList cities = {QStringLiteral("上海"), QStringLiteral("杭州"), QStringLiteral("苏州"),
                                QStringLiteral("南京"), QStringLiteral("宁波"), QStringLiteral("无锡")};
    for (int i = 0; i < int(cities.size()); ++i) {
        sample::EventSpec event;
        event.startTime = day + (8 + 2 * i) * 3600 + 17 * 60 + 5 * i;
        event.minutes = 1 + i % 3;
        event.city = cities[i];
        drive.events.push_back(event);
    }
    sample::writeDrive(drive);
    // The sample car brakes gently: the cards of one and two minutes get counts in the cache, as a
    // second start finds them.
    const EventsByCategory library = MetadataParser::scanLibrary({drive.root});
    for (const TeslaClipEvent& event : library.at(ClipCategory::saved))
        if (const int brakes = event.videoCount % 3; brakes > 0)
            HardBrakeCountCache::count(event, [brakes](const auto&, const auto&) { return brakes; });
    return drive.root;
}

QString writeArchiveDrive(const QString& work) {
    sample::DriveSpec drive;
    drive.root = work + QStringLiteral("/ArchiveDrive/TeslaCam");
    drive.contentFree = true;
    const QString reasons[] = {QStringLiteral("user_interaction_dashcam_icon_tapped"),
                               QStringLiteral("sentry_aware_object_detection"),
                               QStringLiteral("user_interaction_honk"),
                               QStringLiteral("sentry_aware_accel_0.61")};
    const int days[] = {3, 3, 9, 14, 14, 14, 21, 28, 35, 36, 41, 47, 47};
    const Instant first = LocalTime::fromFields(2024, 4, 1, 0, 0, 0).value_or(0);
    for (size_t i = 0; i < std::size(days); ++i) {
        sample::EventSpec event;
        event.startTime = first + days[i] * 86400 + (9 + 2 * double(i % 5)) * 3600;
        event.reason = reasons[i % std::size(reasons)];
        drive.events.push_back(event);
    }
    sample::writeDrive(drive);
    return drive.root;
}

// An HTTP server on 127.0.0.1 that offers a newer version and never answers its download, so an
// update stays "downloading" for the picture.
class UpdateServer : public test::LoopbackHttpServer {
public:
    UpdateServer() {
        serve(QStringLiteral("/manifest.json"),
              QStringLiteral(R"({"version": "%1", "downloadURL": "%2", "releaseNotes": "%3"})")
                  .arg(offeredVersion, url(QStringLiteral("/update.tar.gz")).toString(), releaseNotes)
                  .toUtf8());
        serve(QStringLiteral("/update.tar.gz"), Response{0, {}});
    }
    QUrl manifest() const { return url(QStringLiteral("/manifest.json")); }
};

class SceneApp;

struct Scene {
    QString name;
    // The drive imported first, if any.
    QString Fixtures::*drive;
    // Takes the application on to the state; false when it did not get there in time.
    std::function<bool(SceneApp&, const Fixtures&)> run;
    // Exports wait for a cancel half-way (the export overlay's scene).
    bool holdExports = false;
};

// A fresh application in the window the program loads, and the user's hands on it.
class SceneApp : public test::AppWindow {
public:
    SceneApp(const Fixtures& fixtures, const Scene& scene, QSize size)
        : test::AppWindow(fixtures.exportFolder, updates(fixtures)) {
        *holdExports = scene.holdExports;
        if (window)
            window->resize(size);
    }

    // Every card on screen has its picture and its length.
    bool thumbnailsSettled() {
        return waitFor([&] {
            const QList<QObject*> thumbs = ui->allShown(QStringLiteral("cardThumbnail"));
            return !thumbs.isEmpty() && std::all_of(thumbs.begin(), thumbs.end(), [](QObject* t) {
                const int status = t->property("imageStatus").toInt();
                return status == 3 /* Image.Error */ ||
                       (status == 1 /* Ready */ && t->property("duration").toDouble() > 0);
            });
        });
    }
    // Opens the saved event `index` (oldest first) of the imported drive on `camera`.
    bool opened(size_t index, CameraAngle camera) {
        vm->preview()->setCameraFilter(camera);
        vm->preview()->selectEvent(saved().at(index));
        return waitFor([&] {
            QObject* page = previewPage();
            return page && !page->property("isVideoLoading").toBool() &&
                   (!page->property("hasVideo").toBool() || vm->preview()->activeDuration() > 0);
        });
    }
    QObject* previewPage() const { return ui->pageController(QStringLiteral("previewLoader")); }
    QObject* previewRange() const { return previewPage()->property("range").value<QObject*>(); }
    MergeEditorController* editor() const {
        return qobject_cast<MergeEditorController*>(ui->pageController(QStringLiteral("mergeEditorLoader")));
    }
    // The shown player stands at `time` with its file open.
    bool landed(PreviewController* player, double time) {
        return waitFor([&] { return !player->isLoading() && std::abs(player->currentTime() - time) < 0.01; });
    }
    // …and the dashboard has its record.
    bool previewAt(double time) {
        QMetaObject::invokeMethod(previewPage(), "seek", Q_ARG(double, time));
        auto* timeline = previewPage()->property("timeline").value<TelemetryTimeline*>();
        return landed(vm->preview()->activePreview(), time) &&
               waitFor([&] { return timeline->currentSample().has_value(); });
    }

private:
    static AppUpdateEnvironment updates(const Fixtures& fixtures) {
        AppUpdateEnvironment environment = test::quietUpdates();
        environment.manifestCandidates = {fixtures.updateManifest};
        environment.installation.temporaryFolder = fixtures.work;
        return environment;
    }
};

// Writes the footage under `work`.
Fixtures makeFixtures(const QString& work, const QUrl& updateManifest) {
    Fixtures f;
    f.work = work;
    f.exportFolder = work + QStringLiteral("/exports");
    QDir().mkpath(f.exportFolder);
    f.browseDrive = writeBrowseDrive(work);
    f.archiveDrive = writeArchiveDrive(work);
    f.updateManifest = updateManifest;

    sample::DriveSpec drive;
    drive.root = work + QStringLiteral("/PreviewDrive/TeslaCam");
    drive.scale = pictureScale;
    drive.minuteSeconds = previewMinuteSeconds;
    drive.seed = previewSeed;
    const Instant day = LocalTime::fromFields(2024, 5, 1, 0, 0, 0).value_or(0);
    sample::EventSpec first;
    first.startTime = day + 10 * 3600 + 19 * 60 + 30;
    first.minutes = 2;
    first.city = QStringLiteral("上海");
    sample::EventSpec second = first;
    second.startTime = day + 14 * 3600 + 2 * 60 + 8;
    second.minutes = 1;
    second.city = QStringLiteral("杭州");
    drive.events = {first, second};
    const QStringList written = sample::writeDrive(drive);
    f.previewDrive = drive.root;
    // The preview opens an event at its latest minute: the first event's second front file
    // (files are written event by event, minute by minute), one minute into the event's time line.
    f.driveTime =
        drive.minuteSeconds +
        mostTellingMoment(written.filter(QStringLiteral("-front.mp4")).value(1), drive.framesPerSecond);
    f.rangeStart = drive.minuteSeconds / 2; // the range crosses into the latest minute

    sample::DriveSpec six = drive;
    six.root = work + QStringLiteral("/SixCameraDrive/TeslaCam");
    six.layout = sample::CarLayout::sixCamera;
    six.events = {first};
    six.events[0].minutes = 1;
    six.events[0].savedAfterSeconds = 1;
    six.events[0].triggerCamera = QStringLiteral("2");
    sample::writeDrive(six);
    f.sixCameraDrive = six.root;

    sample::DriveSpec encrypted = drive;
    encrypted.root = work + QStringLiteral("/EncryptedDrive/TeslaCam");
    encrypted.events = {};
    sample::addEncryptedEvent(encrypted);
    sample::writeDrive(encrypted);
    f.encryptedDrive = encrypted.root;

    sample::DriveSpec damaged = drive;
    damaged.root = work + QStringLiteral("/DamagedDrive/TeslaCam");
    damaged.events = {};
    sample::addDamagedEvent(damaged, sample::Damage::truncated);
    sample::writeDrive(damaged);
    f.damagedDrive = damaged.root;
    return f;
}

// The drive strip (or its note) is drawn once the event's records are read.
bool driveRead(SceneApp& app) {
    return waitFor([&] {
        const auto* drive = app.previewPage()->property("drive").value<QObject*>();
        return drive && !drive->property("isLoading").toBool();
    });
}

bool previewScene(SceneApp& app, const Fixtures& f, CameraAngle camera) {
    return app.opened(0, camera) && app.previewAt(f.driveTime) && driveRead(app);
}

bool mergeScene(SceneApp& app, bool review) {
    MergeViewModel& merge = *app.vm->merge();
    merge.startMergeSelection();
    for (const TeslaClipEvent& e : app.saved())
        merge.toggleMergeEvent(e.id.toString());
    merge.prepareMergeEditor();
    if (!waitFor([&] { return app.editor() && app.editor()->hasPreviewItem(); }))
        return false;
    VideoPreviewController* player = merge.mergePreview();
    if (!waitFor([&] { return player->duration() > 0 && !player->isLoading(); }))
        return false;
    const QString first = merge.mergeItems().front().id.toString();
    merge.setMergeRangeStart(keptStart, first);
    merge.setMergeRangeEnd(keptEnd, first);
    if (!review) {
        player->seek(3.4);
        return app.landed(player, 3.4);
    }
    app.editor()->performAction();
    app.editor()->performAction();
    if (!waitFor([&] { return app.editor()->isReviewPage(); }) || !app.landed(player, keptStart))
        return false;
    app.editor()->seekReview(reviewTime);
    return app.landed(player, keptStart + reviewTime);
}

bool resultScene(SceneApp& app, const Fixtures&) {
    QObject* result = app.opened(5, CameraAngle::front) ? app.exportedResult() : nullptr;
    if (!result)
        return false;
    // Two captures a second apart, then both saved beside the video.
    for (double t : {0.6, 1.4}) {
        QMetaObject::invokeMethod(result, "beginScrub");
        QMetaObject::invokeMethod(result, "scrub", Q_ARG(double, t));
        QMetaObject::invokeMethod(result, "endScrub");
        QTest::qWait(200);
        QMetaObject::invokeMethod(result, "captureCurrentFrame");
        if (!waitFor([&] { return !result->property("isCapturing").toBool(); }))
            return false;
    }
    QMetaObject::invokeMethod(result, "saveAllCaptures");
    return waitFor([&] { return !result->property("saveMessage").toString().isEmpty(); });
}

// Dashboards of several records side by side, made with fixed inputs.
const char* dashboardsQml = R"(
import QtQuick
import QtQuick.Layouts
import Orvane.Common
import Orvane.Preview
Rectangle {
    color: Theme.window
    ColumnLayout {
        anchors.fill: parent; anchors.margins: Theme.spaceL; spacing: Theme.spaceM
        TeslaDashboardView { Layout.fillWidth: true; hasTelemetry: false; presentation: DashboardPresentation {} }
        TeslaDashboardView { Layout.fillWidth: true; presentation: DashboardPresentation {
            hasSample: true; gear: 1; speedMetersPerSecond: 17.2; sampleSteeringAngle: -30; leftBlinker: true
            acceleratorPercent: 35; autopilotState: 1 } }
        TeslaDashboardView { Layout.fillWidth: true; presentation: DashboardPresentation {
            hasSample: true; gear: 2; speedMetersPerSecond: -2.5; sampleSteeringAngle: 120; brakeApplied: true } }
        TeslaDashboardView { Layout.fillWidth: true; presentation: DashboardPresentation {
            hasSample: true; gear: 3; speedMetersPerSecond: 0.14; leftBlinker: true; rightBlinker: true } }
        TeslaDashboardView { Layout.fillWidth: true; presentation: DashboardPresentation {
            hasSample: true; gear: 7; speedMetersPerSecond: 33.4; acceleratorPercent: 150; autopilotState: 2 } }
        Item { Layout.fillHeight: true }
    }
})";

bool renderDashboards(QSize size, const QString& file) {
    QQmlEngine engine;
    ui::configureEngine(engine);
    QQmlComponent component(&engine);
    component.setData(dashboardsQml, QUrl(QStringLiteral("qrc:/screenshots/Dashboards.qml")));
    QQuickWindow window;
    std::unique_ptr<QObject> root(component.create());
    auto* item = qobject_cast<QQuickItem*>(root.get());
    if (!item)
        return false;
    item->setParentItem(window.contentItem());
    item->setSize(size);
    window.resize(size);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return false;
    QTest::qWait(settleMs);
    return window.grabWindow().save(file);
}

const std::vector<Scene>& scenes() {
    using F = const Fixtures&;
    const auto browse = &Fixtures::browseDrive, preview = &Fixtures::previewDrive;
    static const std::vector<Scene> all = {
        {"window-empty", nullptr, [](SceneApp&, F) { return true; }},
        {"window-browser", browse,
         [](SceneApp& a, F) {
             return a.thumbnailsSettled() &&
                    waitFor([&] { return a.vm->library()->hardBrakeCounts().isIdle(); });
         }},
        {"window-marks-filter", browse,
         [](SceneApp& a, F) {
             a.vm->library()->marksFilter()->setHardBrakesOnly(true);
             return waitFor([&] { return a.vm->library()->hardBrakeCounts().isIdle(); }) &&
                    a.thumbnailsSettled();
         }},
        {"window-calendar", &Fixtures::archiveDrive,
         [](SceneApp& a, F) {
             return a.ui->click(QStringLiteral("jumpToDayButton")) &&
                    a.ui->waitShown(QStringLiteral("footageCalendar"), stepTimeoutMs);
         }},
        {"window-reason-menu", &Fixtures::archiveDrive,
         [](SceneApp& a, F) {
             return a.ui->click(QStringLiteral("reasonFilterButton")) &&
                    a.ui->waitShown(QStringLiteral("reasonMenu"), stepTimeoutMs);
         }},
        {"window-reason-empty", &Fixtures::archiveDrive,
         [](SceneApp& a, F) {
             // A reason none of the saved events has, as after a category change.
             a.vm->library()->setReasonFilter(QStringLiteral("vehicle_auto_emergency_braking"));
             return a.ui->waitShown(QStringLiteral("showAllReasonsButton"), stepTimeoutMs);
         }},
        {"window-sentry-empty", browse,
         [](SceneApp& a, F) { return (a.vm->library()->selectCategory(ClipCategory::sentry), true); }},
        {"window-delete", browse,
         [](SceneApp& a, F) {
             if (!a.thumbnailsSettled())
                 return false;
             LibraryViewModel& library = *a.vm->library();
             library.startDeleteSelection();
             library.toggleDeleteEvent(library.eventsInSelectedCategoryList().at(0).id.toString());
             library.toggleDeleteEvent(library.eventsInSelectedCategoryList().at(2).id.toString());
             return a.ui->click(QStringLiteral("deleteSelectedButton")) &&
                    a.ui->waitShown(QStringLiteral("deleteConfirmation"), stepTimeoutMs);
         }},
        {"window-export", browse,
         [](SceneApp& a, F) {
             if (!a.opened(5, CameraAngle::front))
                 return false;
             a.vm->exporter()->startProcessing();
             return waitFor([&] { return a.vm->exporter()->exportProgress() > 0.3; });
         },
         true},
        {"window-result", browse, resultScene},
        {"window-drive-offer", browse,
         [](SceneApp& a, F) {
             // As the watcher reports a drive with footage just mounted.
             a.vm->drives()->drivesChanged({QStringLiteral("/media/user/TESLA USB")}, {});
             return a.thumbnailsSettled() && a.ui->waitShown(QStringLiteral("driveOffer"), stepTimeoutMs);
         }},
        {"window-about", browse,
         [](SceneApp& a, F) {
             return a.ui->shown(QStringLiteral("contentView"))->setProperty("showAboutSheet", true);
         }},
        {"window-update-alert", browse,
         [](SceneApp& a, F) {
             a.updater->checkForUpdates(true);
             return waitFor([&] { return a.updater->showUpdateAlert(); });
         }},
        {"window-updating", browse,
         [](SceneApp& a, F) {
             a.updater->checkForUpdates(true);
             if (!waitFor([&] { return a.updater->availableUpdate().has_value(); }))
                 return false;
             a.updater->startUpdate();
             return a.ui->waitShown(QStringLiteral("updatingOverlay"), stepTimeoutMs);
         }},
        {"window-error", browse,
         [](SceneApp& a, F f) {
             // A folder that holds no footage: the import's own message.
             a.vm->library()->importTeslaCamPaths({f.exportFolder});
             return a.ui->waitShown(QStringLiteral("errorAlert"), stepTimeoutMs);
         }},
        {"preview-single", preview, [](SceneApp& a, F f) { return previewScene(a, f, CameraAngle::front); }},
        {"preview-grid", preview, [](SceneApp& a, F f) { return previewScene(a, f, CameraAngle::all); }},
        {"preview-toast", preview,
         [](SceneApp& a, F f) {
             if (!previewScene(a, f, CameraAngle::front) || !a.previewAt(f.rangeStart))
                 return false;
             QMetaObject::invokeMethod(a.previewRange(), "recordStart");
             if (!a.previewAt(f.driveTime))
                 return false;
             QMetaObject::invokeMethod(a.previewRange(), "recordEnd");
             return true;
         }},
        {"preview-report-menu", preview,
         [](SceneApp& a, F f) {
             return previewScene(a, f, CameraAngle::front) && a.ui->click(QStringLiteral("reportButton")) &&
                    waitFor([&] {
                        return a.ui->named(QStringLiteral("reportMenu"))->property("opened").toBool();
                    });
         }},
        {"preview-six-grid", &Fixtures::sixCameraDrive,
         [](SceneApp& a, F) {
             return a.opened(0, CameraAngle::all) &&
                    waitFor([&] { return a.previewPage()->property("hasEventMoment").toBool(); });
         }},
        {"preview-encrypted", &Fixtures::encryptedDrive,
         [](SceneApp& a, F) {
             return a.opened(0, CameraAngle::front) &&
                    waitFor([&] { return !a.previewPage()->property("clipNotice").toString().isEmpty(); }) &&
                    driveRead(a);
         }},
        {"preview-unlock-sheet", &Fixtures::encryptedDrive,
         [](SceneApp& a, F) {
             return a.opened(0, CameraAngle::front) && a.ui->waitShown(QStringLiteral("unlockEventButton")) &&
                    a.ui->click(QStringLiteral("unlockEventButton")) &&
                    waitFor([&] { return a.vm->unlock()->isPresented(); });
         }},
        {"preview-unlocked-grid", &Fixtures::encryptedDrive,
         [](SceneApp& a, F) {
             if (!a.opened(0, CameraAngle::all) ||
                 !waitFor([&] { return !a.vm->preview()->lockedFiles().isEmpty(); }))
                 return false;
             a.vm->unlock()->present(a.vm->preview()->lockedFiles());
             a.vm->unlock()->unlock(sample::SampleKeyService::acceptedToken(), false);
             return waitFor([&] { return a.vm->preview()->lockedFiles().isEmpty() && a.previewReady(); }) &&
                    a.ui->waitShown(QStringLiteral("decryptedCopiesButton"));
         }},
        {"preview-damaged-playing", &Fixtures::damagedDrive,
         [](SceneApp& a, F) {
             if (!a.opened(0, CameraAngle::front))
                 return false;
             PreviewController* player = a.vm->preview()->activePreview();
             player->seekStep(0, 0, false);
             player->togglePlayPause();
             return waitFor(
                 [&] { return !a.previewPage()->property("playbackNotice").toString().isEmpty(); });
         }},
        {"window-damaged-result", &Fixtures::damagedDrive,
         [](SceneApp& a, F) {
             if (!a.opened(0, CameraAngle::front))
                 return false;
             a.vm->preview()->setExportRangeStart(0);
             a.vm->preview()->setExportRangeEnd(a.vm->preview()->activePreview()->duration());
             return a.exportedResult() != nullptr;
         }},
        // The map's tile server cannot be reached: the route on the plain background, no error.
        {"preview-map-offline", preview,
         [](SceneApp& a, F f) {
             a.vm->preview()->mapTiles()->setAddress(QStringLiteral("http://127.0.0.1:1/{z}/{x}/{y}.png"));
             return previewScene(a, f, CameraAngle::front) && waitFor([&] {
                        const auto* map = a.previewPage()->property("map").value<QObject*>();
                        return map->property("tilesUnreachable").toBool();
                    });
         }},
        // An export with the dashboard and the route map burned in, on its result page.
        {"export-map-result", preview,
         [](SceneApp& a, F f) {
             // The same export at every size: an earlier one's files would refuse it.
             for (const QFileInfo& done : QDir(f.exportFolder).entryInfoList({"SavedClips_*"}, QDir::Files))
                 QFile::remove(done.filePath());
             a.vm->exporter()->setShowDashboard(true);
             a.vm->exporter()->setShowMap(true);
             return a.opened(0, CameraAngle::front) && a.exportedResult();
         }},
        {"preview-no-camera", preview, [](SceneApp& a, F) { return a.opened(0, CameraAngle::leftPillar); }},
        {"preview-segments", preview,
         [](SceneApp& a, F f) {
             if (!previewScene(a, f, CameraAngle::front))
                 return false;
             a.vm->merge()->startSegmentMergeSelection();
             a.vm->merge()->toggleMergeSegment(a.vm->preview()->selectedTimestampKey().value_or(QString()));
             return a.vm->merge()->isSegmentMergeSelectionMode();
         }},
        {"merge-range", preview, [](SceneApp& a, F) { return mergeScene(a, false); }},
        {"merge-review", preview, [](SceneApp& a, F) { return mergeScene(a, true); }},
        {"dashboard-states", nullptr, nullptr},
    };
    return all;
}

// Runs `scene` in a window of `size` and saves the picture to `file`; false when the scene did
// not settle (the picture is still saved, for a look at what went wrong).
bool render(const Scene& scene, const Fixtures& fixtures, QSize size, const QString& file) {
    if (!scene.run)
        return renderDashboards(size, file);
    SceneApp app(fixtures, scene, size);
    if (!app.window)
        return false;
    const bool ready = (!scene.drive || app.imported(fixtures.*scene.drive)) && scene.run(app, fixtures);
    QTest::qWait(settleMs);
    app.window->grabWindow().save(file);
    return ready;
}

// What ctest reads as "skipped": the video needs an X server (run under xvfb-run).
constexpr int skipped = 77;

QSize parseSize(const QString& text) {
    const QStringList parts = text.split(QLatin1Char('x'));
    return parts.size() == 2 ? QSize(parts[0].toInt(), parts[1].toInt()) : QSize();
}

} // namespace
} // namespace orvane::screenshots

using namespace orvane::screenshots;

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fprintf(stderr, "no X server: run under xvfb-run\n");
        return skipped;
    }
    // A machine of the language shown, so the window looks as its users see it.
    qputenv("LC_ALL", "zh_CN.UTF-8");
    for (int i = 1; i + 1 < argc; ++i) {
        if (qstrcmp(argv[i], "--scheme") == 0)
            qputenv("ORVANE_COLOR_SCHEME", argv[i + 1]);
        if (qstrcmp(argv[i], "--language") == 0 && qstrcmp(argv[i + 1], "en") == 0)
            qputenv("LC_ALL", "en_US.UTF-8");
    }
    QGuiApplication app(argc, argv);
    QCommandLineParser options;
    options.addOptions(
        {{QStringLiteral("out"), QStringLiteral("Folder for the PNG files."), QStringLiteral("dir"),
          QStringLiteral("screenshots")},
         {QStringLiteral("scheme"), QStringLiteral("light or dark chrome."), QStringLiteral("scheme")},
         {QStringLiteral("language"), QStringLiteral("zh (the default) or en: texts and dates."),
          QStringLiteral("language"), QStringLiteral("zh")},
         {QStringLiteral("suffix"), QStringLiteral("Added to every file name."), QStringLiteral("text")},
         {QStringLiteral("sizes"), QStringLiteral("Window sizes."), QStringLiteral("list"),
          QStringLiteral("900x700,1920x1080")},
         {QStringLiteral("only"), QStringLiteral("Scenes to render."), QStringLiteral("list")}});
    options.process(app);
    orvane::AppLanguage::apply(options.value(QStringLiteral("language")) != QLatin1String("en"));
    const QString out = options.value(QStringLiteral("out"));
    QDir().mkpath(out);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);

    QTemporaryDir work;
    QElapsedTimer preparing;
    preparing.start();
    UpdateServer updateServer;
    // The encrypted event's keys, for the scenes after unlocking.
    orvane::sample::SampleKeyService keyService;
    qputenv(orvane::keys::serviceUrlVariable, keyService.url().toString().toUtf8());
    // Map tiles from this machine (plain ones), cached in the work folder.
    orvane::test::LoopbackHttpServer tileServer;
    qputenv("ORVANE_MAP_TILES", orvane::test::serveTiles(tileServer, QColor(0xee, 0xec, 0xe4)).toUtf8());
    qputenv("XDG_CACHE_HOME", QFile::encodeName(work.path() + QStringLiteral("/cache")));
    const Fixtures fixtures = makeFixtures(work.path(), updateServer.manifest());
    std::printf("sample footage ready (%lld ms)\n", preparing.elapsed());
    const QStringList only = options.isSet(QStringLiteral("only"))
                                 ? options.value(QStringLiteral("only")).split(QLatin1Char(','))
                                 : QStringList();
    int failures = 0;
    for (const QString& sizeText : options.value(QStringLiteral("sizes")).split(QLatin1Char(','))) {
        const QSize size = parseSize(sizeText);
        for (const Scene& scene : scenes()) {
            if (!only.isEmpty() && !only.contains(scene.name))
                continue;
            QElapsedTimer timer;
            timer.start();
            const QString file = QStringLiteral("%1/%2-%3x%4%5.png")
                                     .arg(out, scene.name)
                                     .arg(size.width())
                                     .arg(size.height())
                                     .arg(options.value(QStringLiteral("suffix")));
            const bool ready = render(scene, fixtures, size, file);
            std::printf("%s %s (%lld ms)\n", ready ? "wrote" : "NOT READY", qPrintable(file),
                        timer.elapsed());
            failures += ready ? 0 : 1;
        }
    }
    return failures == 0 ? 0 : 1;
}
