// Encrypted footage on the command line: decrypted copies laid out as a plain drive, each failure
// named with nothing of it written, the reading commands given a token, and the token never shown.

#include "CliTestSupport.h"
#include "ClipSource.h"
#include "SampleKeyService.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;
using sample::SampleKeyService;

namespace {

class CliEncryptedTest : public CliTest {
protected:
    SampleKeyService service;
    ScopedEnvironment url{"ORVANE_KEY_SERVICE_URL", service.url().toString().toUtf8()};
    ScopedEnvironment token{"ORVANE_DASHCAM_TOKEN", SampleKeyService::acceptedToken().toUtf8()};

    // A four-camera drive whose one saved event of two minutes the car encrypted.
    QStringList writeEncryptedDrive() {
        sample::DriveSpec drive =
            sample::exampleDrive(tmp / "TeslaCam", sample::CarLayout::fourCamera, 0.1, 2);
        drive.events.clear();
        drive.recentMinutes = 0;
        sample::addEncryptedEvent(drive);
        return sample::writeDrive(drive).filter(".mp4");
    }
    static QString idOf(const QString& path) {
        return crypto::ContainerFormat::fileIdText(crypto::ContainerReader::readHead(path).header.fileId);
    }
    Outcome decrypt(const QString& out, const QStringList& more = {}) {
        const Outcome o = run(QStringList{"decrypt", tmp / "TeslaCam", "--out", out} + more);
        EXPECT_FALSE(o.out.contains(SampleKeyService::acceptedToken().toUtf8()) ||
                     o.err.contains(SampleKeyService::acceptedToken().toUtf8()));
        return o;
    }
};

QStringList filesUnder(const QString& folder) {
    QStringList files;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();)
        files << it.next().mid(folder.size() + 1);
    files.sort();
    return files;
}

TEST_F(CliEncryptedTest, DecryptWritesAPlainDriveAndNeverReplacesAFile) {
    const QStringList sources = writeEncryptedDrive();
    const QString tokenFile = tmp.writeFile("token", SampleKeyService::acceptedToken().toUtf8() + "\n");
    ScopedEnvironment noToken("ORVANE_DASHCAM_TOKEN", std::nullopt);
    const Outcome o = decrypt(tmp / "out", {"--token-file", tokenFile});
    ASSERT_EQ(o.exitCode, 0) << o.err.toStdString();
    const QJsonObject summary = QJsonDocument::fromJson(o.out).object();
    EXPECT_EQ(summary["decrypted"].toArray().size(), sources.size());
    EXPECT_TRUE(summary["failures"].toArray().isEmpty());
    const QString event = "TeslaCam/SavedClips/" + QFileInfo(sources.front()).dir().dirName() + "/";
    QStringList expected = {event + "event.json"};
    for (const QString& source : sources) {
        expected << event + QFileInfo(source).fileName();
        EXPECT_EQ(media::ClipSource::inspect(tmp / "out/" + expected.last()), media::ClipKind::mp4);
    }
    expected.sort();
    EXPECT_EQ(filesUnder(tmp / "out"), expected);

    // A file already there stays as it was, and is named.
    const QString taken = tmp.writeFile("again/" + expected.last(), "mine");
    const Outcome again = decrypt(tmp / "again", {"--token-file", tokenFile});
    EXPECT_EQ(again.exitCode, 1);
    EXPECT_EQ(QJsonDocument::fromJson(again.out).object()["failures"].toArray().size(), 1);
    EXPECT_TRUE(again.out.contains(QFileInfo(taken).fileName().toUtf8()));
    EXPECT_EQ(digest(taken), digest(tmp.writeFile("mine", "mine")));
}

// Each failure is named; a failure of the service writes nothing, one file's failure only that
// file's copy; nothing half-written stays.
TEST_F(CliEncryptedTest, DecryptNamesEachFailureAndWritesNothingOfIt) {
    const QStringList sources = writeEncryptedDrive();
    const QString unreachable = QString("http://127.0.0.1:%1/batch").arg(1); // nothing listens there
    const QStringList failingReads = {
        "LD_PRELOAD=" ORVANE_FAILING_READS_PATH, "ASAN_OPTIONS=verify_asan_link_order=0",
        "ORVANE_FAIL_READS_OF=" + sources[1],
        // its head is read five times (31 KiB), then half its pages
        "ORVANE_FAIL_READS_AFTER=" + QString::number(31744 + (QFile(sources[1]).size() - 12288) / 2), cli};
    const struct {
        const char* name;
        std::function<void()> arrange;
        std::optional<QByteArray> token, url;
        QString said;
        int written; // clips written
        QStringList prefix = {};
    } cases[] = {
        {"no token", [] {}, std::nullopt, std::nullopt, "ORVANE_DASHCAM_TOKEN", 0},
        {"token refused", [] {}, "expired", std::nullopt, "拒绝了令牌", 0},
        {"unreachable", [] {}, std::nullopt, unreachable.toUtf8(), "无法连接密钥服务", 0},
        {"drive pulled", [] {}, std::nullopt, std::nullopt, qt_error_string(EIO), int(sources.size()) - 1,
         failingReads},
        // Last: the service keeps refusing it.
        {"key refused", [&] { service.refuseKeyOf(idOf(sources[0])); }, std::nullopt, std::nullopt,
         QFileInfo(sources[0]).fileName(), int(sources.size()) - 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        c.arrange();
        ScopedEnvironment token("ORVANE_DASHCAM_TOKEN",
                                c.token ? c.token
                                : std::string(c.name) == "no token"
                                    ? std::nullopt
                                    : std::optional(SampleKeyService::acceptedToken().toUtf8()));
        ScopedEnvironment url("ORVANE_KEY_SERVICE_URL", c.url ? c.url : service.url().toString().toUtf8());
        const QString out = tmp / QString("out-%1").arg(c.name);
        const Outcome o = run(c.prefix + QStringList{"decrypt", tmp / "TeslaCam", "--out", out},
                              c.prefix.isEmpty() ? cli : "/usr/bin/env");
        EXPECT_EQ(o.exitCode, 1);
        EXPECT_TRUE(QString::fromUtf8(o.out + o.err).contains(c.said)) << (o.out + o.err).toStdString();
        const QStringList written = filesUnder(out).filter(".mp4");
        EXPECT_EQ(written.size(), c.written) << written.join(' ').toStdString();
        EXPECT_TRUE(filesUnder(out).filter(".part").isEmpty());
    }
}

// probe, frame, telemetry and the exports read an encrypted clip as the plain one it holds; the
// grid's ffmpeg reads a decrypted copy that does not outlast the export.
TEST_F(CliEncryptedTest, CommandsReadAnEncryptedClipAsThePlainOne) {
    QStringList plain, sealed;
    tmp.makeFolder("p");
    tmp.makeFolder("s");
    for (const char* camera : {"front", "back", "left_repeater", "right_repeater"}) {
        plain << writeCarClip(tmp, QString("p/2024-05-01_10-20-30-%1.mp4").arg(camera), 1, 64, 48);
        sealed << writeContainerOf(plain.last(), tmp / QString("s/2024-05-01_10-20-30-%1.mp4").arg(camera));
    }
    const QString work = tmp.makeFolder("work");
    auto argsFor = [&](const QString& what, const QStringList& files, const QString& tag) -> QStringList {
        const QString out = work + "/" + tag;
        if (what == "frame")
            return {"frame", files[0], "--time", "0.5", "--out", out + ".png"};
        if (what == "single")
            return {"export", "single", files[0], "--no-time", "--out", out + ".mp4"};
        if (what == "grid")
            return QStringList{"export", "grid"} + files +
                   QStringList{"--no-time", "--out", out + "-grid.mp4"};
        return {what, files[0]};
    };
    for (const QString what : {"probe", "telemetry", "frame", "single", "grid"}) {
        SCOPED_TRACE(what.toStdString());
        const Outcome p = run(argsFor(what, plain, "p"), cli, work),
                      s = run(argsFor(what, sealed, "s"), cli, work);
        EXPECT_EQ(p.exitCode, 0) << p.err.toStdString();
        EXPECT_EQ(s.exitCode, 0) << s.err.toStdString();
        if (what == "probe" || what == "telemetry") {
            EXPECT_EQ(p.out, s.out);
        }
        EXPECT_EQ(entries(work).filter("tesla-"), QStringList());
    }
    EXPECT_EQ(digest(work + "/p.png"), digest(work + "/s.png"));
    EXPECT_EQ(digest(work + "/p.mp4"), digest(work + "/s.mp4"));
    EXPECT_EQ(digest(work + "/p-grid.mp4"), digest(work + "/s-grid.mp4"));
    ScopedEnvironment noToken("ORVANE_DASHCAM_TOKEN", std::nullopt);
    const Outcome locked = run({"probe", sealed[0]});
    EXPECT_EQ(locked.exitCode, 1);
    EXPECT_TRUE(QString::fromUtf8(locked.err).contains("ORVANE_DASHCAM_TOKEN")) << locked.err.toStdString();
}

} // namespace
