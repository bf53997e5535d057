#include "AppUpdateController.h"

#include "UpdateTestSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QQmlEngine>
#include <QQmlExpression>
#include <QRegularExpression>
#include <QSignalSpy>
#include <gtest/gtest.h>
#include <memory>

namespace orvane {
namespace {

const QString manifestPath = u"/misc/Orvane-latest.json"_s;
const QString archivePath = u"/Orvane.tar.gz"_s;

class AppUpdateControllerTest : public ::testing::Test {
protected:
    // A controller running `version` that looks for manifests on the test server (a primary that
    // answers 404, then the fallback) and installs over the test program.
    std::unique_ptr<AppUpdateController> make(const QString& version) {
        const QList<QUrl> mirrors = {server.url(u"/primary"_s), server.url(manifestPath)};
        const AppUpdateInstallation installation{QCoreApplication::applicationFilePath(), temp.path(),
                                                 QCoreApplication::applicationPid(), [this] { ++quits; }};
        return std::make_unique<AppUpdateController>(AppUpdateEnvironment{version, mirrors, installation});
    }

    void publish(const QString& version, const QString& extraKeys = {}) {
        const QString url = server.url(archivePath).toString();
        server.serve(manifestPath,
                     uR"({"version":"%1","downloadURL":"%2"%3})"_s.arg(version, url, extraKeys).toUtf8());
    }

    static void check(AppUpdateController& controller, bool silent) {
        controller.checkForUpdates(silent);
        EXPECT_TRUE(test::settles([&] { return !controller.isCheckingForUpdates(); }));
    }

    test::LoopbackHttpServer server;
    test::TempFolder temp;
    int quits = 0;
};

// The library is built with the project's version, not the fallback.
TEST(AppUpdateEnvironmentTest, RunsTheBuiltVersion) {
    EXPECT_EQ(AppUpdateEnvironment::current().runningVersion, QStringLiteral(ORVANE_TEST_VERSION));
}

// The offer reaches QML (a value type, read as a screen's binding would), and the up-to-date notice
// answers a manual check only.
TEST_F(AppUpdateControllerTest, OffersOnlyANewerVersion) {
    QQmlEngine engine;
    const std::tuple<QString, QString, bool> cases[] = {
        {u"1.9"_s, u"1.10"_s, true},  {u"1.99.99"_s, u"2.0"_s, true}, {u"1.2.3"_s, u"1.2.3.1"_s, true},
        {u"1.10"_s, u"1.9"_s, false}, {u"1.2"_s, u"1.2.0"_s, false},  {u"1.0"_s, u"1.0-beta"_s, false}};
    for (const auto& [running, published, offered] : cases) {
        publish(published, uR"(,"releaseNotes":"   ")"_s);
        for (const bool silent : {true, false}) {
            SCOPED_TRACE(
                (running + u" running, "_s + published + (silent ? u" silent"_s : u""_s)).toStdString());
            const auto controller = make(running);
            QSignalSpy offer(controller.get(), &AppUpdateController::availableUpdateChanged);
            check(*controller, silent);
            EXPECT_EQ(controller->showUpdateAlert(), offered);
            EXPECT_EQ(offer.count(), offered ? 1 : 0);
            EXPECT_EQ(controller->showUpToDateAlert(), !offered && !silent);
            EXPECT_FALSE(controller->manualCheckErrorMessage());
            QQmlExpression read(
                engine.rootContext(), controller.get(),
                u"availableUpdate ? availableUpdate.version + '|' + availableUpdate.displayReleaseNotes : ''"_s);
            const QString notes = offered ? controller->availableUpdate()->displayReleaseNotes() : QString();
            EXPECT_EQ(read.evaluate().toString(), offered ? published + u'|' + notes : QString());
            EXPECT_FALSE(offered && notes.trimmed().isEmpty()) << "blank notes show a standard line";
            controller->dismissUpdate();
            EXPECT_EQ(read.evaluate().toString(), QString());
            EXPECT_EQ(offer.count(), offered ? 2 : 0);
        }
    }
}

// The launch check runs once and stays silent about a failure, a check never overlaps another, and
// a manual check shows why it failed.
TEST_F(AppUpdateControllerTest, TheLaunchCheckRunsOnceAndOnlyAManualCheckShowsFailures) {
    server.serve(manifestPath, "{\"version\": ");
    const auto controller = make(u"1.0"_s);
    controller->checkOnLaunchIfNeeded();
    controller->checkForUpdates(false); // refused: a check runs
    EXPECT_TRUE(test::settles([&] { return !controller->isCheckingForUpdates(); }));
    controller->checkOnLaunchIfNeeded();
    EXPECT_FALSE(controller->isCheckingForUpdates());
    EXPECT_EQ(server.requests(manifestPath), 1);
    EXPECT_FALSE(controller->manualCheckErrorMessage());
    EXPECT_FALSE(controller->showUpToDateAlert());
    check(*controller, false);
    EXPECT_EQ(controller->manualCheckErrorMessage(), AppUpdateError::invalidManifest().description());
    controller->dismissManualCheckError();
    EXPECT_FALSE(controller->manualCheckErrorMessage());
}

// An accepted offer whose update fails (the manifest's checksum is not the archive's; the copy is
// a build tree): the error is shown, the copy is kept, nothing is left behind.
TEST_F(AppUpdateControllerTest, AFailedUpdateIsShownAndCanBeDismissed) {
    server.serve(archivePath, "archive bytes");
    const QString wrongDigest = uR"(,"sha256":"%1")"_s.arg(test::sha256Hex("other"));
    for (const auto& [extraKeys, expected, statuses] :
         {std::tuple{wrongDigest, AppUpdateError::downloadFailed(), 1},
          {QString(), AppUpdateError::appNotInstalled(), 2}}) {
        SCOPED_TRACE(expected.description().toStdString());
        publish(u"2.0"_s, extraKeys);
        const auto controller = make(u"1.0"_s);
        check(*controller, true);
        QSignalSpy statusChanges(controller.get(), &AppUpdateController::updateStatusMessageChanged);
        const int requests = server.requests(archivePath);
        controller->startUpdate();
        EXPECT_TRUE(controller->isUpdating());
        EXPECT_FALSE(controller->showUpdateAlert());
        controller->startUpdate(); // ignored while one runs
        EXPECT_TRUE(test::settles([&] { return !controller->isUpdating(); }));
        EXPECT_EQ(controller->updateErrorMessage(), expected.description());
        EXPECT_EQ(statusChanges.count(), statuses) << "downloading, then installing";
        EXPECT_EQ(server.requests(archivePath), requests + 1);
        EXPECT_EQ(test::entries(temp.path()), QStringList());
        EXPECT_EQ(quits, 0);
        controller->dismissUpdateError();
        EXPECT_FALSE(controller->updateErrorMessage());
    }
}

// Whether two folders hold the same names, contents and link targets.
bool sameTree(const QString& a, const QString& b) {
    return test::runProgram(u"diff"_s, {u"--recursive"_s, u"--no-dereference"_s, a, b}).has_value();
}

// Writes release `label` in `label`/Orvane, with a link lib/libdemo.so.1 to `files`' lib/libdemo.so,
// and packs it as `label`.tar.gz; returns the archive.
QString packedRelease(const test::TempFolder& temp, const QString& label,
                      const QMap<QString, QByteArray>& files) {
    test::writeBundle(temp, label, label, temp / u"started.log"_s, files);
    EXPECT_TRUE(QFile::link(u"libdemo.so"_s, temp / label + u"/Orvane/lib/libdemo.so.1"_s));
    const QString archive = temp / label + u".tar.gz"_s;
    EXPECT_TRUE(test::runProgram(u"tar"_s, {u"-czf"_s, archive, u"-C"_s, temp / label, u"Orvane"_s}));
    return archive;
}

// Installs release A with scripts/install.sh, then updates it to release B through the controller
// and the relaunch script, as a user's copy would, all inside a temporary folder (HOME and the XDG
// folders too, so the desktop of whoever runs the test is not touched).
TEST(UpdateEndToEndTest, ReplacesTheInstalledCopyWholeAndReopensIt) {
    test::TempFolder temp;
    const QString home = temp.makeFolder(u"home"_s), tmp = temp.makeFolder(u"tmp"_s);
    const QString startLog = temp / u"started.log"_s;
    const QString releaseA =
        packedRelease(temp, u"A"_s, {{u"share/only-in-a.txt"_s, "a"}, {u"lib/libdemo.so"_s, "A"}});
    const QString releaseB = packedRelease(
        temp, u"B"_s, {{u"share/only-in-b.txt"_s, "b"}, {u"lib/libdemo.so"_s, QByteArray(200000, 'B')}});

    // A quote and a space: the install and relaunch scripts must quote every path.
    const QString prefix = temp / u"it's my apps/Orvane"_s;
    const test::ScopedEnvironment environment[] = {
        {"HOME", QFile::encodeName(home)},
        {"XDG_DATA_HOME", QFile::encodeName(home + u"/.local/share"_s)},
        {"XDG_CONFIG_HOME", QFile::encodeName(home + u"/.config"_s)},
        {"XDG_DATA_DIRS", QFile::encodeName(home + u"/system-data"_s)},
        {"XDG_CONFIG_DIRS", QFile::encodeName(home + u"/system-config"_s)},
    };
    ASSERT_TRUE(test::runProgram(
        u"/bin/bash"_s, {QStringLiteral(ORVANE_SOURCE_DIR "/scripts/install.sh"), releaseA, prefix}));
    ASSERT_TRUE(sameTree(prefix, temp / u"A/Orvane"_s));
    EXPECT_EQ(QFileInfo(home + u"/.local/bin/orvane"_s).symLinkTarget(), prefix + u"/bin/Orvane"_s);

    test::LoopbackHttpServer server;
    const QByteArray archiveB = test::readFile(releaseB);
    server.serve(u"/B.tar.gz"_s, archiveB);
    server.serve(u"/latest.json"_s, uR"({"version":"9.0","downloadURL":"%1","sha256":"%2"})"_s
                                        .arg(server.url(u"/B.tar.gz"_s).toString(), test::sha256Hex(archiveB))
                                        .toUtf8());
    // The running copy: a stand-in process the relaunch script waits for.
    QProcess running;
    running.start(u"sleep"_s, {u"60"_s});
    ASSERT_TRUE(running.waitForStarted());
    int quits = 0;
    AppUpdateController controller(AppUpdateEnvironment{
        u"1.0"_s,
        {server.url(u"/latest.json"_s)},
        AppUpdateInstallation{prefix + u"/bin/Orvane"_s, tmp, running.processId(), [&quits] { ++quits; }}});
    controller.checkForUpdates(false);
    ASSERT_TRUE(test::settles([&] { return controller.showUpdateAlert(); }));
    controller.startUpdate();
    ASSERT_TRUE(test::settles([&] { return quits > 0 || !controller.isUpdating(); }));
    ASSERT_EQ(controller.updateErrorMessage(), std::nullopt);
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(controller.isUpdating());

    // While the old copy runs, nothing is replaced; only the staged bundle and the script wait.
    test::waitUntil([] { return false; }, 300);
    EXPECT_TRUE(sameTree(prefix, temp / u"A/Orvane"_s));
    EXPECT_FALSE(QFileInfo::exists(startLog));
    const QString waiting = test::entries(tmp).join(u' ');
    EXPECT_TRUE(
        QRegularExpression(u"^Orvane-relaunch-\\S+\\.sh Orvane-staged-\\S+$"_s).match(waiting).hasMatch())
        << waiting.toStdString();

    running.kill();
    running.waitForFinished();
    // The new copy has written its line and the script has removed the staged copy and itself.
    ASSERT_TRUE(test::settles([&] {
        return test::readFile(startLog).endsWith('\n') && test::entries(tmp).isEmpty();
    })) << test::entries(tmp).join(u' ').toStdString();
    EXPECT_TRUE(sameTree(prefix, temp / u"B/Orvane"_s));
    EXPECT_EQ(test::readFile(startLog), "B " + prefix.toUtf8() + "/bin/Orvane\n");
    EXPECT_EQ(test::entries(QFileInfo(prefix).absolutePath()), QStringList{u"Orvane"_s});
}

} // namespace
} // namespace orvane
