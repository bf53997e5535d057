// Drives the real window and prints one figure per line:
//  - process start -> window shown: the Orvane program started as a user starts it, until its
//    render loop reports the first frame (Qt's render-loop timing log);
//  - scrolling the browser of a 200-event library (real thumbnails) end to end and back: the
//    longest and the 95th-percentile gap between frames, and the longest interface-thread stall;
//  - clicking an event card -> its first video frame on screen, single camera and grid;
//  - the grid playing at 1x with the dashboard, the route map hidden and shown: video frames dropped,
//    GUI frame interval p95, processor time;
//  - peak memory, grid playing with the dashboard (a process of its own that does only that);
//  - a long session (--only soak [--minutes N], 30 by default): events of a six-camera and a
//    four-camera drive opened one after another, the grid played, one camera and back, a short
//    export now and then, back to the library; resident memory after the first event, every
//    minute and at the end, and the high-water mark; the process's own (private) memory beside the
//    pages mapped from files, and the largest of each in each step of the session.
// usage: xvfb-run -a -s "-screen 0 1920x1080x24" orvane-bench-ui [--folder DIR] [--runs N] [--play SECONDS]
//                      [--only startup|scroll|grid|soak] [--events N] [--minutes N]   (--only scroll
//                      --events 5000: a year's archive of content-free files)
// (footage is written once into DIR and reused)

#include "AppMessages.h"
#include "BenchSupport.h"
#include "ExportViewModel.h"
#include "HardwareDecoding.h"
#include "LibraryViewModel.h"
#include "MainViewModel.h"
#include "MainWindowConfigurator.h"
#include "MainWindowLoader.h"
#include "MultiCameraPreviewController.h"
#include "OrvaneApp.h"
#include "OrvaneModules.h"
#include "PreviewViewModel.h"
#include "ProcessMemory.h"
#include "SampleDrive.h"
#include "VideoPreviewController.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QQmlApplicationEngine>
#include <QQuickItem>
#include <QQuickWindow>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVideoFrame>
#include <QVideoSink>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <sys/resource.h>
#include <vector>

using namespace orvane;
using namespace orvane::bench;

namespace {

constexpr int scrollTickMs = 16;    // one wheel step per 60 Hz frame
constexpr double scrollStepPx = 48; // about 3,000 px/s: a fast drag through the library
constexpr int settleMs = 1500;      // the first screen's thumbnails and the window's first layout
constexpr int startupRuns = 5;
constexpr int startupTimeoutMs = 20000;
// The goals each figure is printed with.
constexpr int startupGoalMs = 300;
constexpr int scrollGapGoalMs = 40;
constexpr int scrollStallGoalMs = 30;
constexpr int singleFirstFrameGoalMs = 250;
constexpr int gridFirstFrameGoalMs = 400;
constexpr int windowFpsGoal = 36; // the footage's own rate
constexpr int frameIntervalGoalMs = 30;
constexpr int droppedGoalPercent = 2;
constexpr int peakMemoryGoalMb = 400;

qint64 nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Every frame the window puts on screen, as the render thread reports it.
class FrameClock {
public:
    explicit FrameClock(QQuickWindow& window) {
        connection_ = QObject::connect(
            &window, &QQuickWindow::frameSwapped, &window,
            [this] {
                std::lock_guard lock(mutex_);
                times_.push_back(nowNs());
            },
            Qt::DirectConnection);
    }
    ~FrameClock() { QObject::disconnect(connection_); }

    std::vector<qint64> since(qint64 start) const {
        std::lock_guard lock(mutex_);
        std::vector<qint64> out;
        for (qint64 t : times_)
            if (t >= start)
                out.push_back(t);
        return out;
    }
    // Gaps between consecutive frames from `start`, in milliseconds.
    std::vector<double> gapsSince(qint64 start) const {
        const auto t = since(start);
        std::vector<double> gaps;
        for (size_t i = 1; i < t.size(); ++i)
            gaps.push_back(double(t[i] - t[i - 1]) / 1e6);
        return gaps;
    }

private:
    mutable std::mutex mutex_;
    std::vector<qint64> times_;
    QMetaObject::Connection connection_;
};

// Items of views made by loaders and delegates are found through the visual tree, not the
// object tree.
QQuickItem* findItem(QQuickItem* root, const QString& name) {
    if (root->objectName() == name)
        return root;
    for (QQuickItem* child : root->childItems())
        if (QQuickItem* found = findItem(child, name))
            return found;
    return nullptr;
}

void visualItems(QQuickItem* root, std::vector<QQuickItem*>& out) {
    out.push_back(root);
    for (QQuickItem* child : root->childItems())
        visualItems(child, out);
}

// The window as the program opens it, over its own application state.
struct Window {
    OrvaneApp app;
    QQmlApplicationEngine engine;
    QQuickWindow* window = nullptr;
    std::unique_ptr<FrameClock> frames;

    Window() {
        window = ui::loadMainWindow(engine, app.viewModel(), app.updateController());
        if (!window)
            qFatal("the main window could not be loaded");
        frames = std::make_unique<FrameClock>(*window);
        ui::MainWindowConfigurator::present(*window);
        if (!QTest::qWaitForWindowExposed(window))
            qFatal("the main window was not shown");
    }
    MainViewModel& vm() { return app.viewModel(); }
    QQuickItem* find(const QString& name) { return findItem(window->contentItem(), name); }
    void importAndWait(const QString& root) {
        vm().library()->importTeslaCamPaths({root});
        waitFor([&] { return !vm().library()->isImporting(); });
        runFor(settleMs);
    }
};

std::vector<QVideoSink*> visibleVideoSinks(QQuickWindow& window) {
    std::vector<QVideoSink*> sinks;
    std::vector<QQuickItem*> items;
    visualItems(window.contentItem(), items);
    for (QQuickItem* item : items)
        if (qstrcmp(item->metaObject()->className(), "QQuickVideoOutput") == 0 && item->isVisible())
            if (auto* sink = item->property("videoSink").value<QVideoSink*>())
                sinks.push_back(sink);
    return sinks;
}

// The Orvane program from its start until its render loop reports the first frame.
void benchStartup() {
    std::vector<double> times;
    for (int run = 0; run < startupRuns; ++run) {
        QTemporaryDir home;
        QProcess orvane;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("qt.scenegraph.time.renderloop=true"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path());
        env.insert(QStringLiteral("XDG_DATA_HOME"), home.path());
        orvane.setProcessEnvironment(env);
        QElapsedTimer clock;
        bool shown = false;
        QObject::connect(&orvane, &QProcess::readyReadStandardError, [&] {
            if (orvane.readAllStandardError().contains("rendered") && !shown) {
                shown = true;
                times.push_back(double(clock.nsecsElapsed()) / 1e6);
            }
        });
        clock.start();
        orvane.start(QStringLiteral(ORVANE_PROGRAM_PATH), {});
        if (!waitFor([&] { return shown || orvane.state() == QProcess::NotRunning; }, startupTimeoutMs) ||
            !shown)
            std::printf("start-up run %d: no frame (%s)\n", run, qPrintable(orvane.errorString()));
        orvane.terminate();
        if (!orvane.waitForFinished(5000))
            orvane.kill();
        orvane.waitForFinished(-1);
    }
    std::printf(
        "process start -> window shown, median: %.0f ms, worst: %.0f ms over %d runs (target <= %d)\n",
        median(times), worst(times), startupRuns, startupGoalMs);
}

// Scrolls the browser from its top to its end and back at a fast, steady pace.
void benchScroll(Window& w, const QString& root) {
    w.importAndWait(root);
    auto* list = w.find("eventSections");
    if (!list) {
        std::printf("scroll: the event list was not found\n");
        return;
    }
    std::printf("scroll: %d events in the opened category\n",
                w.vm().library()->eventsInSelectedCategory()->count());
    const auto top = [&] { return list->property("originY").toDouble(); };
    const auto bottom = [&] {
        return top() + std::max(0.0, list->property("contentHeight").toDouble() - list->height());
    };
    double direction = 1;
    int passes = 0;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const double y = list->property("contentY").toDouble() + direction * scrollStepPx;
        const double clamped = std::clamp(y, top(), bottom());
        list->setProperty("contentY", clamped);
        if ((direction > 0 && clamped >= bottom()) || (direction < 0 && clamped <= top())) {
            direction = -direction;
            ++passes;
        }
    });
    const qint64 start = nowNs();
    Heartbeat heartbeat;
    tick.start(scrollTickMs);
    heartbeat.runUntil([&] { return passes >= 2; }, 120000);
    tick.stop();
    const auto gaps = w.frames->gapsSince(start);
    std::printf("scrolling end to end and back (%.1f s): frames %zu, worst gap between frames %.1f ms "
                "(target <= %d), p95 %.1f ms; longest interface-thread stall %.1f ms (target <= %d)\n",
                double(nowNs() - start) / 1e9, gaps.size() + 1, worst(gaps), scrollGapGoalMs,
                percentile(gaps, 0.95), heartbeat.longestGapMs, scrollStallGoalMs);
}

// Clicks the card of `eventID`; milliseconds until `cells` video outputs have a frame and that
// frame has been put on screen.
double openByClick(Window& w, const QUuid& eventID, size_t cells) {
    auto* card = w.find(QStringLiteral("eventCard_") + eventID.toString(QUuid::WithoutBraces));
    if (!card)
        return NAN;
    const QPoint centre = card->mapToScene(QPointF(card->width() / 2, card->height() / 3)).toPoint();
    const qint64 start = nowNs();
    QTest::mouseClick(w.window, Qt::LeftButton, {}, centre);
    qint64 presented = 0;
    const bool ok = waitFor([&] {
        if (!presented) {
            const auto sinks = visibleVideoSinks(*w.window);
            if (sinks.size() >= cells && std::all_of(sinks.begin(), sinks.end(),
                                                     [](QVideoSink* s) { return s->videoFrame().isValid(); }))
                presented = nowNs();
            return false;
        }
        return !w.frames->since(presented).empty();
    });
    if (!ok)
        return NAN;
    return double(w.frames->since(presented).front() - start) / 1e6;
}

void backToBrowser(Window& w) {
    w.vm().preview()->closeEventPreview();
    waitFor([&] {
        auto* l = w.find("eventSections");
        return l && l->isVisible();
    });
    runFor(300);
}

void benchOpen(Window& w, int runs) {
    const auto& saved = w.vm().library()->eventsByCategory().at(ClipCategory::saved);
    for (const auto& [camera, cells] : std::vector<std::pair<QString, size_t>>{{"front", 1}, {"all", 4}}) {
        w.vm().preview()->setCameraFilter(*Camera::fromRawValue(camera));
        std::vector<double> times;
        for (int run = 0; run < runs; ++run) {
            times.push_back(openByClick(w, saved[size_t(run) % saved.size()].id, cells));
            backToBrowser(w);
        }
        std::printf(
            "click a card -> first frame on screen, %s, median: %.0f ms, worst: %.0f ms (target <= %d)\n",
            cells == 1 ? "single camera" : "grid", median(times), worst(times),
            cells == 1 ? singleFirstFrameGoalMs : gridFirstFrameGoalMs);
    }
}

// Seconds of processor time this process has used, all threads.
double cpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Plays the grid at 1x with the dashboard showing; counts the frames each cell skipped (gaps in
// the frame numbers drawn into the footage) and the gaps between window frames.
void benchGridPlayback(Window& w, double seconds) {
    const auto& saved = w.vm().library()->eventsByCategory().at(ClipCategory::saved);
    w.vm().preview()->setCameraFilter(CameraAngle::all);
    if (std::isnan(openByClick(w, saved.front().id, 4))) {
        std::printf("grid playback: the grid did not open\n");
        return;
    }
    const auto sinks = visibleVideoSinks(*w.window);
    std::map<QVideoSink*, std::vector<int>> shown;
    std::mutex mutex;
    for (QVideoSink* sink : sinks)
        QObject::connect(
            sink, &QVideoSink::videoFrameChanged, sink,
            [&, sink] {
                if (const auto p = shownPattern(*sink)) {
                    std::lock_guard lock(mutex);
                    shown[sink].push_back(p->frameIndex);
                }
            },
            Qt::DirectConnection);
    const qint64 start = nowNs();
    const double cpuBefore = cpuSeconds();
    w.vm().preview()->multiCameraPreview()->togglePlayPause();
    runFor(int(seconds * 1000));
    w.vm().preview()->multiCameraPreview()->togglePlayPause();
    const double cpuPercent = 100.0 * (cpuSeconds() - cpuBefore) / seconds;
    for (QVideoSink* sink : sinks)
        QObject::disconnect(sink, &QVideoSink::videoFrameChanged, sink, nullptr);
    long expected = 0, dropped = 0;
    for (auto& [sink, frames] : shown) {
        for (size_t i = 1; i < frames.size(); ++i)
            if (frames[i] > frames[i - 1])
                dropped += frames[i] - frames[i - 1] - 1;
        if (!frames.empty())
            expected += frames.back() - frames.front() + 1;
    }
    const auto gaps = w.frames->gapsSince(start);
    std::printf(
        "grid with dashboard%s at 1x for %.0f s: %ld of %ld video frames dropped (%.2f %%, target <= %d %%); "
        "window frames %.0f per second (target >= %d), interval p95 %.1f ms (target <= %d), worst %.1f ms; "
        "processor %.0f %% of one core; resident %ld MB; decoding: %s\n",
        w.vm().preview()->mapShown() ? " and route map" : "", seconds, dropped, expected,
        expected ? 100.0 * double(dropped) / double(expected) : NAN, droppedGoalPercent,
        double(gaps.size()) / seconds, windowFpsGoal, percentile(gaps, 0.95), frameIntervalGoalMs,
        worst(gaps), cpuPercent, residentMegabytes(),
        qPrintable(media::HardwareDecoding::describe(media::HardwareDecoding::lastPreviewPath())));
}

// The grid played with the route map hidden, then shown: what the panel costs (each in a window of
// its own, so neither inherits the other's caches). `only` ("hidden" or "shown") plays one of them,
// so that each resident figure is a process of its own.
void benchGridWithAndWithoutMap(const QString& real, double seconds, const QString& only = {}) {
    for (const bool map : {false, true}) {
        if (!only.isEmpty() && only != QLatin1String(map ? "shown" : "hidden"))
            continue;
        Window w;
        w.importAndWait(real);
        w.vm().preview()->setMapShown(map);
        benchGridPlayback(w, seconds);
    }
}

// --- The soak: a long session of opening, playing, switching and exporting ---

constexpr int soakDefaultMinutes = 30;
constexpr int soakGridPlayMs = 4000;    // the grid plays a few seconds after each opening
constexpr int soakCameraPlayMs = 2000;  // each camera switch plays this long
constexpr int soakExportEvery = 3;      // one opening in three exports (the first one too)
constexpr double soakExportSeconds = 3; // a short range, about the moment on screen
constexpr int soakExportTimeoutMs = 300000;
constexpr int soakLibraryMs = 2000; // a look at the library before the next event
constexpr int soakReportEverySeconds = 60;
constexpr double soakGrowthGoal = 0.10;    // resident at the end within 10 % of after the first event
constexpr int soakMemoryGoalMb = 400;      // never above: the high-water mark
constexpr int soakFourCameraDaysLater = 7; // the older car's events after the newer car's
constexpr double soakFourCameraMinuteSeconds = 20;

// An older car's drive of four cameras beside the newer car's six: the grid changes its layout
// as the session goes from one to the other.
QString fourCameraDrive(const QString& folder) {
    sample::DriveSpec spec = sample::exampleDrive(
        folder + QStringLiteral("/TeslaCam"), sample::CarLayout::fourCamera, 1, soakFourCameraMinuteSeconds);
    spec.recentMinutes = 0;
    for (sample::EventSpec& event : spec.events)
        event.startTime += soakFourCameraDaysLater * 86400;
    return writeDriveOnce(spec);
}

// Samples the resident and the private memory every few milliseconds on its own thread and keeps
// the largest of each seen in each phase of the session the interface thread names.
class PhaseMemory {
public:
    PhaseMemory() : sampler_([this] { run(); }) {}
    ~PhaseMemory() {
        stop_ = true;
        sampler_.join();
    }
    void enter(const char* phase) { phase_ = phase; }
    long largestPrivateMb() {
        std::lock_guard lock(mutex_);
        long largest = 0;
        for (const auto& [phase, mb] : largest_)
            largest = std::max(largest, mb.second);
        return largest;
    }
    void print() {
        std::lock_guard lock(mutex_);
        std::string line = "    largest resident (private) by phase:";
        for (const auto& [phase, mb] : largest_)
            line += " " + phase + " " + std::to_string(mb.first) + " (" + std::to_string(mb.second) + ") MB,";
        line.back() = '\n';
        std::fputs(line.c_str(), stdout);
    }

private:
    static constexpr auto samplePeriod = std::chrono::milliseconds(20);
    void run() {
        while (!stop_) {
            const long resident = residentMegabytes(), own = privateMegabytes();
            {
                std::lock_guard lock(mutex_);
                auto& [largestResident, largestPrivate] = largest_[phase_.load()];
                largestResident = std::max(largestResident, resident);
                largestPrivate = std::max(largestPrivate, own);
            }
            std::this_thread::sleep_for(samplePeriod);
        }
    }
    std::atomic<const char*> phase_{"start"};
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::map<std::string, std::pair<long, long>> largest_; // resident, private
    std::thread sampler_;
};

struct SoakState {
    SoakState(Window& window, std::vector<TeslaClipEvent> list) : w(window), events(std::move(list)) {}

    PhaseMemory phases;

    Window& w;
    QTemporaryDir exports;
    std::vector<TeslaClipEvent> events;
    int openings = 0;
    int exported = 0;
    QStringList troubles; // steps that did not complete, each said once
    long afterFirstMb = 0;
    long afterFirstPrivateMb = 0;
    long maxResidentMb = 0;

    void trouble(const QString& what) {
        if (!troubles.contains(what))
            troubles.push_back(what);
    }
};

void printMemory(const char* when, SoakState& s) {
    std::printf("soak %s: resident %ld MB, high-water %ld MB (%d events opened, %d exports)\n", when,
                residentMegabytes(), peakRssMegabytes(), s.openings, s.exported);
    std::printf("    %s\n", qPrintable(memoryBreakdown()));
    s.phases.print();
    std::fflush(stdout);
}

// Waits until `cells` visible video outputs show a picture.
bool picturesShown(Window& w, size_t cells) {
    return waitFor([&] {
        const auto sinks = visibleVideoSinks(*w.window);
        return sinks.size() >= cells && std::all_of(sinks.begin(), sinks.end(),
                                                    [](QVideoSink* s) { return s->videoFrame().isValid(); });
    });
}

void playFor(PreviewController& player, int ms) {
    if (!player.isPlaying())
        player.togglePlayPause();
    runFor(ms);
    if (player.isPlaying())
        player.togglePlayPause();
}

// Scrolls the library so that `card` is in view, as a user would before clicking it.
void scrollIntoView(Window& w, QQuickItem* card) {
    auto* list = w.find("eventSections");
    if (!card || !list)
        return;
    const double y = card->mapToItem(list, QPointF(0, 0)).y();
    if (y >= 0 && y + card->height() <= list->height())
        return;
    const double top = list->property("originY").toDouble();
    const double bottom = top + std::max(0.0, list->property("contentHeight").toDouble() - list->height());
    list->setProperty("contentY", std::clamp(list->property("contentY").toDouble() + y, top, bottom));
    runFor(settleMs);
}

// Opens `event` from its card, the grid showing.
void openEvent(SoakState& s, const TeslaClipEvent& event) {
    s.w.vm().library()->selectCategory(event.category);
    const QString card = QStringLiteral("eventCard_") + event.id.toString(QUuid::WithoutBraces);
    waitFor([&] { return s.w.find(card) != nullptr; });
    scrollIntoView(s.w, s.w.find(card));
    if (std::isnan(openByClick(s.w, event.id, 4))) {
        s.trouble(QStringLiteral("an event's grid did not show (its card, or its pictures)"));
        s.w.vm().preview()->selectEvent(event);
        picturesShown(s.w, 4);
    }
}

// One camera alone, then the grid again.
void switchCameras(SoakState& s) {
    PreviewViewModel& preview = *s.w.vm().preview();
    preview.switchCameraFilter(QStringLiteral("front"));
    if (!picturesShown(s.w, 1))
        s.trouble(QStringLiteral("the front camera did not show"));
    playFor(*preview.activePreview(), soakCameraPlayMs);
    preview.switchCameraFilter(QStringLiteral("all"));
    if (!picturesShown(s.w, 4))
        s.trouble(QStringLiteral("the grid did not show again"));
    playFor(*preview.activePreview(), soakCameraPlayMs);
}

// Exports a few seconds of the grid from the moment on screen, then deletes what it wrote.
void exportShortRange(SoakState& s) {
    PreviewViewModel& preview = *s.w.vm().preview();
    ExportViewModel& exporter = *s.w.vm().exporter();
    const double from =
        std::max(0.0, std::min(preview.activeTime(), preview.activeDuration() - soakExportSeconds));
    preview.setExportRangeStart(from);
    preview.setExportRangeEnd(from + soakExportSeconds);
    exporter.startProcessing();
    waitFor([&] { return !exporter.isProcessing(); }, soakExportTimeoutMs);
    if (exporter.hasExportResult())
        ++s.exported;
    else
        s.trouble(QStringLiteral("an export failed: ") + s.w.vm().messages()->errorMessage());
    exporter.clearExportResult();
    preview.clearExportRange();
    for (const QFileInfo& file : QDir(s.exports.path()).entryInfoList(QDir::Files))
        QFile::remove(file.absoluteFilePath());
}

void soakCycle(SoakState& s) {
    const TeslaClipEvent& event = s.events[size_t(s.openings) % s.events.size()];
    s.phases.enter("open");
    openEvent(s, event);
    s.phases.enter("grid");
    playFor(*s.w.vm().preview()->activePreview(), soakGridPlayMs);
    s.phases.enter("switch");
    switchCameras(s);
    s.phases.enter("export");
    if (s.openings % soakExportEvery == 0)
        exportShortRange(s);
    s.phases.enter("back");
    backToBrowser(s.w);
    s.phases.enter("library");
    runFor(soakLibraryMs);
    ++s.openings;
    s.maxResidentMb = std::max(s.maxResidentMb, residentMegabytes());
}

std::vector<TeslaClipEvent> allEvents(LibraryViewModel& library) {
    std::vector<TeslaClipEvent> events;
    for (const auto& [category, list] : library.eventsByCategory())
        events.insert(events.end(), list.begin(), list.end());
    return events;
}

void printSoakVerdict(SoakState& s, int minutes) {
    const long endMb = residentMegabytes(), peakMb = peakRssMegabytes();
    const double growth = s.afterFirstMb ? double(endMb - s.afterFirstMb) / double(s.afterFirstMb) : NAN;
    const bool pass =
        std::abs(growth) <= soakGrowthGoal && peakMb <= soakMemoryGoalMb && s.troubles.isEmpty();
    std::printf("soak %d min, %d events opened, %d exports: resident after the first event %ld MB, at the "
                "end %ld MB (%+.1f %%, target within %.0f %%), largest sampled %ld MB, high-water %ld MB "
                "(target <= %d): %s\n",
                minutes, s.openings, s.exported, s.afterFirstMb, endMb, 100 * growth, 100 * soakGrowthGoal,
                s.maxResidentMb, peakMb, soakMemoryGoalMb, pass ? "PASS" : "MISS");
    std::printf("soak private memory: after the first event %ld MB, at the end %ld MB, largest sampled %ld MB\n",
                s.afterFirstPrivateMb, privateMegabytes(), s.phases.largestPrivateMb());
    for (const QString& trouble : s.troubles)
        std::printf("soak trouble: %s\n", qPrintable(trouble));
}

// Opens the events one after another for `minutes`: the grid plays, one camera and the grid again,
// now and then a short export; back to the library each time.
void benchSoak(const QStringList& drives, int minutes) {
    // The session's settings (camera, export folder) stay out of the user's own.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    Window w;
    w.vm().library()->importTeslaCamPaths(drives);
    waitFor([&] { return !w.vm().library()->isImporting(); });
    runFor(settleMs);
    SoakState s(w, allEvents(*w.vm().library()));
    std::printf("soak: %zu events, %d minutes\n", s.events.size(), minutes);
    w.vm().preview()->setCameraFilter(CameraAngle::all);
    w.vm().exporter()->setExportQuality(QStringLiteral("balanced"));
    w.vm().exporter()->setCustomOutputDirectoryPath(s.exports.path());
    QElapsedTimer clock;
    clock.start();
    soakCycle(s);
    s.afterFirstMb = residentMegabytes();
    s.afterFirstPrivateMb = privateMegabytes();
    printMemory("after the first event", s);
    qint64 nextReport = soakReportEverySeconds * 1000LL;
    while (clock.elapsed() < minutes * 60000LL) {
        soakCycle(s);
        if (clock.elapsed() >= nextReport) {
            printMemory(qPrintable(QStringLiteral("at %1 min").arg(clock.elapsed() / 60000)), s);
            nextReport += soakReportEverySeconds * 1000LL;
        }
    }
    printMemory("at the end", s);
    printSoakVerdict(s, minutes);
}

QString thumbnailDrive(const QString& folder, int events) {
    // Small real footage: each event's thumbnail decodes a real picture. A larger library (a year's
    // archive, --events 5000) is content-free: writing that much footage would take hours.
    sample::DriveSpec spec = sample::exampleDrive(folder + QStringLiteral("/TeslaCam-%1").arg(events),
                                                  sample::CarLayout::fourCamera, 0.25, 2);
    spec.recentMinutes = 0;
    spec.contentFree = events > largeDriveEvents;
    sample::useHourlyEvents(spec, events, 1);
    return writeDriveOnce(spec);
}

} // namespace

int main(int argc, char** argv) {
    ProcessMemory::limitHeaps(); // as the program does
    QGuiApplication application(argc, argv);
    const Options options = parseOptions(
        application.arguments(), {QDir::tempPath() + QStringLiteral("/orvane-bench-ui"), 5, 20, false});
    const QString& folder = options.folder;
    const double playSeconds = options.playSeconds;
    const QString library = thumbnailDrive(folder + QStringLiteral("/library"), options.events);
    const QString real = realFootageDrive(folder + QStringLiteral("/real60"));

    // --only startup|scroll|grid|soak: that figure alone (the scroll --runs times), to compare one change.
    const qsizetype only = application.arguments().indexOf(QStringLiteral("--only"));
    const QString part = only > 0 ? application.arguments().value(only + 1) : QString();
    if (!part.isEmpty()) {
        if (part == QLatin1String("startup")) {
            benchStartup();
        } else if (part == QLatin1String("grid")) {
            benchGridWithAndWithoutMap(real, playSeconds, options.map);
        } else if (part == QLatin1String("soak")) {
            benchSoak({real, fourCameraDrive(folder + QStringLiteral("/soak4"))},
                      options.minutes > 0 ? options.minutes : soakDefaultMinutes);
        } else if (part == QLatin1String("scroll")) {
            for (int run = 0; run < options.runs; ++run) {
                Window w;
                benchScroll(w, library);
            }
        } else {
            std::printf("--only takes startup, scroll, grid or soak, not \"%s\"\n", qPrintable(part));
            return 2;
        }
        return 0;
    }
    if (options.memoryOnly) {
        Window w;
        w.importAndWait(real);
        benchGridPlayback(w, playSeconds);
        std::printf("peak memory, grid playing with the dashboard: %ld MB (target <= %d)\n",
                    peakRssMegabytes(), peakMemoryGoalMb);
        return 0;
    }
    benchStartup();
    {
        Window w;
        benchScroll(w, library);
    }
    {
        Window w;
        w.importAndWait(real);
        benchOpen(w, options.runs);
    }
    benchGridWithAndWithoutMap(real, playSeconds);
    runMemoryOnlyProcess(options);
    return 0;
}
