#pragma once
// A drive holding a TeslaCam folder, plugged in while the program runs, offered for opening with
// one click; a drive unplugged while its events are open, said at once, its events taken out of
// the library and an export reading from it stopped. Interface thread only.

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

namespace orvane {

class AppMessages;
class ExportViewModel;
class LibraryViewModel;

class DriveOffer : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The application's MainViewModel owns the drive offer")
    Q_PROPERTY(bool offered READ offered NOTIFY offerChanged)
    // The offered drive as the desktop names it (its mount point's last part).
    Q_PROPERTY(QString driveName READ driveName NOTIFY offerChanged)

public:
    DriveOffer(LibraryViewModel& library, ExportViewModel& exporter, AppMessages& messages,
               QObject* parent = nullptr);

    bool offered() const { return !offeredFolder_.isEmpty(); }
    QString offeredFolder() const { return offeredFolder_; }
    QString driveName() const { return offeredDrive_.isEmpty() ? QString() : nameOf(offeredDrive_); }

    // What the drive watcher saw: mount points new with a TeslaCam folder at their root, and
    // mount points gone.
    void drivesChanged(const QStringList& arrivedWithTeslaCam, const QStringList& removed);

    // Opens the offered drive as a second start would: its TeslaCam folder becomes the library.
    Q_INVOKABLE void open();
    Q_INVOKABLE void dismiss();

    static QString nameOf(const QString& mountPoint);

signals:
    void offerChanged();

private:
    void setOffer(const QString& mountPoint, const QString& folder);
    void driveRemoved(const QString& mountPoint);

    LibraryViewModel& library_;
    ExportViewModel& exporter_;
    AppMessages& messages_;
    QString offeredDrive_;
    QString offeredFolder_;
};

} // namespace orvane
