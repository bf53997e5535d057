// The update: the manifest, the download, the install and the relaunch script, what an archive may
// hold, the controller the screens show, and an installed copy replaced end to end. A loopback HTTP
// server serves manifests and release archives.

#include "AppUpdateController.h"
#include "AppUpdateError.h"
#include "AppUpdateService.h"
#include "LoopbackHttpServer.h"
#include "TestSupport.h"
#include "UpdateArchive.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFuture>
#include <QMap>
#include <QProcess>
#include <QQmlEngine>
#include <QQmlExpression>
#include <QRegularExpression>
#include <QSignalSpy>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <numeric>
#include <optional>
#include <unistd.h>

// gtest prints texts as text, also inside lists and optionals.
void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

namespace orvane {
namespace {

using namespace Qt::StringLiterals;
using namespace test;
using Kind = AppUpdateError::Kind;

// Replies and installs run on the event loop; under the sanitizers they take a while.
constexpr int updateTimeoutMs = 20000;
bool settles(const std::function<bool()>& done) {
    return waitUntil(done, updateTimeoutMs);
}

// The kind of AppUpdateError that `work` throws, or nothing when it throws none.
std::optional<Kind> updateErrorOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const AppUpdateError& error) {
        return error.kind();
    }
    return std::nullopt;
}

template <typename T> T awaitResult(QFuture<T> future) {
    settles([&future] { return future.isFinished(); });
    return future.result();
}

template <typename T> std::optional<Kind> failureOf(QFuture<T> future) {
    return updateErrorOf([&] { awaitResult(future); });
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Writes `temp`/`folder`/Orvane as a release holds it: bin/Orvane (a script that appends "<label> <its
// own path>" to `startLog` when started), bin/orvane-cli, the installed-bundle marker, the bundle
// replacer, the desktop entry and icon, and `files` (paths relative to the bundle); all executable.
void writeBundle(const TempFolder& temp, const QString& folder, const QString& label, const QString& startLog,
                 QMap<QString, QByteArray> files = {}) {
    const QString source = QStringLiteral(ORVANE_SOURCE_DIR "/");
    constexpr auto executable =
        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther;
    QString quotedLog = startLog;
    quotedLog.replace(u'\'', u"'\\''"_s);
    files[u"bin/Orvane"_s] = u"#!/bin/sh\necho \"%1 $0\" >> '%2'\n"_s.arg(label, quotedLog).toUtf8();
    files[u"bin/orvane-cli"_s] = "#!/bin/sh\necho " + label.toUtf8() + "\n";
    files[QStringLiteral(ORVANE_BUNDLE_MARKER)] = "Orvane " + label.toUtf8() + "\n";
    files[QStringLiteral(ORVANE_BUNDLE_REPLACER)] = readFile(source + u"scripts/replace-bundle.sh"_s);
    files[u"share/applications/orvane.desktop"_s] = readFile(source + u"packaging/orvane.desktop"_s);
    files[u"share/icons/hicolor/scalable/apps/orvane.svg"_s] = readFile(source + u"packaging/orvane.svg"_s);
    for (auto it = files.cbegin(); it != files.cend(); ++it)
        QFile::setPermissions(temp.writeFile(folder + u"/Orvane/"_s + it.key(), it.value()), executable);
}

QString sha256Hex(const QByteArray& data) {
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Sha256).toHex());
}

TEST(AppUpdateManifestTest, KeepsALowerCaseDigestAndRefusesWhatCannotBeUsed) {
    const QByteArray json =
        R"({"version":"1","downloadURL":"https://a.example/x","sha256":")" + QByteArray(64, 'A');
    EXPECT_EQ(AppUpdateManifest::fromJson(json + "\"}").sha256, QString(64, u'a'));
    // Refused among others: plain http to another machine, and other schemes.
    for (const char* body :
         {"not json", R"({"version":"2"})", R"({"version":2,"downloadURL":"https://a.example/x"})",
          R"({"version":"2","downloadURL":"not a url"})",
          R"({"version":"2","downloadURL":"http://a.example/x"})",
          R"({"version":"2","downloadURL":"https://a.example/x","sha256":"abc"})"})
        EXPECT_EQ(updateErrorOf([&] { AppUpdateManifest::fromJson(body); }), Kind::invalidManifest) << body;
}

// The primary answering 404 gives way to the fallback; when every candidate fails, the last one's
// error is reported.
TEST(FetchManifestTest, FallsBackAndReportsTheLastFailure) {
    LoopbackHttpServer server;
    const QByteArray valid = R"({"version":"9.0","downloadURL":"https://a.example/Orvane.tar.gz"})";
    server.serve(u"/valid"_s, valid);
    const QList<QUrl> mirrors = {server.url(u"/primary"_s), server.url(u"/valid"_s)};
    EXPECT_EQ(awaitResult(AppUpdateService::fetchManifest(mirrors)).version, u"9.0"_s);
    EXPECT_EQ(server.requests(u"/primary"_s), 1);

    const QUrl down(u"http://127.0.0.1:1/manifest.json"_s); // port 1 (tcpmux): served on no machine of ours
    const std::pair<QList<QUrl>, Kind> cases[] = {
        {{down, down}, Kind::networkUnavailable},
        {{down, server.url(u"/missing"_s)}, Kind::invalidManifest},
        {{QUrl(u"http://a.example/m.json"_s)}, Kind::networkUnavailable}, // refused, never contacted
    };
    for (const auto& [candidates, expected] : cases)
        EXPECT_EQ(failureOf(AppUpdateService::fetchManifest(candidates)), expected);
    server.serve(u"/error"_s, {500, valid});
    server.serve(u"/redirect"_s, {302, {}, "Location: http://a.example/m.json\r\n"});
    server.serve(u"/huge"_s, QByteArray(AppUpdateService::maximumManifestBytes + 10, ' '));
    // A body that is no manifest is the controller's launch check.
    for (const QString& path : {u"/error"_s, u"/redirect"_s, u"/huge"_s})
        EXPECT_EQ(failureOf(AppUpdateService::fetchManifest({server.url(path)})), Kind::invalidManifest)
            << path.toStdString();
}

TEST(DownloadTest, StreamsToAFreshFileAndFailsWithNothingLeft) {
    LoopbackHttpServer server;
    TempFolder temp;
    const QByteArray archive = QByteArray(300000, 'r') + "end";
    server.serve(u"/a.tar.gz"_s, archive);
    const QString path = awaitResult(
        AppUpdateService::downloadUpdate(server.url(u"/a.tar.gz"_s), temp.path(), sha256Hex(archive)));
    EXPECT_TRUE(QRegularExpression(u"^%1/Orvane-update-[0-9a-f-]{36}\\.tar\\.gz$"_s.arg(temp.path()))
                    .match(path)
                    .hasMatch());
    EXPECT_EQ(readFile(path), archive);
    QFile::remove(path);

    server.serve(u"/unsized"_s, {200, archive, {}, false});
    server.serve(u"/cut"_s,
                 {200, archive, "Content-Length: " + QByteArray::number(archive.size() * 2) + "\r\n"});
    const qint64 limit = AppUpdateService::maximumDownloadBytes;
    const std::tuple<QUrl, QString, qint64> failures[] = {
        {server.url(u"/a.tar.gz"_s), sha256Hex("something else"), limit},
        {server.url(u"/missing"_s), {}, limit},
        {server.url(u"/cut"_s), {}, limit},
        {server.url(u"/unsized"_s), {}, archive.size() - 1}, // counted as the bytes arrive
        {QUrl(u"http://a.example/a.tar.gz"_s), {}, limit},
    };
    for (const auto& [url, digest, maximumBytes] : failures) {
        const auto sha256 = digest.isEmpty() ? std::nullopt : std::optional(digest);
        EXPECT_EQ(failureOf(AppUpdateService::downloadUpdate(url, temp.path(), sha256, maximumBytes)),
                  Kind::downloadFailed)
            << url.toString().toStdString();
        EXPECT_EQ(entries(temp.path()), QStringList());
    }
}

// A refused install removes the download and every temporary folder, and never quits.
TEST(InstallTest, RefusesWhatItCannotSafelyReplace) {
    TempFolder temp;
    const auto installFailure = [&](const QString& executable, const QByteArray& archive) {
        const QString download = temp.writeFile(u"tmp/Orvane-update-x.tar.gz"_s, archive);
        bool quit = false;
        const AppUpdateInstallation installation{executable, temp / u"tmp"_s, 0, [&] { quit = true; }};
        const auto failure = updateErrorOf([&] { AppUpdateService::installUpdate(download, installation); });
        QCoreApplication::processEvents();
        EXPECT_FALSE(quit);
        EXPECT_EQ(entries(temp / u"tmp"_s), QStringList());
        return failure;
    };
    // An installed copy at `folder`/Orvane; returns its executable.
    const auto installed = [&](const QString& folder) {
        writeBundle(temp, folder, u"A"_s, temp / u"log"_s);
        return temp / folder + u"/Orvane/bin/Orvane"_s;
    };
    // (A build tree, such as the test program's: the controller's failed update.)
    const QString unmarked = installed(u"unmarked"_s);
    QFile::remove(temp / u"unmarked/Orvane/"_s + QStringLiteral(ORVANE_BUNDLE_MARKER));
    EXPECT_EQ(installFailure(unmarked, "x"), Kind::appNotInstalled);
    for (const QString& mounted : {u"media/usb"_s, u"run/media/me/usb"_s, u"tmp2/Orvane-update-mount-1234"_s})
        EXPECT_EQ(installFailure(installed(mounted), "x"), Kind::runningFromDiskImage)
            << mounted.toStdString();

    const QString executable = installed(u"apps"_s);
    const QString empty = temp / u"empty.tar.gz"_s;
    ASSERT_TRUE(runProgram(u"tar"_s, {u"-czf"_s, empty, u"--files-from=/dev/null"_s}));
    EXPECT_EQ(installFailure(executable, readFile(empty)), Kind::appBundleMissing);
    // Found only after quitting, an unwritable folder would leave the user without a copy. (Root may
    // write anywhere.)
    if (geteuid() != 0) {
        QFile::setPermissions(temp / u"apps"_s, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        EXPECT_EQ(installFailure(executable, "x"), Kind::installFailed);
        QFile::setPermissions(temp / u"apps"_s,
                              QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }
}

TEST(RelaunchScriptTest, TheShellReadsPathsBackExactly) {
    for (const QString& path :
         {u"/home/我的/应用/Orvane"_s, u"/tmp/'quoted' \"double\" $HOME `date` \\back\\ \n line * ?.app"_s}) {
        SCOPED_TRACE(path.toStdString());
        const QString script = AppUpdateService::relaunchScript(4242, path, path + u"'staged"_s);
        EXPECT_TRUE(script.startsWith(u"#!/bin/bash\nPID=4242\nTARGET="_s));
        // The assignments, up to the first blank line, then what the shell made of them.
        const QString program = script.section(u"\n\n"_s, 0, 0).section(u'\n', 2) +
                                u"\nprintf '%s\\0%s' \"$TARGET\" \"$STAGED\""_s;
        const auto output = runProgram(u"/bin/bash"_s, {u"-c"_s, program});
        EXPECT_EQ(QString::fromUtf8(output.value_or("")), path + QChar(0) + path + u"'staged"_s);
    }
}

// Members of archives made by hand, for entries tar would not make from a folder: absolute names,
// "..", devices.
struct TarMember {
    QByteArray name;
    char type = '0'; // '0' file, '1' hard link, '2' symbolic link, '3'/'4' devices, '5' folder, '6' FIFO,
                     // 'S' a file of `sparseSize` bytes that are all a hole
    QByteArray content = {};
    QByteArray linkTarget = {};
    qint64 sparseSize = 0;
};

// Sizes and the fields' offsets in a GNU tar header; a sparse file's first chunk is an offset and a length.
namespace field {
constexpr int block = 512, nameBytes = 100, mode = 100, size = 124, time = 136, checksum = 148, type = 156,
              linkTarget = 157, magic = 257, sparseOffset = 386, sparseLength = 398, sparseSize = 483;
constexpr qint64 recentTime = 1700000000; // so tar does not warn about an implausible time
} // namespace field

// GNU headers: tar reads sparse maps only from those.
QByteArray gzippedTar(const QList<TarMember>& members) {
    QByteArray tar;
    for (const TarMember& member : members) {
        QByteArray header(field::block, '\0');
        const auto put = [&](int at, const QByteArray& bytes) { header.replace(at, bytes.size(), bytes); };
        const auto octal = [&](int at, int width, qint64 value) {
            put(at, QByteArray::number(value, 8).rightJustified(width - 1, '0'));
        };
        put(0, member.name.left(field::nameBytes));
        put(field::linkTarget, member.linkTarget.left(field::nameBytes));
        put(field::type, QByteArray(1, member.type));
        put(field::magic, QByteArray("ustar  \0", 8));
        octal(field::mode, 8, member.type == '5' ? 0755 : 0644);
        octal(field::size, 12, member.type == '0' ? member.content.size() : 0);
        octal(field::time, 12, field::recentTime);
        if (member.type == 'S') {
            octal(field::sparseOffset, 12, member.sparseSize);
            octal(field::sparseLength, 12, 0);
            octal(field::sparseSize, 12, member.sparseSize);
        }
        put(field::checksum, QByteArray(8, ' '));
        const int sum = std::accumulate(header.begin(), header.end(), 0,
                                        [](int sum, char byte) { return sum + quint8(byte); });
        put(field::checksum, QByteArray::number(sum, 8).rightJustified(6, '0') + QByteArray("\0 ", 2));
        tar += header;
        if (member.type == '0') // the content, padded to whole blocks
            tar += member.content + QByteArray(-member.content.size() & (field::block - 1), '\0');
    }
    QProcess gzip;
    gzip.start(u"gzip"_s, {u"-c"_s});
    gzip.write(tar + QByteArray(2 * field::block, '\0'));
    gzip.closeWriteChannel();
    return gzip.waitForFinished() && gzip.exitCode() == 0 ? gzip.readAllStandardOutput() : QByteArray();
}

const auto file = [](QByteArray name, QByteArray data = "x") { return TarMember{name, '0', data}; };
const auto folder = [](QByteArray name) { return TarMember{name, '5'}; };
const auto link = [](QByteArray name, QByteArray to) { return TarMember{name, '2', {}, to}; };
const auto hardLink = [](QByteArray name, QByteArray to) { return TarMember{name, '1', {}, to}; };

class UpdateArchiveTest : public ::testing::Test {
protected:
    // Unpacks `archive` into a fresh folder; true when accepted, false when refused as mountFailed
    // with nothing unpacked, also not beside the folder.
    bool unpacks(const QByteArray& archive) {
        const QString path = temp.writeFile(u"download.tar.gz"_s, archive);
        const auto error = updateErrorOf([&] { UpdateArchive::unpack(path, destination); });
        if (!error)
            return true;
        EXPECT_EQ(*error, AppUpdateError::Kind::mountFailed);
        EXPECT_EQ(entries(destination), QStringList());
        EXPECT_EQ(entries(temp / u"parent"_s), QStringList{u"mount"_s});
        EXPECT_FALSE(QFileInfo::exists(temp / u"evil"_s));
        return false;
    }

    TempFolder temp;
    const QString destination = temp.makeFolder(u"parent/mount"_s);
};

TEST_F(UpdateArchiveTest, RefusesEveryEntryThatCouldLandOutsideTheBundle) {
    const TarMember window = file("Orvane/bin/Orvane");
    const QByteArray absolute = temp.path().toUtf8() + "/evil";
    const std::pair<const char*, QList<TarMember>> cases[] = {
        {"no Orvane folder", {folder("Other/"), file("Other/bin/Orvane")}},
        {"a second top-level entry", {window, file("README")}},
        {"dot-dot at the top", {window, file("../evil")}},
        {"dot-dot inside", {window, file("Orvane/../../evil")}},
        {"dot-dot that stays inside", {window, file("Orvane/bin/../lib/x")}},
        {"folder ending in dot-dot", {window, folder("Orvane/bin/../")}},
        {"hard link through dot-dot", {window, hardLink("Orvane/h", "Orvane/lib/../bin/Orvane")}},
        {"absolute name", {window, file(absolute)}},
        {"link out of the bundle", {window, link("Orvane/lib", "../../evil")}},
        {"absolute link", {window, link("Orvane/lib", absolute)}},
        {"link out through another link",
         {folder("Orvane/x/"), link("Orvane/x/up", ".."), link("Orvane/x/out", "up/../../evil")}},
        {"link loop", {link("Orvane/a", "b"), link("Orvane/b", "a")}},
        {"hard link out", {window, hardLink("Orvane/h", "../evil")}},
        {"hard link to a link", {link("Orvane/deep/l", "../bin"), hardLink("Orvane/h", "Orvane/deep/l")}},
        {"character device", {window, {"Orvane/null", '3'}}},
        {"FIFO", {window, {"Orvane/pipe", '6'}}},
        {"too large when unpacked", {window, {"Orvane/big", 'S', {}, {}, qint64(5) << 30}}},
    };
    for (const auto& [why, members] : cases)
        EXPECT_FALSE(unpacks(gzippedTar(members))) << why;

    const QByteArray good = gzippedTar({file("Orvane/bin/Orvane", QByteArray(20000, 'a'))});
    EXPECT_FALSE(unpacks(good.left(good.size() / 2))) << "truncated";
    EXPECT_FALSE(unpacks("this is not an archive"));
}

TEST_F(UpdateArchiveTest, UnpacksOddNamesAndLinksThatStayInside) {
    const QByteArray oddName = "Orvane/share/it's \"a\" name\\ with\nnew line, 中文";
    EXPECT_TRUE(
        unpacks(gzippedTar({folder("Orvane/"), file("./Orvane/bin/Orvane", "run"), file(oddName, "odd"),
                            link("Orvane/lib", "share"), link("Orvane/share/self", "../bin/Orvane"),
                            hardLink("Orvane/bin/again", "Orvane/bin/Orvane")})));
    EXPECT_EQ(readFile(destination + u'/' + QString::fromUtf8(oddName)), "odd");
    EXPECT_EQ(entries(destination), QStringList{u"Orvane"_s});
    EXPECT_TRUE(QFileInfo(destination + u"/Orvane/share/self"_s).isFile());
}

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
        EXPECT_TRUE(settles([&] { return !controller.isCheckingForUpdates(); }));
    }

    LoopbackHttpServer server;
    TempFolder temp;
    int quits = 0;
};

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
    EXPECT_TRUE(settles([&] { return !controller->isCheckingForUpdates(); }));
    controller->checkOnLaunchIfNeeded();
    EXPECT_FALSE(controller->isCheckingForUpdates());
    EXPECT_EQ(server.requests(manifestPath), 1);
    EXPECT_FALSE(controller->manualCheckErrorMessage());
    EXPECT_FALSE(controller->showUpToDateAlert());
    check(*controller, false);
    EXPECT_EQ(controller->manualCheckErrorMessage(), AppUpdateError::invalidManifest().description());
}

// An accepted offer whose update fails (the manifest's checksum is not the archive's; the copy is
// a build tree): the error is shown, the copy is kept, nothing is left behind.
TEST_F(AppUpdateControllerTest, AFailedUpdateIsShownAndCanBeDismissed) {
    server.serve(archivePath, "archive bytes");
    const QString wrongDigest = uR"(,"sha256":"%1")"_s.arg(sha256Hex("other"));
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
        EXPECT_TRUE(settles([&] { return !controller->isUpdating(); }));
        EXPECT_EQ(controller->updateErrorMessage(), expected.description());
        EXPECT_EQ(statusChanges.count(), statuses) << "downloading, then installing";
        EXPECT_EQ(server.requests(archivePath), requests + 1);
        EXPECT_EQ(entries(temp.path()), QStringList());
        EXPECT_EQ(quits, 0);
        controller->dismissUpdateError();
        EXPECT_FALSE(controller->updateErrorMessage());
    }
}

// The package manager's copy (/usr/bin/Orvane beside its marker) is told of the new version but never
// downloads or replaces itself: a self-update would be undone, or break, at the next package upgrade.
TEST_F(AppUpdateControllerTest, APackageManagedCopyLeavesTheUpdateToThePackageManager) {
    TempFolder root;
    root.writeFile(u"usr/"_s + QStringLiteral(ORVANE_PACKAGE_MANAGED_MARKER), "Orvane\n");
    root.writeFile(u"usr/"_s + QStringLiteral(ORVANE_BUNDLE_MARKER), "Orvane\n"); // must not count
    const QString executable = root.writeFile(u"usr/bin/Orvane"_s, "x");
    publish(u"2.0"_s);
    AppUpdateController controller(AppUpdateEnvironment{
        u"1.0"_s, {server.url(manifestPath)}, AppUpdateInstallation{executable, temp.path(), 0, [this] {
                                                                        ++quits;
                                                                    }}});
    EXPECT_TRUE(controller.updatedByPackageManager());
    check(controller, true);
    EXPECT_TRUE(controller.showUpdateAlert());
    controller.startUpdate();
    EXPECT_TRUE(settles([&] { return !controller.isUpdating(); }));
    EXPECT_EQ(controller.updateErrorMessage(), AppUpdateError::packageManaged().description());
    EXPECT_EQ(server.requests(archivePath), 0);

    const QString download = temp.writeFile(u"Orvane-update-x.tar.gz"_s, "x");
    const AppUpdateInstallation installation{executable, temp.path(), 0, {}};
    EXPECT_EQ(updateErrorOf([&] { AppUpdateService::installUpdate(download, installation); }),
              Kind::packageManaged);
    EXPECT_EQ(entries(temp.path()), QStringList());
    EXPECT_EQ(quits, 0);
}

// Whether two folders hold the same names, contents and link targets.
bool sameTree(const QString& a, const QString& b) {
    return runProgram(u"diff"_s, {u"--recursive"_s, u"--no-dereference"_s, a, b}).has_value();
}

// Whether a `sleep` runs as the child of a process whose command line holds `text`: a relaunch
// script from `text` waiting for the old copy to end.
bool sleepsUnder(const QString& text) {
    for (const QString& pid : QDir(u"/proc"_s).entryList(QDir::Dirs)) {
        const QByteArray stat = readFile(u"/proc/"_s + pid + u"/stat"_s); // pid (name) state ppid …
        const QByteArray parent = stat.mid(stat.lastIndexOf(')') + 4).split(' ').value(0);
        if (stat.contains("(sleep)") && readFile("/proc/" + parent + "/cmdline").contains(text.toUtf8()))
            return true;
    }
    return false;
}

// Writes release `label` in `label`/Orvane, with a link lib/libdemo.so.1 to `files`' lib/libdemo.so,
// and packs it as `label`.tar.gz; returns the archive.
QString packedRelease(const TempFolder& temp, const QString& label, const QMap<QString, QByteArray>& files) {
    writeBundle(temp, label, label, temp / u"started.log"_s, files);
    EXPECT_TRUE(QFile::link(u"libdemo.so"_s, temp / label + u"/Orvane/lib/libdemo.so.1"_s));
    const QString archive = temp / label + u".tar.gz"_s;
    EXPECT_TRUE(runProgram(u"tar"_s, {u"-czf"_s, archive, u"-C"_s, temp / label, u"Orvane"_s}));
    return archive;
}

// Installs release A with scripts/install.sh, then updates it to release B through the controller
// and the relaunch script, as a user's copy would, all inside a temporary folder (HOME and the XDG
// folders too, so the desktop of whoever runs the test is not touched).
TEST(UpdateEndToEndTest, ReplacesTheInstalledCopyWholeAndReopensIt) {
    TempFolder temp;
    const QString home = temp.makeFolder(u"home"_s), tmp = temp.makeFolder(u"tmp"_s);
    const QString startLog = temp / u"started.log"_s;
    const QString releaseA =
        packedRelease(temp, u"A"_s, {{u"share/only-in-a.txt"_s, "a"}, {u"lib/libdemo.so"_s, "A"}});
    const QString releaseB = packedRelease(
        temp, u"B"_s, {{u"share/only-in-b.txt"_s, "b"}, {u"lib/libdemo.so"_s, QByteArray(200000, 'B')}});

    // A quote and a space: the install and relaunch scripts must quote every path.
    const QString prefix = temp / u"it's my apps/Orvane"_s;
    const ScopedEnvironment environment[] = {
        {"HOME", QFile::encodeName(home)},
        {"XDG_DATA_HOME", QFile::encodeName(home + u"/.local/share"_s)},
        {"XDG_CONFIG_HOME", QFile::encodeName(home + u"/.config"_s)},
        {"XDG_DATA_DIRS", QFile::encodeName(home + u"/system-data"_s)},
        {"XDG_CONFIG_DIRS", QFile::encodeName(home + u"/system-config"_s)},
    };
    ASSERT_TRUE(runProgram(u"/bin/bash"_s,
                           {QStringLiteral(ORVANE_SOURCE_DIR "/scripts/install.sh"), releaseA, prefix}));
    ASSERT_TRUE(sameTree(prefix, temp / u"A/Orvane"_s));
    EXPECT_EQ(QFileInfo(home + u"/.local/bin/orvane"_s).symLinkTarget(), prefix + u"/bin/Orvane"_s);

    LoopbackHttpServer server;
    const QByteArray archiveB = readFile(releaseB);
    server.serve(u"/B.tar.gz"_s, archiveB);
    server.serve(u"/latest.json"_s, uR"({"version":"9.0","downloadURL":"%1","sha256":"%2"})"_s
                                        .arg(server.url(u"/B.tar.gz"_s).toString(), sha256Hex(archiveB))
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
    ASSERT_TRUE(settles([&] { return controller.showUpdateAlert(); }));
    controller.startUpdate();
    ASSERT_TRUE(settles([&] { return quits > 0 || !controller.isUpdating(); }));
    ASSERT_EQ(controller.updateErrorMessage(), std::nullopt);
    EXPECT_EQ(quits, 1);
    EXPECT_TRUE(controller.isUpdating());

    // While the old copy runs, nothing is replaced; only the staged bundle and the script wait.
    ASSERT_TRUE(settles([&] { return sleepsUnder(tmp + u"/Orvane-relaunch-"_s); }));
    EXPECT_TRUE(sameTree(prefix, temp / u"A/Orvane"_s));
    EXPECT_FALSE(QFileInfo::exists(startLog));
    const QString waiting = entries(tmp).join(u' ');
    EXPECT_TRUE(
        QRegularExpression(u"^Orvane-relaunch-\\S+\\.sh Orvane-staged-\\S+$"_s).match(waiting).hasMatch())
        << waiting.toStdString();

    running.kill();
    running.waitForFinished();
    // The new copy has written its line and the script has removed the staged copy and itself.
    ASSERT_TRUE(settles([&] { return readFile(startLog).endsWith('\n') && entries(tmp).isEmpty(); }))
        << entries(tmp).join(u' ').toStdString();
    EXPECT_TRUE(sameTree(prefix, temp / u"B/Orvane"_s));
    EXPECT_EQ(readFile(startLog), "B " + prefix.toUtf8() + "/bin/Orvane\n");
    EXPECT_EQ(entries(QFileInfo(prefix).absolutePath()), QStringList{u"Orvane"_s});
}

} // namespace
} // namespace orvane
