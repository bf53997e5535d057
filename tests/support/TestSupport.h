#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <optional>
#include <string>

namespace orvane::test {

// A temporary folder removed at the end of the test; paths are made under it.
class TempFolder {
public:
    TempFolder();
    QString path() const { return dir_.path(); }
    // Absolute path of `relative` under the folder (not created).
    QString operator/(const QString& relative) const { return dir_.path() + QLatin1Char('/') + relative; }
    // Creates the folder `relative` (with parents) and returns its path.
    QString makeFolder(const QString& relative) const;
    // Writes `content` into `relative`, creating parent folders; returns its path.
    QString writeFile(const QString& relative, const QByteArray& content = {}) const;

private:
    QTemporaryDir dir_;
};

// Sets an environment variable (or removes it, given none) for the object's life, and restores it.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::optional<QByteArray>& value)
        : name_(name), had_(qEnvironmentVariableIsSet(name)), old_(qgetenv(name)) {
        if (value)
            qputenv(name, *value);
        else
            qunsetenv(name);
    }
    ~ScopedEnvironment() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

// Sets TZ, for the C library too, for the object's life.
class ScopedTimeZone {
public:
    explicit ScopedTimeZone(const char* zone) {
        tz_.emplace("TZ", QByteArray(zone));
        tzset();
    }
    ~ScopedTimeZone() {
        tz_.reset();
        tzset();
    }

private:
    std::optional<ScopedEnvironment> tz_;
};

// Processes events until `done` holds or `timeoutMs` passes; returns whether it held.
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000);

// Seconds since 1970 UTC of a proleptic Gregorian date and time (days from civil, after
// Howard Hinnant): the expected instants of time tests, computed without the code under test.
constexpr double utcSeconds(int y, int mo, int d, int h, int mi, int s) {
    y -= mo <= 2;
    const int era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (mo + (mo > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    const long days = long(era) * 146097 + long(doe) - 719468;
    return double(days) * 86400 + h * 3600 + mi * 60 + s;
}

QString makeFifo(const QString& path);
// Binds a Unix socket at `path` (left behind as a socket file); false when it cannot.
bool makeSocket(const QString& path);
// The id of a process that has ended (and been reaped).
qint64 endedProcessId();
// Every entry of a folder, hidden and special ones included, but for the runtime folder Qt makes
// in TMPDIR when XDG_RUNTIME_DIR is not set.
QStringList entries(const QString& folder);
// SHA-256 of a file's content in hex; empty when it cannot be read.
QByteArray digest(const QString& path);

// Runs `call` on another thread. When it has not returned after a few seconds it is taken as
// blocked on `fifo`, which this side then opens (both ways, draining it) so the call can end;
// false is returned.
bool returnsPromptly(const std::function<void()>& call, const QString& fifo);

// Runs a program and returns its standard output; nothing when it cannot start or fails.
std::optional<QByteArray> runProgram(const QString& program, const QStringList& arguments,
                                     int* exitCode = nullptr, QByteArray* standardError = nullptr);

// Removes what Qt cannot see (names that are not UTF-8) before the temporary folder goes.
struct RemovedByBytes {
    QString folder;
    ~RemovedByBytes() { runProgram(QStringLiteral("rm"), {QStringLiteral("-rf"), folder}); }
};

} // namespace orvane::test
