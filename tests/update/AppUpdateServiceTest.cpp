#include "AppUpdateService.h"

#include "UpdateArchive.h"
#include "UpdateTestSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <numeric>
#include <unistd.h>

namespace orvane {
namespace {

using Kind = AppUpdateError::Kind;

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
        EXPECT_EQ(test::updateErrorOf([&] { AppUpdateManifest::fromJson(body); }), Kind::invalidManifest)
            << body;
}

// The primary answering 404 gives way to the fallback; when every candidate fails, the last one's
// error is reported.
TEST(FetchManifestTest, FallsBackAndReportsTheLastFailure) {
    test::LoopbackHttpServer server;
    const QByteArray valid = R"({"version":"9.0","downloadURL":"https://a.example/Orvane.tar.gz"})";
    server.serve(u"/valid"_s, valid);
    const QList<QUrl> mirrors = {server.url(u"/primary"_s), server.url(u"/valid"_s)};
    EXPECT_EQ(test::awaitResult(AppUpdateService::fetchManifest(mirrors)).version, u"9.0"_s);
    EXPECT_EQ(server.requests(u"/primary"_s), 1);

    const QUrl down = test::LoopbackHttpServer::unreachable();
    const std::pair<QList<QUrl>, Kind> cases[] = {
        {{down, down}, Kind::networkUnavailable},
        {{down, server.url(u"/missing"_s)}, Kind::invalidManifest},
        {{QUrl(u"http://a.example/m.json"_s)}, Kind::networkUnavailable}, // refused, never contacted
    };
    for (const auto& [candidates, expected] : cases)
        EXPECT_EQ(test::failureOf(AppUpdateService::fetchManifest(candidates)), expected);
    server.serve(u"/json"_s, "{not json");
    server.serve(u"/error"_s, {500, valid});
    server.serve(u"/redirect"_s, {302, {}, "Location: http://a.example/m.json\r\n"});
    server.serve(u"/huge"_s, QByteArray(AppUpdateService::maximumManifestBytes + 10, ' '));
    for (const QString& path : {u"/json"_s, u"/error"_s, u"/redirect"_s, u"/huge"_s})
        EXPECT_EQ(test::failureOf(AppUpdateService::fetchManifest({server.url(path)})), Kind::invalidManifest)
            << path.toStdString();
}

TEST(DownloadTest, StreamsToAFreshFileAndFailsWithNothingLeft) {
    test::LoopbackHttpServer server;
    test::TempFolder temp;
    const QByteArray archive = QByteArray(300000, 'r') + "end";
    server.serve(u"/a.tar.gz"_s, archive);
    const QString path = test::awaitResult(
        AppUpdateService::downloadUpdate(server.url(u"/a.tar.gz"_s), temp.path(), test::sha256Hex(archive)));
    EXPECT_TRUE(QRegularExpression(u"^%1/Orvane-update-[0-9a-f-]{36}\\.tar\\.gz$"_s.arg(temp.path()))
                    .match(path)
                    .hasMatch());
    EXPECT_EQ(test::readFile(path), archive);
    QFile::remove(path);

    server.serve(u"/unsized"_s, {200, archive, {}, false});
    server.serve(u"/cut"_s,
                 {200, archive, "Content-Length: " + QByteArray::number(archive.size() * 2) + "\r\n"});
    const qint64 limit = AppUpdateService::maximumDownloadBytes;
    const std::tuple<QUrl, QString, qint64> failures[] = {
        {server.url(u"/a.tar.gz"_s), test::sha256Hex("something else"), limit},
        {server.url(u"/missing"_s), {}, limit},
        {server.url(u"/cut"_s), {}, limit},
        {server.url(u"/unsized"_s), {}, archive.size() - 1}, // counted as the bytes arrive
        {QUrl(u"http://a.example/a.tar.gz"_s), {}, limit},
    };
    for (const auto& [url, digest, maximumBytes] : failures) {
        const auto sha256 = digest.isEmpty() ? std::nullopt : std::optional(digest);
        EXPECT_EQ(test::failureOf(AppUpdateService::downloadUpdate(url, temp.path(), sha256, maximumBytes)),
                  Kind::downloadFailed)
            << url.toString().toStdString();
        EXPECT_EQ(test::entries(temp.path()), QStringList());
    }
}

// A refused install removes the download and every temporary folder, and never quits.
TEST(InstallTest, RefusesWhatItCannotSafelyReplace) {
    test::TempFolder temp;
    const auto installFailure = [&](const QString& executable, const QByteArray& archive) {
        const QString download = temp.writeFile(u"tmp/Orvane-update-x.tar.gz"_s, archive);
        bool quit = false;
        const AppUpdateInstallation installation{executable, temp / u"tmp"_s, 0, [&] { quit = true; }};
        const auto failure =
            test::updateErrorOf([&] { AppUpdateService::installUpdate(download, installation); });
        QCoreApplication::processEvents();
        EXPECT_FALSE(quit);
        EXPECT_EQ(test::entries(temp / u"tmp"_s), QStringList());
        return failure;
    };
    // An installed copy at `folder`/Orvane; returns its executable.
    const auto installed = [&](const QString& folder) {
        test::writeBundle(temp, folder, u"A"_s, temp / u"log"_s);
        return temp / folder + u"/Orvane/bin/Orvane"_s;
    };
    // The test program runs from the build tree.
    EXPECT_EQ(installFailure(QCoreApplication::applicationFilePath(), "x"), Kind::appNotInstalled);
    const QString unmarked = installed(u"unmarked"_s);
    QFile::remove(temp / u"unmarked/Orvane/"_s + QStringLiteral(ORVANE_BUNDLE_MARKER));
    EXPECT_EQ(installFailure(unmarked, "x"), Kind::appNotInstalled);
    for (const QString& mounted : {u"media/usb"_s, u"run/media/me/usb"_s, u"tmp2/Orvane-update-mount-1234"_s})
        EXPECT_EQ(installFailure(installed(mounted), "x"), Kind::runningFromDiskImage)
            << mounted.toStdString();

    const QString executable = installed(u"apps"_s);
    const QString empty = temp / u"empty.tar.gz"_s;
    ASSERT_TRUE(test::runProgram(u"tar"_s, {u"-czf"_s, empty, u"--files-from=/dev/null"_s}));
    EXPECT_EQ(installFailure(executable, test::readFile(empty)), Kind::appBundleMissing);
    EXPECT_EQ(installFailure(executable, "not an archive"), Kind::mountFailed);
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
        const auto output = test::runProgram(u"/bin/bash"_s, {u"-c"_s, program});
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
        const auto error = test::updateErrorOf([&] { UpdateArchive::unpack(path, destination); });
        if (!error)
            return true;
        EXPECT_EQ(*error, AppUpdateError::Kind::mountFailed);
        EXPECT_EQ(test::entries(destination), QStringList());
        EXPECT_EQ(test::entries(temp / u"parent"_s), QStringList{u"mount"_s});
        EXPECT_FALSE(QFileInfo::exists(temp / u"evil"_s));
        return false;
    }

    test::TempFolder temp;
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
    EXPECT_EQ(test::readFile(destination + u'/' + QString::fromUtf8(oddName)), "odd");
    EXPECT_EQ(test::entries(destination), QStringList{u"Orvane"_s});
    EXPECT_TRUE(QFileInfo(destination + u"/Orvane/share/self"_s).isFile());
}

} // namespace
} // namespace orvane
