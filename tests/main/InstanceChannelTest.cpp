// One window per user: a later start hands its folders to the running copy (which imports them)
// and ends, never the running copy; a killed copy's lock and channel are taken over; two starts at
// once leave exactly one. The real program, on its own runtime, configuration and data folders.

#include "InstanceChannel.h"

#include "SampleDrive.h"
#include "TestSupport.h"

#include <QDataStream>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

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

// The channel lives in a folder only the user may enter: the runtime folder when it is private,
// else one made private in the temporary folder; one that another account could have made (open
// to others, or a link) is refused, and the start goes without a channel.
TEST(InstanceChannel, LivesInAFolderOnlyTheUserMayEnter) {
    test::TempFolder tmp;
    const QString run = tmp.makeFolder("run"), own = tmp / QStringLiteral("orvane-%1").arg(::getuid());
    test::ScopedEnvironment temp("TMPDIR", QFile::encodeName(tmp.path()));
    const struct {
        mode_t runtimeMode;
        QString expected;
    } cases[] = {{0700, run + "/orvane.socket"}, {0755, own + "/orvane.socket"}};
    for (const auto& c : cases) {
        ASSERT_EQ(::chmod(QFile::encodeName(run).constData(), c.runtimeMode), 0);
        test::ScopedEnvironment runtime("XDG_RUNTIME_DIR", QFile::encodeName(run));
        EXPECT_EQ(InstanceChannel::defaultName(), c.expected) << c.runtimeMode;
    }
    struct stat made {};
    ASSERT_EQ(::lstat(QFile::encodeName(own).constData(), &made), 0);
    EXPECT_EQ(made.st_mode & 0777, 0700u);
    test::ScopedEnvironment noRuntime("XDG_RUNTIME_DIR", std::nullopt);
    ASSERT_EQ(::chmod(QFile::encodeName(own).constData(), 0777), 0);
    EXPECT_EQ(InstanceChannel::defaultName(), QString()) << "open to others";
    ASSERT_EQ(::rmdir(QFile::encodeName(own).constData()), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(run).constData(), QFile::encodeName(own).constData()), 0);
    EXPECT_EQ(InstanceChannel::defaultName(), QString()) << "a link";
}

// Another account's start is hung up on, even where it can reach the channel.
TEST(InstanceChannel, AnotherAccountsHandOverIsRefused) {
    if (::getuid() != 0)
        GTEST_SKIP() << "acting as another account needs root";
    constexpr uid_t nobody = 65534;
    test::TempFolder tmp;
    const QByteArray name = QFile::encodeName(tmp / "open.socket");
    InstanceChannel channel;
    ASSERT_TRUE(channel.listen(QFile::decodeName(name)));
    ASSERT_EQ(::chmod(QFile::encodeName(tmp.path()).constData(), 0777) | ::chmod(name.constData(), 0777), 0);
    bool arrived = false;
    QObject::connect(&channel, &InstanceChannel::foldersArrived, [&] { arrived = true; });
    QByteArray message, wire;
    QDataStream folders(&message, QIODevice::WriteOnly);
    folders << QStringList{"/media/drive"};
    QDataStream out(&wire, QIODevice::WriteOnly);
    out << message;
    const pid_t child = ::fork();
    if (child == 0) { // only system calls from here: exit 0 when hung up on, 1 when heard
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, name.constData(), sizeof address.sun_path - 1);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::setgid(nobody) != 0 || ::setuid(nobody) != 0 ||
            ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
            ::write(fd, wire.constData(), size_t(wire.size())) != wire.size())
            ::_exit(2);
        char answer[8];
        ::_exit(::read(fd, answer, sizeof answer) > 0 ? 1 : 0);
    }
    int status = -1;
    ASSERT_TRUE(test::waitUntil([&] { return ::waitpid(child, &status, WNOHANG) == child; }));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_FALSE(arrived);
}
