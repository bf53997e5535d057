// One window per user: a later start hands its folders to the running copy (which imports them)
// and ends, never the running copy; a killed copy's lock and channel are taken over; two starts at
// once leave exactly one. The real program, on its own runtime, configuration and data folders.

#include "SampleDrive.h"
#include "TestSupport.h"

#include <QProcess>
#include <QSettings>
#include <gtest/gtest.h>

using namespace orvane;
using test::waitUntil;

namespace {

constexpr int startMs = 20000; // sanitizer builds start slowly

struct Desktop {
    test::TempFolder folder;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    QString drives[2];
    std::vector<std::unique_ptr<QProcess>> started;

    Desktop() {
        for (const char* name : {"run", "config", "data"})
            folder.makeFolder(name);
        environment.insert("XDG_RUNTIME_DIR", folder / "run");
        environment.insert("XDG_CONFIG_HOME", folder / "config");
        environment.insert("XDG_DATA_HOME", folder / "data");
        environment.insert("QT_QPA_PLATFORM", "offscreen");
        for (int i = 0; i < 2; ++i) {
            sample::DriveSpec drive;
            drive.root = folder / QStringLiteral("drive%1/TeslaCam").arg(i);
            drive.contentFree = true;
            drive.events = {sample::EventSpec{}};
            sample::writeDrive(drive);
            drives[i] = drive.root;
        }
    }
    ~Desktop() {
        for (auto& p : started)
            if (p->state() != QProcess::NotRunning) {
                p->terminate();
                p->waitForFinished(startMs);
            }
    }
    QProcess& start(const QString& drive) {
        started.push_back(std::make_unique<QProcess>());
        QProcess& p = *started.back();
        p.setProcessEnvironment(environment);
        p.start(ORVANE_PROGRAM_PATH, {drive});
        return p;
    }
    // The program's drives as its settings file says after an import.
    QStringList importedDrives() const {
        return QSettings(folder / "config/Orvane/Orvane.conf", QSettings::IniFormat)
            .value("library/drives")
            .toStringList();
    }
};

} // namespace

TEST(InstanceChannel, ALaterStartHandsItsFoldersOverAndTheFirstKeepsRunning) {
    Desktop d;
    QProcess& first = d.start(d.drives[0]);
    ASSERT_TRUE(waitUntil([&] { return d.importedDrives() == QStringList{d.drives[0]}; }, startMs));
    QProcess& second = d.start(d.drives[1]);
    ASSERT_TRUE(second.waitForFinished(startMs));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(waitUntil([&] { return d.importedDrives() == QStringList{d.drives[1]}; }, startMs));
    EXPECT_EQ(first.state(), QProcess::Running);
    // A copy killed outright leaves its lock and channel behind: the next start takes them over.
    first.kill();
    ASSERT_TRUE(first.waitForFinished(startMs));
    QProcess& third = d.start(d.drives[0]);
    EXPECT_TRUE(waitUntil([&] { return d.importedDrives() == QStringList{d.drives[0]}; }, startMs));
    EXPECT_EQ(third.state(), QProcess::Running);
}

TEST(InstanceChannel, TwoStartsAtOnceLeaveOneCopyThatTakesTheOthersFolders) {
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        Desktop d;
        QProcess& a = d.start(d.drives[0]);
        QProcess& b = d.start(d.drives[1]);
        // One of them ends at once, having handed over; the other shows the drive given last.
        ASSERT_TRUE(waitUntil(
            [&] { return a.state() == QProcess::NotRunning || b.state() == QProcess::NotRunning; }, startMs));
        const bool aEnded = a.state() == QProcess::NotRunning;
        QProcess& ended = aEnded ? a : b;
        QProcess& running = aEnded ? b : a;
        EXPECT_EQ(ended.exitCode(), 0);
        // The survivor imports its own drive, then the one handed over, which is shown last.
        EXPECT_TRUE(
            waitUntil([&] { return d.importedDrives() == QStringList{d.drives[aEnded ? 0 : 1]}; }, startMs));
        EXPECT_EQ(running.state(), QProcess::Running);
    }
}
