#include "BenchSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTimer>
#include <QVideoFrame>
#include <QVideoSink>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

namespace orvane::bench {

namespace {

constexpr int heartbeatMs = 5;

long statusKilobytes(const QByteArray& field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').first().toLong();
    return 0;
}

} // namespace

double median(std::vector<double> values) {
    return percentile(std::move(values), 0.5);
}

double worst(const std::vector<double>& values) {
    return values.empty() ? NAN : *std::max_element(values.begin(), values.end());
}

double percentile(std::vector<double> values, double q) {
    if (values.empty())
        return NAN;
    std::sort(values.begin(), values.end());
    const double rank = std::clamp(q, 0.0, 1.0) * double(values.size() - 1);
    return values[size_t(std::lround(rank))];
}

long peakRssMegabytes() {
    return peakRssKilobytes() / 1024;
}

long peakRssKilobytes() {
    return statusKilobytes("VmHWM:");
}

long residentMegabytes() {
    return statusKilobytes("VmRSS:") / 1024;
}

long privateMegabytes() {
    return statusKilobytes("RssAnon:") / 1024;
}

long childrenPeakRssKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_maxrss;
}

double processorSeconds() {
    double total = 0;
    for (const int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        getrusage(who, &usage);
        total += double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                 double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
    return total;
}

QString memoryBreakdown() {
    constexpr long kbPerMb = 1024;
    const struct mallinfo2 heap = mallinfo2();
    return QStringLiteral("private %1 MB (malloc in use %2 MB), file-backed %3 MB (libraries, fonts)")
        .arg(privateMegabytes())
        .arg(long(heap.uordblks + heap.hblkhd) / (kbPerMb * kbPerMb))
        .arg((statusKilobytes("RssFile:") + statusKilobytes("RssShmem:")) / kbPerMb);
}

bool Heartbeat::runUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    qint64 last = clock.nsecsElapsed();
    QTimer beat;
    beat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&beat, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        longestGapMs = std::max(longestGapMs, double(now - last) / 1e6);
        last = now;
    });
    beat.start(heartbeatMs);
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        // Blocks until something happens (at the latest the next heartbeat): a busy loop here
        // would take a core from the work measured.
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
        // No event loop runs here (events are processed from main), and outside one Qt never
        // deletes what deleteLater released; the program's own loop does, so this does too.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    return true;
}

bool waitFor(const std::function<bool()>& done, int timeoutMs) {
    Heartbeat heartbeat;
    return heartbeat.runUntil(done, timeoutMs);
}

void runFor(int ms) {
    waitFor([] { return false; }, ms);
}

QString writeLargeDrive(const QString& root, int events) {
    sample::DriveSpec spec = sample::exampleDrive(root, sample::CarLayout::sixCamera, 1, 60);
    spec.contentFree = true;
    spec.recentMinutes = 200;
    sample::useHourlyEvents(spec, events, 9);
    sample::writeDrive(spec);
    return root;
}

QString writeDriveOnce(const sample::DriveSpec& spec) {
    const QString complete = spec.root + QStringLiteral("/.complete");
    if (QFile::exists(complete))
        return spec.root;
    QDir(spec.root).removeRecursively();
    std::printf("writing footage into %s (once, it takes a while)...\n", qPrintable(spec.root));
    std::fflush(stdout);
    sample::writeDrive(spec);
    QFile(complete).open(QIODevice::WriteOnly);
    return spec.root;
}

QString realFootageDrive(const QString& folder) {
    sample::DriveSpec spec =
        sample::exampleDrive(folder + QStringLiteral("/TeslaCam"), sample::CarLayout::sixCamera, 1, 60);
    spec.recentMinutes = 0;
    spec.events.resize(1);
    spec.events[0].minutes = 2;
    sample::EventSpec second = spec.events[0];
    second.startTime += 3 * 3600;
    second.minutes = 1;
    spec.events.push_back(second);
    return writeDriveOnce(spec);
}

Options parseOptions(const QStringList& arguments, Options options) {
    for (int i = 1; i + 1 < arguments.size(); ++i) { // options with a value
        if (arguments[i] == QLatin1String("--folder"))
            options.folder = arguments[++i];
        else if (arguments[i] == QLatin1String("--runs"))
            options.runs = std::max(1, arguments[++i].toInt());
        else if (arguments[i] == QLatin1String("--play"))
            options.playSeconds = std::max(1.0, arguments[++i].toDouble());
        else if (arguments[i] == QLatin1String("--events"))
            options.events = std::max(1, arguments[++i].toInt());
        else if (arguments[i] == QLatin1String("--minutes"))
            options.minutes = std::max(1, arguments[++i].toInt());
        else if (arguments[i] == QLatin1String("--map"))
            options.map = arguments[++i];
    }
    options.memoryOnly = arguments.contains(QStringLiteral("--memory-only"));
    QDir().mkpath(options.folder);
    return options;
}

void runMemoryOnlyProcess(const Options& options) {
    std::fflush(stdout);
    QProcess memory;
    memory.setProcessChannelMode(QProcess::ForwardedChannels);
    memory.start(QCoreApplication::applicationFilePath(),
                 {QStringLiteral("--folder"), options.folder, QStringLiteral("--play"),
                  QString::number(options.playSeconds), QStringLiteral("--events"),
                  QString::number(options.events), QStringLiteral("--memory-only")});
    memory.waitForFinished(-1);
}

std::optional<sample::FramePattern> shownPattern(QVideoSink& sink) {
    QVideoFrame frame = sink.videoFrame();
    if (!frame.isValid() || !frame.map(QVideoFrame::ReadOnly))
        return std::nullopt;
    auto pattern =
        sample::FramePattern::read(frame.bits(0), frame.bytesPerLine(0), frame.width(), frame.height());
    frame.unmap();
    return pattern;
}

} // namespace orvane::bench
