#include "SingleInstance.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <csignal>
#include <optional>
#include <unistd.h>

namespace orvane::SingleInstance {

namespace {

// How often terminate looks whether the processes have gone.
constexpr std::chrono::milliseconds pollInterval{50};
// The kernel's mark on the link of an executable that was deleted or replaced while running.
const QString deletedSuffix = QStringLiteral(" (deleted)");

QString processFolder(const ProcessFilter& filter, qint64 pid) {
    return filter.procRoot + QLatin1Char('/') + QString::number(pid);
}

// The real user id from the "Uid:" line of /proc/<pid>/status.
std::optional<uint> realUserId(const QString& folder) {
    QFile status(folder + QStringLiteral("/status"));
    if (!status.open(QIODevice::ReadOnly))
        return std::nullopt;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (!line.startsWith("Uid:"))
            continue;
        const QList<QByteArray> fields = line.mid(4).simplified().split(' ');
        bool ok = false;
        const uint uid = fields.value(0).toUInt(&ok);
        return ok ? std::optional(uid) : std::nullopt;
    }
    return std::nullopt;
}

QString executableFileName(const QString& folder) {
    QString target = QFile::symLinkTarget(folder + QStringLiteral("/exe"));
    if (target.endsWith(deletedSuffix))
        target.chop(deletedSuffix.size());
    return QFileInfo(target).fileName();
}

} // namespace

bool isInstance(const ProcessFilter& filter, qint64 pid) {
    const QString folder = processFolder(filter, pid);
    // Only a process's own user may read its executable link, and a finished one has none.
    if (executableFileName(folder) != filter.executable)
        return false;
    return realUserId(folder) == filter.userId;
}

QList<qint64> findInstances(const ProcessFilter& filter, qint64 ownPid) {
    QList<qint64> found;
    const QStringList names = QDir(filter.procRoot).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        bool numeric = false;
        const qint64 pid = name.toLongLong(&numeric);
        if (numeric && pid > 0 && pid != ownPid && isInstance(filter, pid))
            found << pid;
    }
    std::sort(found.begin(), found.end());
    return found;
}

QList<qint64> terminate(const ProcessFilter& filter, const QList<qint64>& pids,
                        std::chrono::milliseconds grace) {
    for (const qint64 pid : pids)
        ::kill(pid_t(pid), SIGTERM);
    QList<qint64> running = pids;
    const auto deadline = std::chrono::steady_clock::now() + grace;
    while (true) {
        running.removeIf([&](qint64 pid) { return !isInstance(filter, pid); });
        if (running.isEmpty() || std::chrono::steady_clock::now() >= deadline)
            break;
        QThread::msleep(pollInterval.count());
    }
    // Checked again just before: a process id freed meanwhile may belong to someone else now.
    for (const qint64 pid : running)
        if (isInstance(filter, pid))
            ::kill(pid_t(pid), SIGKILL);
    return running;
}

void terminateExistingInstances() {
    ProcessFilter filter;
    filter.userId = ::getuid();
    const QList<qint64> others = findInstances(filter, ::getpid());
    if (!others.isEmpty())
        terminate(filter, others);
}

} // namespace orvane::SingleInstance
