#pragma once
// Keeps one Orvane running per user: finds the user's other Orvane processes and asks them to
// quit, forcing only those still running after a grace period. Interface thread, at start-up
// before any window (terminate blocks for up to the grace period); the scans may run anywhere.

#include <QList>
#include <QString>
#include <chrono>

namespace orvane::SingleInstance {

// The file name of the window's executable; other programs are never touched.
inline const QString executableName = QStringLiteral("Orvane");
// How long a running copy gets to cancel its export and clean up before it is forced.
inline constexpr std::chrono::milliseconds quitGracePeriod{2000};

struct ProcessFilter {
    QString procRoot = QStringLiteral("/proc");
    uint userId = 0;
    QString executable = executableName;
};

// Whether process `pid` under the filter's /proc tree belongs to its user (the real user id)
// and runs an executable of its file name. An executable replaced on disk while it runs
// ("… (deleted)") still counts; a process that has ended or cannot be read does not.
bool isInstance(const ProcessFilter& filter, qint64 pid);

// Every such process except `ownPid`, in ascending order.
QList<qint64> findInstances(const ProcessFilter& filter, qint64 ownPid);

// Sends SIGTERM to each, waits until none is an instance any more or `grace` has passed, then
// sends SIGKILL to those that still are. Returns the processes that had to be forced.
QList<qint64> terminate(const ProcessFilter& filter, const QList<qint64>& pids,
                        std::chrono::milliseconds grace = quitGracePeriod);

// The whole rule for this process: the current user's other Orvane copies are asked to quit.
void terminateExistingInstances();

} // namespace orvane::SingleInstance
