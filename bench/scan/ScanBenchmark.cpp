// Scans a large drive (60 recent minutes, 200 saved/sentry events of 10 minutes unless --events says, six
// cameras) and compares it with `find ROOT -name '*.mp4'` over the same tree, warm cache.
//
// usage: orvane-bench-scan [ROOT] [RUNS] [--events N]   (without ROOT a content-free drive of N
// events, 200 unless said, is made in /tmp; 5,000 is a year's archive of 300,000 files)

#include "BenchSupport.h"
#include "MetadataParser.h"
#include "SampleDrive.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdio>
#include <vector>

using namespace orvane;
using bench::median;

namespace {

double timeCommand(const QString& program, const QStringList& args) {
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    p.waitForFinished(-1);
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir tmp;
    QStringList args = app.arguments().mid(1);
    int events = bench::largeDriveEvents;
    if (const qsizetype at = args.indexOf(QStringLiteral("--events")); at >= 0 && at + 1 < args.size()) {
        events = std::max(1, args[at + 1].toInt());
        args.remove(at, 2);
    }
    QString root = args.value(0);
    const int runs = args.size() > 1 ? std::max(1, args[1].toInt()) : 15;
    if (root.isEmpty()) {
        root = tmp.path() + QStringLiteral("/TeslaCam");
        sample::DriveSpec spec = sample::exampleDrive(root, sample::CarLayout::sixCamera, 1, 60);
        spec.contentFree = true;
        spec.recentMinutes = 60;
        sample::useHourlyEvents(spec, events, 10);
        const QStringList files = sample::writeDrive(spec);
        out << "drive: " << files.size() << " files (content-free) under " << root << "\n";
    }
    const long selfBefore = bench::peakRssKilobytes();

    // Warm the cache for both.
    timeCommand(QStringLiteral("find"), {root, QStringLiteral("-name"), QStringLiteral("*.mp4")});
    size_t eventCount = 0;
    for (const auto& [category, events] : MetadataParser::scanLibrary({root}))
        eventCount += events.size();

    std::vector<double> find, scan, cli;
    for (int i = 0; i < runs; ++i) {
        find.push_back(
            timeCommand(QStringLiteral("find"), {root, QStringLiteral("-name"), QStringLiteral("*.mp4")}));
        QElapsedTimer t;
        t.start();
        const auto library = MetadataParser::scanLibrary({root});
        scan.push_back(t.nsecsElapsed() / 1e6);
        cli.push_back(timeCommand(QStringLiteral(ORVANE_CLI_PATH), {QStringLiteral("scan"), root}));
    }
    const double f = median(find), s = median(scan), c = median(cli);
    out << "events: " << eventCount << "\n";
    out << "find_ms: " << QString::number(f, 'f', 2) << "\n";
    out << "scan_in_process_ms: " << QString::number(s, 'f', 2) << "\n";
    out << "orvane_cli_scan_ms: " << QString::number(c, 'f', 2) << "\n";
    out << "ratio_scan_vs_find: " << QString::number(s / f, 'f', 2) << "\n";
    out << "ratio_cli_vs_find: " << QString::number(c / f, 'f', 2) << "\n";
    out << "peak_rss_self_kb: " << bench::peakRssKilobytes() << " (before scanning: " << selfBefore << ")\n";
    out << "peak_rss_children_kb: " << bench::childrenPeakRssKilobytes() << " (largest of find / orvane-cli)\n";
    return 0;
}
