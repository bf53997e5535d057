// Drives plugged in and out while the program runs: which new mount is offered and which removal
// touches the library, and the watcher's reading of a mount table (escaped names, what was there
// at start, network mounts never looked into).

#include "DriveWatcher.h"

#include "TestSupport.h"

#include <QFile>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace orvane;

namespace {

TEST(DriveRules, OfferNewTeslaCamDrivesAndSayRemovedOpenOnes) {
    const QString car = QStringLiteral("/media/u/CAR");
    const QString carFolder = QStringLiteral("/media/u/CAR/TeslaCam");
    const struct {
        const char* name;
        QStringList before, after, withTeslaCam, open;
        QStringList offers, removedOpen;
    } cases[] = {
        {"new drive with TeslaCam", {"/"}, {"/", car}, {car}, {}, {carFolder}, {}},
        {"new drive without TeslaCam", {"/"}, {"/", car}, {}, {}, {}, {}},
        {"new drive already open", {"/"}, {"/", car}, {car}, {carFolder}, {}, {}},
        {"open drive removed", {"/", car}, {"/"}, {}, {carFolder}, {}, {car}},
        {"other drive removed", {"/", car}, {"/"}, {}, {"/home/u/TeslaCam"}, {}, {}},
        {"drive whose name another's begins with", {"/", car}, {"/"}, {}, {"/media/u/CAR2/TeslaCam"}, {}, {}},
        {"unchanged table", {"/", car}, {"/", car}, {}, {carFolder}, {}, {}},
    };
    for (const auto& c : cases) {
        const DriveRules::MountChanges changes = DriveRules::compare(c.before, c.after);
        QStringList arrived;
        for (const QString& point : changes.added)
            if (c.withTeslaCam.contains(point))
                arrived << point;
        const DriveRules::Decision d = DriveRules::decide(arrived, changes.removed, c.open);
        EXPECT_EQ(d.offers, c.offers) << c.name;
        EXPECT_EQ(d.removedOpen, c.removedOpen) << c.name;
    }
}

// One mountinfo line: mount point escaped as the kernel writes it.
QByteArray mountLine(int id, const QByteArray& point, const QByteArray& type) {
    return QByteArray::number(id) + " 1 0:" + QByteArray::number(id) + " / " + point + " rw - " + type +
           " none rw\n";
}

TEST(DriveWatcher, ReportsOnlyDrivesMountedLaterAndLooksIntoLocalOnes) {
    test::TempFolder folder;
    const QString table = folder / "mountinfo";
    const QString early = folder.makeFolder("early/TeslaCam").chopped(9);
    const QString spaced = folder.makeFolder("TESLA USB/TeslaCam").chopped(9);
    const QString plain = folder.makeFolder("PHOTOS");
    const QString remote = folder.makeFolder("nas/TeslaCam").chopped(9);
    const auto writeTable = [&](const QByteArray& lines) {
        QFile f(table);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(mountLine(1, "/", "ext4") + lines);
    };
    writeTable(mountLine(2, QFile::encodeName(early), "vfat"));
    DriveWatcher watcher(nullptr, table);
    QSignalSpy changed(&watcher, &DriveWatcher::drivesChanged);

    writeTable(mountLine(2, QFile::encodeName(early), "vfat") +
               mountLine(3, QFile::encodeName(spaced).replace(" ", "\\040"), "vfat") +
               mountLine(4, QFile::encodeName(plain), "tmpfs") +
               mountLine(5, QFile::encodeName(remote), "nfs4"));
    watcher.reread();
    ASSERT_TRUE(changed.wait());
    EXPECT_EQ(changed.takeFirst(), (QVariantList{QStringList{spaced}, QStringList{}}));

    writeTable({});
    watcher.reread();
    ASSERT_TRUE(changed.wait());
    EXPECT_EQ(changed.takeFirst(), (QVariantList{QStringList{}, QStringList{early, spaced, plain}}));
}

} // namespace
