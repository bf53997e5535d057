#include "AppUpdateError.h"
#include "AppUpdateService.h"
#include "TestSupport.h"
#include "UpdateTestSupport.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <unistd.h>

namespace orvane {
namespace {

using Kind = AppUpdateError::Kind;
using Response = test::LoopbackHttpServer::Response;

const QByteArray validManifest = R"({"version":"9.0","downloadURL":"https://a.example/Orvane.tar.gz"})";

template <typename T> std::optional<Kind> failureOf(QFuture<T> future) {
    return test::updateErrorOf([&] { test::awaitResult(future); });
}

TEST(FetchManifestTest, FallsBackWhenThePrimaryAnswers404) {
    test::LoopbackHttpServer server;
    server.serve(QStringLiteral("/fallback/misc/Orvane-latest.json"), validManifest);
    const AppUpdateManifest manifest = test::awaitResult(AppUpdateService::fetchManifest(
        {server.url(QStringLiteral("/primary/misc/Orvane-latest.json")), server.url(QStringLiteral("/fallback/misc/Orvane-latest.json"))}));
    EXPECT_EQ(manifest.version, QStringLiteral("9.0"));
    EXPECT_EQ(server.requests(QStringLiteral("/primary/misc/Orvane-latest.json")), 1);
}

TEST(FetchManifestTest, TheLastCandidatesErrorWins) {
    test::LoopbackHttpServer server;
    const QUrl down = test::LoopbackHttpServer::unreachableUrl(QStringLiteral("/m.json"));
    EXPECT_EQ(failureOf(AppUpdateService::fetchManifest({down, down})), Kind::networkUnavailable);
    EXPECT_EQ(failureOf(AppUpdateService::fetchManifest({down, server.url(QStringLiteral("/missing"))})), Kind::invalidManifest);
    EXPECT_EQ(failureOf(AppUpdateService::fetchManifest(QList<QUrl>{})), Kind::invalidManifest);
    // Never contacted: plain http to another machine.
    EXPECT_EQ(failureOf(AppUpdateService::fetchManifest(QUrl(QStringLiteral("http://a.example/m.json")))),
              Kind::networkUnavailable);
}

TEST(FetchManifestTest, BadAnswersAreInvalidManifests) {
    test::LoopbackHttpServer server;
    server.serve(QStringLiteral("/json"), "{not json");
    server.serve(QStringLiteral("/error"), Response{500, validManifest, {}});
    server.serve(QStringLiteral("/redirect"), Response{302, {}, {{"Location", "http://a.example/m.json"}}});
    server.serve(QStringLiteral("/huge"), QByteArray(AppUpdateService::maximumManifestBytes + 10, ' '));
    for (const char* path : {"/json", "/error", "/redirect", "/huge"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(failureOf(AppUpdateService::fetchManifest(server.url(QString::fromUtf8(path)))), Kind::invalidManifest);
    }
}

class DownloadTest : public ::testing::Test {
protected:
    std::optional<Kind> downloadFailure(const QString& path, const std::optional<QString>& sha256 = std::nullopt,
                                        qint64 maximumBytes = AppUpdateService::maximumDownloadBytes) {
        const auto kind = failureOf(AppUpdateService::downloadUpdate(server.url(path), temp.path(), sha256, maximumBytes));
        EXPECT_TRUE(test::folderEntries(temp.path()).isEmpty()) << "a failed download leaves nothing behind";
        return kind;
    }

    test::LoopbackHttpServer server;
    test::TempFolder temp;
    const QByteArray archive = QByteArray(300000, 'r') + "end";
};

TEST_F(DownloadTest, StreamsToAFreshFileAndChecksTheDigest) {
    server.serve(QStringLiteral("/a.tar.gz"), archive);
    const QString path = test::awaitResult(
        AppUpdateService::downloadUpdate(server.url(QStringLiteral("/a.tar.gz")), temp.path(), test::sha256Hex(archive)));
    EXPECT_TRUE(QRegularExpression(QStringLiteral("/Orvane-update-[0-9a-f-]{36}\\.tar\\.gz$")).match(path).hasMatch()) << path.toStdString();
    EXPECT_EQ(QFileInfo(path).absolutePath(), temp.path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), archive);
}

TEST_F(DownloadTest, EveryFailureIsDownloadFailedWithNothingLeft) {
    server.serve(QStringLiteral("/a.tar.gz"), archive);
    server.serve(QStringLiteral("/unsized"), Response{200, archive, {}, Response::Length::omitted});
    server.serve(QStringLiteral("/cut"), Response{200, archive, {}, Response::Length::overstated, archive.size() * 2});
    server.serve(QStringLiteral("/claims-2GiB"), Response{200, archive, {}, Response::Length::overstated, qint64(2) << 30});
    const QString wrongDigest = test::sha256Hex("something else");
    EXPECT_EQ(downloadFailure(QStringLiteral("/a.tar.gz"), wrongDigest), Kind::downloadFailed);
    EXPECT_EQ(downloadFailure(QStringLiteral("/missing")), Kind::downloadFailed);
    EXPECT_EQ(downloadFailure(QStringLiteral("/cut")), Kind::downloadFailed);
    EXPECT_EQ(downloadFailure(QStringLiteral("/claims-2GiB")), Kind::downloadFailed);
    // Without a length the limit is counted as the bytes arrive.
    EXPECT_EQ(downloadFailure(QStringLiteral("/unsized"), std::nullopt, archive.size() - 1), Kind::downloadFailed);
    EXPECT_EQ(failureOf(AppUpdateService::downloadUpdate(QUrl(QStringLiteral("http://a.example/a.tar.gz")), temp.path())),
              Kind::downloadFailed);
}

class InstallTest : public ::testing::Test {
protected:
    // Installs `archive` for a copy running from `executable`; the installation's quit is recorded.
    std::optional<Kind> installFailure(const QByteArray& archive, const QString& executable) {
        const QString download = temp.writeFile(QStringLiteral("tmp/Orvane-update-x.tar.gz"), archive);
        const AppUpdateInstallation installation{executable, temp / QStringLiteral("tmp"), QCoreApplication::applicationPid(),
                                                 [this] { quitRequested = true; }};
        const auto kind = test::updateErrorOf([&] { AppUpdateService::installUpdate(download, installation); });
        QCoreApplication::processEvents();
        EXPECT_FALSE(quitRequested);
        EXPECT_TRUE(test::folderEntries(temp / QStringLiteral("tmp")).isEmpty()) << "the download and every temporary folder are removed";
        return kind;
    }

    // An installed bundle at `folder`/Orvane; returns its executable.
    QString installedCopy(const QString& folder) {
        test::writeBundle(temp.makeFolder(folder), QStringLiteral("A"), temp / QStringLiteral("started"));
        return temp / (folder + QStringLiteral("/Orvane/bin/Orvane"));
    }

    QByteArray releaseArchive(const QMap<QString, QByteArray>& files) {
        const QString folder = temp.makeFolder(QStringLiteral("release"));
        for (auto it = files.cbegin(); it != files.cend(); ++it)
            temp.writeFile(QStringLiteral("release/Orvane/") + it.key(), it.value());
        test::packBundle(folder, temp / QStringLiteral("release.tar.gz"));
        QFile packed(temp / QStringLiteral("release.tar.gz"));
        packed.open(QIODevice::ReadOnly);
        return packed.readAll();
    }

    test::TempFolder temp;
    bool quitRequested = false;
};

TEST_F(InstallTest, RefusesACopyThatIsNotInstalled) {
    // The test program itself runs from the build tree.
    EXPECT_EQ(installFailure("unused", QCoreApplication::applicationFilePath()), Kind::appNotInstalled);
    // Right layout but no marker.
    const QString executable = installedCopy(QStringLiteral("apps"));
    QFile::remove(temp / QStringLiteral("apps/Orvane/" ORVANE_BUNDLE_MARKER));
    EXPECT_EQ(installFailure("unused", executable), Kind::appNotInstalled);
}

TEST_F(InstallTest, RefusesACopyRunningFromRemovableMediaOrAnUnpackedUpdate) {
    for (const QString& folder : {QStringLiteral("media/usb"), QStringLiteral("run/media/me/usb"),
                                 QStringLiteral("tmp2/Orvane-update-mount-1234")}) {
        SCOPED_TRACE(folder.toStdString());
        EXPECT_EQ(installFailure("unused", installedCopy(folder)), Kind::runningFromDiskImage);
    }
}

TEST_F(InstallTest, RefusesACopyItCouldNotReplace) {
    if (geteuid() == 0)
        GTEST_SKIP() << "root may write anywhere";
    const QString executable = installedCopy(QStringLiteral("apps"));
    QFile::setPermissions(temp / QStringLiteral("apps"), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    EXPECT_EQ(installFailure("unused", executable), Kind::installFailed);
    QFile::setPermissions(temp / QStringLiteral("apps"), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

TEST_F(InstallTest, AnArchiveWithoutTheWindowIsNotABundle) {
    const QString executable = installedCopy(QStringLiteral("apps"));
    EXPECT_EQ(installFailure(releaseArchive({{QStringLiteral("bin/orvane-cli"), "cli"}}), executable), Kind::appBundleMissing);
    EXPECT_EQ(installFailure(test::gzippedTar({}), executable), Kind::appBundleMissing);
    EXPECT_EQ(installFailure(test::gzippedTar({{"Orvane/../evil", '0', "x", {}}}), executable), Kind::mountFailed);
    EXPECT_EQ(installFailure("not an archive", executable), Kind::mountFailed);
}

TEST(RelaunchScriptTest, TheShellReadsPathsBackExactly) {
    const QString paths[] = {
        QStringLiteral("/home/me/.local/opt/Orvane"),
        QStringLiteral("/home/o'brien/my apps/Orvane"),
        QStringLiteral("/tmp/'quoted' \"double\" $HOME `date` \\back\\ \n line * ?.app"),
        QStringLiteral("/home/我的/应用/Orvane"),
    };
    for (const QString& path : paths) {
        SCOPED_TRACE(path.toStdString());
        const QString script = AppUpdateService::relaunchScript(4242, path, path + QStringLiteral("'staged"));
        EXPECT_TRUE(script.startsWith(QStringLiteral("#!/bin/bash\nPID=4242\nTARGET=")));
        EXPECT_FALSE(script.endsWith(u'\n'));
        if (!path.contains(u'\n')) {
            EXPECT_EQ(script.count(u'\n'), 13) << "14 lines, the last without a line break";
        }
        // Lines 3 and 4 (a path may itself hold line breaks), then print what the shell made of them.
        const QString program = script.section(QStringLiteral("\n\n"), 0, 0).section(u'\n', 2) +
                                QStringLiteral("\nprintf '%s\\0%s' \"$TARGET\" \"$STAGED\"");
        const std::optional<QByteArray> output = test::runProgram(QStringLiteral("/bin/bash"), {QStringLiteral("-c"), program});
        ASSERT_TRUE(output);
        EXPECT_EQ(QString::fromUtf8(*output), path + QChar(0) + path + QStringLiteral("'staged"));
    }
}

} // namespace
} // namespace orvane
