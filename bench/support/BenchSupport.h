#pragma once
// What every benchmark measures with: order statistics, the process's peak memory, waiting on the
// event loop for a condition, and the frame pattern on screen. Main thread of a benchmark only.

#include "FramePattern.h"
#include "SampleDrive.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

class QVideoSink;

namespace orvane::bench {

inline constexpr int defaultWaitMs = 30000;

double median(std::vector<double> values);
double worst(const std::vector<double>& values);
// The value below which a fraction `q` (0..1) of the values lie (nearest rank).
double percentile(std::vector<double> values, double q);

// The process's own high-water mark (VmHWM): getrusage's maximum would also count the process
// this one was started from.
long peakRssMegabytes();
long peakRssKilobytes();
long residentMegabytes();
// The resident pages that are the process's own (RssAnon): no file maps them.
long privateMegabytes();
// The largest peak of the processes this one started that have finished and been waited for.
long childrenPeakRssKilobytes();
// Seconds of processor time this process and its finished children have used.
double processorSeconds();
// The resident memory split into the process's own (and how much of it malloc has handed out)
// and pages mapped from files, which other processes share and the system can drop.
QString memoryBreakdown();

// Runs the event loop until `done`, measuring the longest gap between 5 ms heartbeats: the
// longest time the interface thread could not answer.
struct Heartbeat {
    double longestGapMs = 0;
    bool runUntil(const std::function<bool()>& done, int timeoutMs = defaultWaitMs);
};

bool waitFor(const std::function<bool()>& done, int timeoutMs = defaultWaitMs);
// Runs the event loop for `ms` milliseconds.
void runFor(int ms);

// The library events of the large drive by default (--events N changes it; 5,000 is a year kept
// by an archiving tool, 300,000 files).
inline constexpr int largeDriveEvents = 200;
// 200 recent minutes and `events` events of 9 minutes, six cameras: 12,000 empty camera files for
// 200 events.
QString writeLargeDrive(const QString& root, int events = largeDriveEvents);
// Real footage of a newer car (front 2896 × 1876, the others 1448 × 938, 60-second minutes) in
// `folder`/TeslaCam: a saved event of two minutes and one of one minute, written once.
QString realFootageDrive(const QString& folder);
// Writes the drive `spec` describes unless an earlier run completed it; returns its root.
QString writeDriveOnce(const sample::DriveSpec& spec);

// The options the application benchmarks share: --folder DIR (footage written once and reused),
// --runs N, --play SECONDS, --memory-only (the process of its own that measures peak memory),
// --events N, --minutes N (a long row's length) and --map hidden|shown (one grid row alone).
struct Options {
    QString folder;
    int runs = 5;
    double playSeconds = 4;
    bool memoryOnly = false;
    int events = largeDriveEvents;
    int minutes = 0;  // 0: the row's own length
    QString map = {}; // empty: both
};
Options parseOptions(const QStringList& arguments, Options defaults);
// Runs this program again with --memory-only and the same folder and play time; its output
// goes to this one's.
void runMemoryOnlyProcess(const Options& options);

// The frame pattern of the sample footage in the frame a sink shows.
std::optional<sample::FramePattern> shownPattern(QVideoSink& sink);

} // namespace orvane::bench
