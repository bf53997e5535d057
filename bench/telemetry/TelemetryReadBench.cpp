// Reads the telemetry of a realistic 60 s front-camera file with a warm cache and compares it with
// `cat FILE > /dev/null` in the same run. Prints one figure per line.
//
// usage: telemetry_read_bench [FILE] [--size WxH] [--runs N]
// Without FILE, a 60 s, 36 fps front clip (2896x1876 unless --size) is written once by the sample
// drive under the build folder's bench-data and reused.

#include "TeslaTelemetryReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTextStream>
#include <algorithm>
#include <chrono>
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <vector>

extern char** environ;

using namespace orvane;
using Clock = std::chrono::steady_clock;

namespace {

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
}

long peakKiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// `cat FILE > /dev/null`, timed from spawn to exit.
double timeCat(const QByteArray& path) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    char* argv[] = {const_cast<char*>("cat"), const_cast<char*>(path.constData()), nullptr};
    const auto start = Clock::now();
    pid_t pid = 0;
    int status = 0;
    if (posix_spawnp(&pid, "cat", &actions, nullptr, argv, environ) != 0 || waitpid(pid, &status, 0) != pid ||
        !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        qFatal("cat failed");
    const double elapsed = seconds(Clock::now() - start);
    posix_spawn_file_actions_destroy(&actions);
    return elapsed;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QStringList args = app.arguments().mid(1);
    QString file, size = QStringLiteral("2896x1876");
    int runs = 15;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--size") && i + 1 < args.size())
            size = args[++i];
        else if (args[i] == QLatin1String("--runs") && i + 1 < args.size())
            runs = std::max(1, args[++i].toInt());
        else
            file = args[i];
    }
    if (file.isEmpty()) {
        QDir().mkpath(QStringLiteral(ORVANE_BENCH_DATA_DIR));
        file = QStringLiteral(ORVANE_BENCH_DATA_DIR "/front-60s-%1.mp4").arg(size);
        if (!QFileInfo::exists(file)) {
            QTextStream(stderr) << "writing " << file << " (takes a few minutes)\n";
            const int rc = QProcess::execute(
                QStringLiteral(ORVANE_SAMPLE_DRIVE_PATH),
                {QStringLiteral("--clip"), QStringLiteral("front"), QStringLiteral("--size"), size,
                 QStringLiteral("--minute-seconds"), QStringLiteral("60"), file});
            if (rc != 0)
                qFatal("the sample drive failed");
        }
    }
    const QByteArray path = QFile::encodeName(file);

    // Warm the cache for both.
    timeCat(path);
    const long peakBefore = peakKiB();
    size_t samples = TeslaTelemetryReader::read(file).size();

    std::vector<double> readTimes, catTimes;
    for (int i = 0; i < runs; ++i) {
        const auto start = Clock::now();
        samples = TeslaTelemetryReader::read(file).size();
        readTimes.push_back(seconds(Clock::now() - start));
        catTimes.push_back(timeCat(path));
    }
    const double read = median(readTimes), cat = median(catTimes);

    out << "file: " << file << "\n";
    out << "file size: " << QFileInfo(file).size() / 1e6 << " MB\n";
    out << "samples: " << samples << "\n";
    out << "runs: " << runs << "\n";
    out << "read median: " << read * 1e3 << " ms\n";
    out << "cat median: " << cat * 1e3 << " ms\n";
    out << "ratio read/cat: " << read / cat << "\n";
    out << "samples per second: " << qint64(samples / read) << "\n";
    out << "peak memory before reading: " << peakBefore << " KiB\n";
    out << "peak memory: " << peakKiB() << " KiB\n";
    return 0;
}
