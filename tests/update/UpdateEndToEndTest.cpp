#include "AppUpdateController.h"
#include "TestSupport.h"
#include "UpdateTestSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include <gtest/gtest.h>

namespace orvane {
namespace {

// Installs release A with scripts/install.sh, then updates it to release B through the controller and
// the relaunch script, as a user's copy would, all inside a temporary folder (HOME and the XDG folders
// too, so the desktop of whoever runs the test is not touched).
class UpdateEndToEndTest : public ::testing::TestWithParam<const char*> {
protected:
    QByteArray readFile(const QString& path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void runInstallScript(const QString& archive, const QString& prefix) {
        QProcess install;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), home);
        environment.insert(QStringLiteral("XDG_DATA_HOME"), home + QStringLiteral("/.local/share"));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home + QStringLiteral("/.config"));
        environment.insert(QStringLiteral("XDG_DATA_DIRS"), home + QStringLiteral("/system-data"));
        environment.insert(QStringLiteral("XDG_CONFIG_DIRS"), home + QStringLiteral("/system-config"));
        install.setProcessEnvironment(environment);
        install.start(QStringLiteral("/bin/bash"), {QStringLiteral(ORVANE_SOURCE_DIR "/scripts/install.sh"), archive, prefix});
        ASSERT_TRUE(install.waitForFinished(60000));
        ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();
    }

    test::TempFolder temp;
    const QString home = temp.makeFolder(QStringLiteral("home"));
    const QString startLog = temp / QStringLiteral("started.log");
};

TEST_P(UpdateEndToEndTest, ReplacesTheInstalledCopyWholeAndReopensIt) {
    test::writeBundle(temp.makeFolder(QStringLiteral("A")), QStringLiteral("A"), startLog,
                      {{QStringLiteral("share/only-in-a.txt"), "a"}, {QStringLiteral("lib/libdemo.so"), "A library"}});
    test::writeBundle(temp.makeFolder(QStringLiteral("B")), QStringLiteral("B"), startLog,
                      {{QStringLiteral("share/only-in-b.txt"), "b"}, {QStringLiteral("lib/libdemo.so"), QByteArray(200000, 'B')}});
    ASSERT_TRUE(QFile::link(QStringLiteral("libdemo.so"), temp / QStringLiteral("B/Orvane/lib/libdemo.so.1")));
    test::packBundle(temp / QStringLiteral("A"), temp / QStringLiteral("A.tar.gz"));
    test::packBundle(temp / QStringLiteral("B"), temp / QStringLiteral("B.tar.gz"));

    const QString prefix = temp / QString::fromUtf8(GetParam());
    runInstallScript(temp / QStringLiteral("A.tar.gz"), prefix);
    ASSERT_EQ(test::treeSnapshot(prefix), test::treeSnapshot(temp / QStringLiteral("A/Orvane")));
    EXPECT_EQ(QFileInfo(home + QStringLiteral("/.local/bin/orvane")).symLinkTarget(), prefix + QStringLiteral("/bin/Orvane"));

    test::LoopbackHttpServer server;
    const QByteArray releaseB = readFile(temp / QStringLiteral("B.tar.gz"));
    server.serve(QStringLiteral("/Orvane-9.0.tar.gz"), releaseB);
    server.serve(QStringLiteral("/misc/Orvane-latest.json"),
                 QStringLiteral(R"({"version":"9.0","downloadURL":"%1","sha256":"%2"})")
                     .arg(server.url(QStringLiteral("/Orvane-9.0.tar.gz")).toString(), test::sha256Hex(releaseB))
                     .toUtf8());

    // The running copy: a stand-in process the relaunch script waits for.
    QProcess running;
    running.start(QStringLiteral("sleep"), {QStringLiteral("60")});
    ASSERT_TRUE(running.waitForStarted());
    const QString tmp = temp.makeFolder(QStringLiteral("tmp"));
    int quits = 0;
    AppUpdateController controller(AppUpdateEnvironment{
        QStringLiteral("1.0"), {server.url(QStringLiteral("/misc/Orvane-latest.json"))},
        AppUpdateInstallation{prefix + QStringLiteral("/bin/Orvane"), tmp, running.processId(), [&quits] { ++quits; }}});
    controller.checkForUpdates(false);
    ASSERT_TRUE(test::processEventsUntil([&] { return controller.showUpdateAlert(); }));
    controller.startUpdate();
    ASSERT_TRUE(test::processEventsUntil([&] { return quits > 0 || !controller.isUpdating(); }));
    ASSERT_EQ(controller.updateErrorMessage(), std::nullopt);
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(controller.isUpdating());

    // While the old copy runs, nothing is replaced; only the staged bundle and the script wait.
    test::processEventsUntil([] { return false; }, 300);
    EXPECT_EQ(test::treeSnapshot(prefix), test::treeSnapshot(temp / QStringLiteral("A/Orvane")));
    EXPECT_FALSE(QFileInfo::exists(startLog));
    const QStringList waiting = test::folderEntries(tmp);
    ASSERT_EQ(waiting.size(), 2) << waiting.join(u' ').toStdString();
    EXPECT_TRUE(waiting[0].startsWith(QStringLiteral("Orvane-relaunch-")) && waiting[0].endsWith(QStringLiteral(".sh")));
    EXPECT_TRUE(waiting[1].startsWith(QStringLiteral("Orvane-staged-")));

    running.kill();
    running.waitForFinished();
    // The new copy has written its line and the script has removed the staged copy and itself.
    ASSERT_TRUE(test::processEventsUntil([&] { return readFile(startLog).endsWith('\n') && test::folderEntries(tmp).isEmpty(); }))
        << "left in the temporary folder: " << test::folderEntries(tmp).join(u' ').toStdString();
    EXPECT_EQ(test::treeSnapshot(prefix), test::treeSnapshot(temp / QStringLiteral("B/Orvane")));
    EXPECT_EQ(readFile(startLog), "B " + prefix.toUtf8() + "/bin/Orvane\n");
    EXPECT_EQ(test::folderEntries(QFileInfo(prefix).absolutePath()), QStringList{QStringLiteral("Orvane")});
}

INSTANTIATE_TEST_SUITE_P(Paths, UpdateEndToEndTest, ::testing::Values("apps/Orvane", "it's my apps/Orvane"),
                         [](const ::testing::TestParamInfo<const char*>& info) { return std::to_string(info.index); });

} // namespace
} // namespace orvane
