// Drives the main view model as the screens do and prints one figure per line:
//  - importing a 12,000-file drive (content-free): the longest interface-thread stall seen by a
//    5 ms heartbeat, and the import's time against the in-process scan alone;
//  - opening an event until its first frame is presented (single camera and grid), and a camera
//    change keeping the time until the new camera's frame at that time is presented;
//  - the dashboard: telemetry of a minute ready after it starts playing, and the distance
//    between the record shown and the frame on screen;
//  - the process's peak memory with the 200-event library loaded and the grid playing.
// usage: orvane-bench-app [--folder DIR] [--runs N] [--play SECONDS] [--events N]
//        [--import-only]   (--memory-only: the last figure; --import-only --events 5000: the import
//        and memory of a year's library alone)
// (real footage is written once into DIR and reused)

#include "AppMessages.h"
#include "BenchSupport.h"
#include "LibraryViewModel.h"
#include "MainViewModel.h"
#include "MetadataParser.h"
#include "MultiCameraPreviewController.h"
#include "PreviewViewModel.h"
#include "SampleDrive.h"
#include "TelemetryTimeline.h"
#include "TeslaTelemetryReader.h"
#include "VideoPreviewController.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QSet>
#include <QThread>
#include <QTimer>
#include <QVideoFrame>
#include <QVideoSink>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <unistd.h>
#include <vector>

using namespace orvane;
using namespace orvane::bench;

namespace {

constexpr int fps = 36;
// A 60 Hz display's interval, at which a window takes what it draws.
constexpr int displaySyncMs = 16;

void benchImport(const QString& root, int runs) {
    std::vector<double> scans, imports, stalls;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer t;
        t.start();
        const auto events = MetadataParser::scanLibrary({root});
        scans.push_back(t.nsecsElapsed() / 1e6);

        MainViewModel vm;
        Heartbeat heartbeat;
        t.restart();
        vm.library()->importTeslaCamPaths({root});
        if (!heartbeat.runUntil([&] { return !vm.library()->isImporting(); })) {
            std::printf("import did not finish\n");
            return;
        }
        imports.push_back(t.nsecsElapsed() / 1e6);
        stalls.push_back(heartbeat.longestGapMs);
        if (run == 0)
            std::printf("import: %d events in the opened category, status \"%s\"\n",
                        vm.library()->eventsInSelectedCategory()->count(),
                        qPrintable(vm.messages()->statusMessage()));
    }
    std::printf("scan alone (in process), median: %.1f ms\n", median(scans));
    std::printf("import through the view model, median: %.1f ms\n", median(imports));
    std::printf("import / scan: %.2f x (target <= 1.3)\n", median(imports) / median(scans));
    std::printf("longest gap between 5 ms heartbeats during import, worst of %d: %.1f ms (target <= 50)\n",
                runs, worst(stalls));
}

// Sinks attached as the preview page attaches them: one for the single view, four for the grid.
struct Screens {
    QVideoSink single;
    std::array<QVideoSink, 4> cells;
    explicit Screens(MainViewModel& vm) {
        vm.preview()->videoPreview()->setVideoSink(&single);
        for (int i = 0; i < 4; ++i)
            vm.preview()->multiCameraPreview()->setVideoSink(i, &cells[size_t(i)]);
    }
};

// Milliseconds from `action` until every sink has had a new frame satisfying `wanted`.
double untilPresented(std::vector<QVideoSink*> sinks, const std::function<bool(QVideoSink&)>& wanted,
                      const std::function<void()>& action) {
    std::vector<bool> seen(sinks.size(), false);
    std::vector<QMetaObject::Connection> connections;
    for (size_t i = 0; i < sinks.size(); ++i)
        connections.push_back(QObject::connect(sinks[i], &QVideoSink::videoFrameChanged, [&, i] {
            if (wanted(*sinks[i]))
                seen[i] = true;
        }));
    QElapsedTimer t;
    t.start();
    action();
    const bool ok = waitFor([&] { return std::all_of(seen.begin(), seen.end(), [](bool b) { return b; }); });
    const double ms = t.nsecsElapsed() / 1e6;
    for (auto& c : connections)
        QObject::disconnect(c);
    return ok ? ms : NAN;
}

std::vector<QVideoSink*> gridSinks(Screens& s) {
    return {&s.cells[0], &s.cells[1], &s.cells[2], &s.cells[3]};
}

void benchSelection(MainViewModel& vm, Screens& screens, int runs) {
    PreviewViewModel& preview = *vm.preview();
    const LibraryViewModel& library = *vm.library();
    const auto& saved = library.eventsByCategory().at(ClipCategory::saved);
    const auto any = [](QVideoSink& s) { return s.videoFrame().isValid(); };
    for (const char* camera : {"front", "back"}) {
        preview.setCameraFilter(*Camera::fromRawValue(QString::fromLatin1(camera)));
        std::vector<double> times;
        for (int run = 0; run < runs; ++run)
            times.push_back(untilPresented({&screens.single}, any,
                                           [&] { preview.selectEvent(saved[size_t(run) % saved.size()]); }));
        std::printf(
            "open event -> first frame, single %s camera, median: %.0f ms, worst: %.0f ms (target <= 250)\n",
            camera, median(times), worst(times));
    }
    preview.setCameraFilter(CameraAngle::all);
    std::vector<double> times;
    for (int run = 0; run < runs; ++run)
        times.push_back(untilPresented(gridSinks(screens), any,
                                       [&] { preview.selectEvent(saved[size_t(run) % saved.size()]); }));
    std::printf(
        "open event -> first frame in all four grid cells, median: %.0f ms, worst: %.0f ms (target <= 400)\n",
        median(times), worst(times));
}

// Switches cameras while paused at times inside a frame; a camera shown before in the same minute
// still has its file open (the hidden player only pauses), a new one must open it.
void benchCameraChange(MainViewModel& vm, Screens& screens) {
    PreviewViewModel& preview = *vm.preview();
    const LibraryViewModel& library = *vm.library();
    preview.setCameraFilter(CameraAngle::front);
    preview.selectEvent(library.eventsByCategory().at(ClipCategory::saved).front());
    waitFor([&] { return preview.videoPreview()->duration() > 0 && !preview.videoPreview()->isLoading(); });
    const QStringList sequence = {"back", "all",           "back",  "all", "front",
                                  "all",  "left_repeater", "front", "all"};
    // What is still open: the grid once shown (hidden, it only pauses) and the last single camera.
    bool gridOpen = false;
    QString singleOpen = QStringLiteral("front");
    std::vector<double> opened, reused;
    for (int run = 0; run < sequence.size(); ++run) {
        const double t = 3.0 + run + 0.5 / fps; // inside a frame, not on its edge
        const int expected = int(std::floor(t * fps));
        const auto atTime = [expected](QVideoSink& s) {
            const auto p = shownPattern(s);
            return p && p->frameIndex == expected;
        };
        const bool grid = preview.isGrid();
        untilPresented(grid ? gridSinks(screens) : std::vector<QVideoSink*>{&screens.single}, atTime, [&] {
            if (grid)
                preview.multiCameraPreview()->seekAll(t, false);
            else
                preview.videoPreview()->seek(t);
        });
        const QString next = sequence[run];
        const bool toGrid = next == QLatin1String("all");
        const double ms =
            untilPresented(toGrid ? gridSinks(screens) : std::vector<QVideoSink*>{&screens.single}, atTime,
                           [&] { preview.switchCameraFilter(next); });
        const bool reuse = toGrid ? gridOpen : next == singleOpen;
        (reuse ? reused : opened).push_back(ms);
        if (toGrid)
            gridOpen = true;
        else
            singleOpen = next;
        std::printf("camera change keeping the time, %s -> %s (%s): %.0f ms\n", grid ? "all" : "single",
                    qPrintable(next), reuse ? "file already open" : "opens the file", ms);
    }
    std::printf(
        "camera change keeping the time -> that time's frame on screen, worst: %.0f ms opening the file, "
        "%.0f ms with it open (target <= 300)\n",
        worst(opened), worst(reused));
}

// Plays each minute of the open event; measures when its telemetry is ready and how far the
// record shown is from the frame on screen.
void benchTelemetry(MainViewModel& vm, Screens& screens, double playSeconds) {
    PreviewViewModel& preview = *vm.preview();
    const LibraryViewModel& library = *vm.library();
    preview.setCameraFilter(CameraAngle::front);
    preview.selectEvent(library.eventsByCategory().at(ClipCategory::saved).back());
    waitFor([&] { return preview.videoGroups()->count() > 0 && !preview.isLoadingEvent(); });
    // As the preview page feeds its timeline: the active player's time, again on a file change.
    TelemetryTimeline timeline;
    timeline.setSegmentSource(&preview);
    QObject::connect(preview.videoPreview(), &VideoPreviewController::currentTimeChanged, &timeline,
                     [&] { timeline.setCurrentTime(preview.videoPreview()->currentTime()); });
    QObject::connect(&preview, &PreviewViewModel::selectedVideoChanged, &timeline,
                     [&] { timeline.update(preview.videoPreview()->currentTime()); });
    std::vector<double> afterChoice, afterPlay, distance;
    std::vector<std::pair<qint64, int>> shownPairs; // the record's frame number, the frame on screen
    // A window draws what the interface thread holds at its 60 Hz sync: compare the two there.
    QTimer sync;
    sync.setTimerType(Qt::PreciseTimer);
    sync.setInterval(displaySyncMs);
    QObject::connect(&sync, &QTimer::timeout, [&] {
        const auto p = shownPattern(screens.single);
        const auto sample = timeline.currentSample();
        if (p && sample && preview.videoPreview()->isPlaying())
            shownPairs.emplace_back(qint64(sample->frameSequenceNumber.value_or(0)), p->frameIndex);
    });
    sync.start();
    for (int row = preview.videoGroups()->count() - 1; row >= 0; --row) {
        shownPairs.clear();
        QElapsedTimer chosen;
        chosen.start();
        preview.selectVideoGroup(
            preview.videoGroups()
                ->data(preview.videoGroups()->index(row), VideoGroupListModel::GroupKeyRole)
                .toString());
        waitFor(
            [&] { return preview.videoPreview()->duration() > 0 && !preview.videoPreview()->isLoading(); });
        const double playAt = chosen.nsecsElapsed() / 1e6;
        preview.videoPreview()->togglePlayPause();
        waitFor([&] { return timeline.hasTelemetry(); });
        afterChoice.push_back(chosen.nsecsElapsed() / 1e6);
        afterPlay.push_back(std::max(0.0, afterChoice.back() - playAt));
        runFor(int(playSeconds * 1000));
        preview.videoPreview()->togglePlayPause();
        // The file's first frame number, read afterwards so it cannot help the timeline.
        const auto samples = TeslaTelemetryReader::read(preview.selectedVideo()->url);
        const qint64 first = samples.empty() ? 0 : qint64(samples.front().frameSequenceNumber.value_or(0));
        for (const auto& [sequence, frame] : shownPairs)
            distance.push_back(std::abs(double(sequence - first - frame)));
    }
    std::sort(distance.begin(), distance.end());
    std::printf(
        "telemetry of a minute ready after it starts playing, worst of %zu: %.0f ms (target <= 100)\n",
        afterPlay.size(), worst(afterPlay));
    std::printf("telemetry of a minute ready after the minute is chosen, worst: %.0f ms\n",
                worst(afterChoice));
    std::printf("dashboard record vs frame on screen at each 60 Hz sync, frames apart: median %.0f, "
                "99th percentile %.0f, worst %.0f over %zu syncs (target <= 1)\n",
                median(distance),
                distance.empty() ? NAN : distance[size_t(0.99 * double(distance.size() - 1))],
                worst(distance), distance.size());
}

void benchMemory(const QString& largeRoot, const QString& realRoot, double playSeconds) {
    MainViewModel vm;
    PreviewViewModel& preview = *vm.preview();
    LibraryViewModel& library = *vm.library();
    Screens screens(vm);
    library.importTeslaCamPaths({largeRoot, realRoot});
    waitFor([&] { return !library.isImporting(); });
    std::printf("memory in use with the library imported: %ld MB\n", residentMegabytes());
    preview.setCameraFilter(CameraAngle::all);
    for (const TeslaClipEvent& e : library.eventsByCategory().at(ClipCategory::saved))
        if (e.folderURL.startsWith(realRoot))
            preview.selectEvent(e);
    waitFor([&] {
        return preview.multiCameraPreview()->duration() > 0 && !preview.multiCameraPreview()->isLoading();
    });
    preview.multiCameraPreview()->togglePlayPause();
    runFor(int(playSeconds * 1000));
    std::printf("library: %zu saved, %zu sentry events; grid played %.0f s\n",
                library.eventsByCategory().at(ClipCategory::saved).size(),
                library.eventsByCategory().at(ClipCategory::sentry).size(), playSeconds);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const Options options =
        parseOptions(app.arguments(), {QDir::tempPath() + QStringLiteral("/orvane-bench-app"), 7, 4, false});
    const QString& folder = options.folder;
    const int runs = options.runs;
    const double playSeconds = options.playSeconds;
    const QString large = writeLargeDrive(folder + QStringLiteral("/large/TeslaCam"), options.events);
    // The library's figures alone, without writing real footage (a year's archive: --events 5000).
    if (app.arguments().contains(QStringLiteral("--import-only"))) {
        benchImport(large, runs);
        std::printf("peak memory with the %d-event library imported: %ld MB (target <= 400)\n",
                    options.events, peakRssMegabytes());
        QDir(folder + QStringLiteral("/large")).removeRecursively();
        return 0;
    }
    const QString real = realFootageDrive(folder + QStringLiteral("/real60"));

    // The memory figure comes from a process of its own that does only that.
    if (options.memoryOnly) {
        benchMemory(large, real, playSeconds);
        std::printf(
            "peak memory with the %d-event library loaded and the grid playing: %ld MB (target <= 400)\n",
            options.events, peakRssMegabytes());
        return 0;
    }
    benchImport(large, runs);
    {
        MainViewModel vm;
        Screens screens(vm);
        vm.library()->importTeslaCamPaths({real});
        waitFor([&] { return !vm.library()->isImporting(); });
        benchSelection(vm, screens, runs);
        benchCameraChange(vm, screens);
        benchTelemetry(vm, screens, playSeconds);
    }
    runMemoryOnlyProcess(options);
    QDir(folder + QStringLiteral("/large")).removeRecursively();
    return 0;
}
