#include "DriveWatcher.h"

#include "DirectoryListing.h"
#include "FileName.h"
#include "VideoExportPreparer.h"

#include <QDBusConnection>
#include <QFile>
#include <QSet>
#include <QSocketNotifier>
#include <QThreadPool>
#include <fcntl.h>
#include <unistd.h>

namespace orvane {

namespace {
// Without a table that signals its changes, how often it is read: a drive is seen within this.
constexpr int pollMilliseconds = 1000;
const QString udisksService = QStringLiteral("org.freedesktop.UDisks2");
} // namespace

namespace DriveRules {

MountChanges compare(const QStringList& before, const QStringList& after) {
    const QSet<QString> was(before.begin(), before.end());
    const QSet<QString> is(after.begin(), after.end());
    MountChanges changes;
    for (const QString& point : after)
        if (!was.contains(point) && !changes.added.contains(point))
            changes.added << point;
    for (const QString& point : before)
        if (!is.contains(point) && !changes.removed.contains(point))
            changes.removed << point;
    return changes;
}

QString teslaCamFolder(const QString& mountPoint) {
    const QString name = QLatin1String(teslaCamFolderName);
    return mountPoint.endsWith(QLatin1Char('/')) ? mountPoint + name : mountPoint + QLatin1Char('/') + name;
}

Decision decide(const QStringList& arrivedWithTeslaCam, const QStringList& removed,
                const QStringList& openFolders) {
    const auto holdsOpen = [&](const QString& mountPoint) {
        return std::any_of(openFolders.begin(), openFolders.end(),
                           [&](const QString& folder) { return FileName::liesIn(folder, mountPoint); });
    };
    Decision decision;
    for (const QString& point : arrivedWithTeslaCam)
        if (!holdsOpen(point))
            decision.offers << teslaCamFolder(point);
    for (const QString& point : removed)
        if (holdsOpen(point))
            decision.removedOpen << point;
    return decision;
}

} // namespace DriveRules

DriveWatcher::DriveWatcher(QObject* parent, const QString& mountTable) : QObject(parent), table_(mountTable) {
    known_ = readMountPoints();
    lastRead_ = known_;
    tableFd_ = ::open(QFile::encodeName(table_).constData(), O_RDONLY | O_CLOEXEC);
    if (tableFd_ >= 0) {
        notifier_ = new QSocketNotifier(tableFd_, QSocketNotifier::Exception, this);
        connect(notifier_, &QSocketNotifier::activated, this, &DriveWatcher::reread);
    } else {
        poll_.setInterval(pollMilliseconds);
        connect(&poll_, &QTimer::timeout, this, &DriveWatcher::reread);
        poll_.start();
    }
    watchUdisks();
}

DriveWatcher::~DriveWatcher() {
    delete notifier_;
    if (tableFd_ >= 0)
        ::close(tableFd_);
}

void DriveWatcher::watchUdisks() {
    // A desktop without a system bus or without udisks2 has the mount table alone.
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected())
        return;
    bus.connect(udisksService, QString(), QStringLiteral("org.freedesktop.DBus.Properties"),
                QStringLiteral("PropertiesChanged"), this, SLOT(onUdisksChanged()));
    bus.connect(udisksService, QString(), QStringLiteral("org.freedesktop.DBus.ObjectManager"),
                QStringLiteral("InterfacesRemoved"), this, SLOT(onUdisksChanged()));
}

void DriveWatcher::onUdisksChanged() {
    reread();
}

QStringList DriveWatcher::readMountPoints() const {
    QFile file(table_);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList points;
    for (const MountEntry& mount : VolumeInfo::parseMountInfo(QString::fromUtf8(file.readAll())))
        if (VolumeInfo::locality(mount.fsType) != VolumeLocality::notLocal &&
            !points.contains(mount.mountPoint))
            points << mount.mountPoint;
    return points;
}

void DriveWatcher::reread() {
    const QStringList points = readMountPoints();
    if (points == lastRead_)
        return;
    lastRead_ = points;
    const DriveRules::MountChanges changes = DriveRules::compare(known_, points);
    // Looking into a drive just mounted may wait on the device: never on the interface thread.
    check_.run(
        QThreadPool::globalInstance(), this,
        [added = changes.added] {
            QStringList withTeslaCam;
            for (const QString& point : added)
                if (DirectoryListing::isDirectory(DriveRules::teslaCamFolder(point)))
                    withTeslaCam << point;
            return withTeslaCam;
        },
        [this, points, removed = changes.removed](const QStringList& withTeslaCam) {
            known_ = points;
            if (!withTeslaCam.isEmpty() || !removed.isEmpty())
                emit drivesChanged(withTeslaCam, removed);
        });
}

} // namespace orvane
