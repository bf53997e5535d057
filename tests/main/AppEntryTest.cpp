// The entry's rules: which processes count as another running Orvane (over made-up /proc trees
// and real processes), asking them to quit before forcing them, a termination signal ending the
// application with its conventional status, the folders named on the command line; and the main
// window as the program opens it (loaded hidden by ui::loadMainWindow, then placed and shown).

#include "AppUpdateController.h"
#include "MainViewModel.h"
#include "MainWindowConfigurator.h"
#include "MainWindowLoader.h"
#include "OrvaneApp.h"
#include "SingleInstance.h"
#include "TestSupport.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace orvane;
using namespace Qt::StringLiterals;

namespace {

constexpr uint me = 1000;
constexpr uint someoneElse = 1001;
constexpr qint64 ownPid = 500;

struct FakeProcess {
    QString pid;
    QString exe;     // link target; empty: no link (a kernel thread, or another user's process)
    QString uidLine; // "Uid:" line of status; empty: no status file
};

// A /proc tree with one folder per process: an `exe` link and a `status` file.
QString makeProcTree(const test::TempFolder& folder, const std::vector<FakeProcess>& processes) {
    const QString root = folder.makeFolder("proc");
    for (const FakeProcess& p : processes) {
        const QString dir = folder.makeFolder("proc/" + p.pid);
        if (!p.exe.isEmpty())
            QFile::link(p.exe, dir + "/exe");
        if (!p.uidLine.isEmpty())
            folder.writeFile("proc/" + p.pid + "/status",
                             ("Name:\tx\n" + p.uidLine + "\nGid:\t0\t0\t0\t0\n").toUtf8());
    }
    return root;
}

QString uid(uint real, uint effective) {
    return QStringLiteral("Uid:\t%1\t%2\t%2\t%2").arg(real).arg(effective);
}

TEST(SingleInstance, OnlyTheSameUsersOrvaneCopiesAreFound) {
    test::TempFolder folder;
    const QString proc = makeProcTree(
        folder, {
                    {"101", "/opt/Orvane/bin/Orvane", uid(me, me)}, // another copy: found
                    {"102", "/home/u/.local/opt/Orvane/bin/Orvane (deleted)",
                     uid(me, me)},                                  // replaced by an update: found
                    {"500", "/opt/Orvane/bin/Orvane", uid(me, me)}, // this process
                    {"103", "/opt/Orvane/bin/Orvane", uid(someoneElse, someoneElse)}, // another user's
                    {"104", "/opt/Orvane/bin/Orvane", uid(someoneElse, me)}, // set-uid from another user
                    {"105", "/usr/bin/orvane", uid(me, me)},                 // another name (case)
                    {"106", "/usr/bin/orvane-cli", uid(me, me)},             // the command line
                    {"107", "/usr/bin/OrvaneHelper", uid(me, me)},           // a longer name
                    {"108", "/usr/bin/bash", uid(me, me)},                   // "Orvane" only in its title
                    {"109", "", uid(me, me)},                                // no executable link
                    {"110", "/opt/Orvane/bin/Orvane", ""},                   // no status: ended meanwhile
                    {"self", "/opt/Orvane/bin/Orvane", uid(me, me)},         // not a process id
                    {"7", "/opt/Orvane/bin/Orvane", uid(me, me)},            // found, sorted first
                });
    const SingleInstance::ProcessFilter filter{proc, me, SingleInstance::executableName};
    EXPECT_EQ(SingleInstance::findInstances(filter, ownPid), (QList<qint64>{7, 101, 102}));
    EXPECT_TRUE(SingleInstance::isInstance(filter, ownPid));
    EXPECT_FALSE(SingleInstance::isInstance(filter, 999)) << "no such process";
}

// A copy of a real program under the name Orvane, started by the test; only it is signalled.
struct OrvaneStandIn {
    test::TempFolder folder;
    QProcess process;

    OrvaneStandIn(const QString& program, const QStringList& arguments) {
        const QString copy = folder / "Orvane";
        QFile::copy(program, copy);
        QFile::setPermissions(copy, QFile::ReadOwner | QFile::ExeOwner);
        process.start(copy, arguments);
        process.waitForStarted();
    }
    ~OrvaneStandIn() {
        process.kill();
        process.waitForFinished();
    }
    qint64 pid() const { return process.processId(); }
};

SingleInstance::ProcessFilter realProcesses() {
    return {QStringLiteral("/proc"), uint(::getuid()), SingleInstance::executableName};
}

// A copy that quits when asked is never forced; one that ignores the request is, after the grace
// period. (Programs of other names: the made-up process tree.)
TEST(SingleInstance, ACopyIsAskedToQuitAndForcedOnlyAfterTheGracePeriod) {
    OrvaneStandIn quits(QStringLiteral("/bin/sleep"), {QStringLiteral("30")});
    // A shell that ignores SIGTERM while it waits (and says when it does).
    OrvaneStandIn ignores(
        QStringLiteral("/bin/bash"),
        {QStringLiteral("-c"), QStringLiteral("trap '' TERM; echo ready; while :; do sleep 0.05; done")});
    ASSERT_TRUE(ignores.process.waitForReadyRead(2000));
    const QList<qint64> found = SingleInstance::findInstances(realProcesses(), ::getpid());
    EXPECT_TRUE(found.contains(quits.pid()) && found.contains(ignores.pid()));

    const std::chrono::milliseconds grace(300);
    QElapsedTimer timer;
    timer.start();
    const QList<qint64> forced =
        SingleInstance::terminate(realProcesses(), {quits.pid(), ignores.pid()}, grace);
    EXPECT_GE(timer.elapsed(), grace.count());
    EXPECT_EQ(forced, QList<qint64>{ignores.pid()});
    for (OrvaneStandIn* copy : {&quits, &ignores}) {
        ASSERT_TRUE(copy->process.waitForFinished(2000));
        EXPECT_EQ(copy->process.exitStatus(), QProcess::CrashExit);
    }
}

TEST(OrvaneApp, ATerminationSignalEndsTheEventLoopWithItsConventionalStatus) {
    test::TempFolder folder;
    const test::ScopedEnvironment dataHome{"XDG_DATA_HOME", QFile::encodeName(folder / "share")};
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) {
        OrvaneApp app;
        ::raise(signal);
        QTimer::singleShot(5000, [] { QCoreApplication::exit(-1); });
        EXPECT_EQ(QCoreApplication::exec(), 128 + signal) << signal;
    }
}

TEST(OrvaneApp, FolderArgumentsAreAbsoluteAndEachTakenOnce) {
    const QString cwd = u"/media/u/DRIVE"_s;
    EXPECT_EQ(OrvaneApp::folderArguments({}, cwd), QStringList());
    EXPECT_EQ(
        OrvaneApp::folderArguments({u"TeslaCam"_s, u"/mnt/b/TeslaCam/"_s, u"file:///mnt/c/Tesla%20Cam"_s,
                                    u"./TeslaCam"_s, u"../other"_s, QString()},
                                   cwd),
        (QStringList{u"/media/u/DRIVE/TeslaCam"_s, u"/mnt/b/TeslaCam"_s, u"/mnt/c/Tesla Cam"_s,
                     u"/media/u/other"_s}));
}

TEST(MainWindow, TheLoaderBuildsItHiddenAndThePresenterShowsItCentred) {
    test::TempFolder folder;
    const test::ScopedEnvironment dataHome{"XDG_DATA_HOME", QFile::encodeName(folder / "share")};
    MainViewModel viewModel;
    AppUpdateController updater(AppUpdateEnvironment{});
    QQmlApplicationEngine engine;
    QQuickWindow* window = ui::loadMainWindow(engine, viewModel, updater);
    ASSERT_TRUE(window);
    EXPECT_FALSE(window->isVisible()) << "shown only once placed";

    ui::MainWindowConfigurator::present(*window);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    EXPECT_EQ(window->minimumSize(), QSize(900, 700));
    EXPECT_EQ(window->size(), QSize(900, 700));
    EXPECT_EQ(window->position(), ui::MainWindowConfigurator::centredPosition(
                                      QSize(900, 700), window->screen()->availableGeometry()));
}

} // namespace
