#pragma once
// Notices drives mounted and unmounted while the program runs, and which new ones hold a TeslaCam
// folder at their root. Interface thread only; the look into a new drive runs on the file pool.

#include "LatestRequest.h"

#include <QObject>
#include <QStringList>
#include <QTimer>

class QSocketNotifier;

namespace orvane {

namespace DriveRules {

inline constexpr const char* teslaCamFolderName = "TeslaCam";

// The mount points `after` has that `before` lacks, and those it lost.
struct MountChanges {
    QStringList added;
    QStringList removed;
};
MountChanges compare(const QStringList& before, const QStringList& after);

// The folder at a drive's root where the car keeps its footage.
QString teslaCamFolder(const QString& mountPoint);

struct Decision {
    QStringList offers;      // TeslaCam folders of drives just mounted and not open yet
    QStringList removedOpen; // mount points gone that held folders of the library
};
// `arrivedWithTeslaCam`: mount points new since the last look whose root holds a TeslaCam folder;
// `removed`: mount points gone; `openFolders`: the folders of the library shown.
Decision decide(const QStringList& arrivedWithTeslaCam, const QStringList& removed,
                const QStringList& openFolders);

} // namespace DriveRules

// The mount table is watched itself: the kernel marks /proc/self/mountinfo readable with POLLPRI on
// every change. udisks2, where the system bus has it, wakes the watcher as well; without a table to
// watch it is read every second. Local file systems only: a network mount is never looked into.
class DriveWatcher : public QObject {
    Q_OBJECT

public:
    // The mounts present now are the starting point: only later ones are reported.
    explicit DriveWatcher(QObject* parent = nullptr,
                          const QString& mountTable = QStringLiteral("/proc/self/mountinfo"));
    ~DriveWatcher() override;

    // Reads the table again now (the kernel's and udisks2's wake-ups call it).
    void reread();

signals:
    void drivesChanged(const QStringList& arrivedWithTeslaCam, const QStringList& removed);

private slots:
    void onUdisksChanged();

private:
    QStringList readMountPoints() const;
    void watchUdisks();

    QString table_;
    int tableFd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    QTimer poll_;
    QStringList known_;    // the mount points last reported
    QStringList lastRead_; // the mount points last read, reported or still being looked into
    LatestRequest check_;
};

} // namespace orvane
