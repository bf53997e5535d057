#include "DriveOffer.h"

#include "AppMessages.h"
#include "DriveWatcher.h"
#include "ExportViewModel.h"
#include "FileName.h"
#include "LibraryViewModel.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace orvane {

DriveOffer::DriveOffer(LibraryViewModel& library, ExportViewModel& exporter, AppMessages& messages,
                       QObject* parent)
    : QObject(parent), library_(library), exporter_(exporter), messages_(messages) {
    // Opened another way (dropped, chosen, handed over): no longer offered.
    connect(&library_, &LibraryViewModel::libraryReplaced, this, [this] {
        if (offered() && DriveRules::decide({offeredDrive_}, {}, library_.importedFolders()).offers.isEmpty())
            setOffer({}, {});
    });
}

QString DriveOffer::nameOf(const QString& mountPoint) {
    const QString name = QFileInfo(mountPoint).fileName();
    return FileName::display(name.isEmpty() ? mountPoint : name);
}

void DriveOffer::drivesChanged(const QStringList& arrivedWithTeslaCam, const QStringList& removed) {
    if (offered() && std::any_of(removed.begin(), removed.end(),
                                 [this](const QString& point) { return point == offeredDrive_; }))
        setOffer({}, {});
    const DriveRules::Decision decision =
        DriveRules::decide(arrivedWithTeslaCam, removed, library_.importedFolders());
    for (const QString& point : decision.removedOpen)
        driveRemoved(point);
    // Of several drives at once, the last one mounted.
    if (!decision.offers.isEmpty()) {
        const QString folder = decision.offers.last();
        setOffer(QFileInfo(folder).path(), folder);
    }
}

void DriveOffer::open() {
    if (!offered())
        return;
    const QString folder = offeredFolder_;
    setOffer({}, {});
    library_.importTeslaCamPaths({folder});
}

void DriveOffer::dismiss() {
    setOffer({}, {});
}

void DriveOffer::setOffer(const QString& mountPoint, const QString& folder) {
    if (offeredFolder_ == folder && offeredDrive_ == mountPoint)
        return;
    offeredDrive_ = mountPoint;
    offeredFolder_ = folder;
    emit offerChanged();
}

void DriveOffer::driveRemoved(const QString& mountPoint) {
    const bool exportStops = exporter_.readsFrom(mountPoint);
    const int count = library_.forgetDrive(mountPoint);
    const QString name = nameOf(mountPoint);
    const QString message =
        exportStops
            ? QCoreApplication::translate(
                  "DriveOffer", "U 盘“%1”已被移除：其中的 %n 个片段已从列表中移去，从它导出的视频已停止。",
                  nullptr, count)
                  .arg(name)
            : QCoreApplication::translate("DriveOffer", "U 盘“%1”已被移除：其中的 %n 个片段已从列表中移去。",
                                          nullptr, count)
                  .arg(name);
    messages_.setError(message);
    // The export reports this message rather than the read it could no longer do.
    if (exportStops)
        exporter_.stopExport(message);
}

} // namespace orvane
