// `verify` against an export's manifest: a fresh export holds; one flipped byte in the video, a
// changed or missing source and a hand-edited manifest each fail, naming what differs. The
// manifest names the sources below TeslaCam only and never replaces an earlier one.

#include "CliTestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <functional>
#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

const QString event = QStringLiteral("SavedClips/2024-05-01_10-21-12/");
const QString firstMinute = event + QStringLiteral("2024-05-01_10-19-30-front.mp4");
const QString secondMinute = event + QStringLiteral("2024-05-01_10-20-30-front.mp4");

void flipByte(const QString& path, qint64 at) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadWrite));
    f.seek(at);
    char c = 0;
    f.getChar(&c);
    f.seek(at);
    f.putChar(char(c ^ 0x01));
}

void replaceText(const QString& path, const QByteArray& from, const QByteArray& to) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    QByteArray text = f.readAll();
    f.close();
    ASSERT_TRUE(text.contains(from));
    text.replace(from, to);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text);
}

struct Tampering {
    const char* name;
    std::function<void(const QString& drive, const QString& video)> change;
    QString failingCheck; // empty: everything holds
    QString failingFile;
    QString messageHolds;
};

void PrintTo(const Tampering& t, std::ostream* os) {
    *os << t.name;
}

class VerifyTest : public CliTest, public testing::WithParamInterface<Tampering> {};

TEST_P(VerifyTest, NamesWhatDiffers) {
    const QString drive = tmp / "TeslaCam";
    tmp.makeFolder("TeslaCam/" + event);
    writeClip({.path = drive + "/" + firstMinute,
               .seconds = 2,
               .startTime = *LocalTime::fromFields(2024, 5, 1, 10, 19, 30)});
    writeClip({.path = drive + "/" + secondMinute,
               .seconds = 2,
               .startTime = *LocalTime::fromFields(2024, 5, 1, 10, 20, 30)});
    const QString video = tmp / "out/cut.mp4";
    QDir().mkpath(tmp / "out");
    Outcome r = run({"export", "continuous", drive + "/" + firstMinute, drive + "/" + secondMinute, "--range",
                     "1", "3", "--no-time", "--map", "--map-tiles", "none", "--out", video});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    QFile manifest(tmp / "out/cut.orvane.json");
    ASSERT_TRUE(manifest.open(QIODevice::ReadOnly));
    const QByteArray written = manifest.readAll();
    EXPECT_FALSE(written.contains(tmp.path().toUtf8())) << "the user's folders stay out";
    EXPECT_TRUE(QJsonDocument::fromJson(written)["options"]["showMap"].toBool());

    GetParam().change(drive, video);
    r = run({"verify", video, "--drive", tmp.path()});
    const QJsonObject verdict = QJsonDocument::fromJson(r.out).object();
    QStringList failed;
    for (const QJsonValue& c : verdict["checks"].toArray()) {
        const QJsonObject check = c.toObject();
        if (check["ok"].toBool())
            continue;
        failed << check["check"].toString();
        if (check["check"].toString() == GetParam().failingCheck &&
            check["file"].toString() == GetParam().failingFile) {
            EXPECT_TRUE(check["message"].toString().contains(GetParam().messageHolds))
                << check["message"].toString().toStdString();
        }
    }
    EXPECT_EQ(r.exitCode, GetParam().failingCheck.isEmpty() ? 0 : 1) << r.err.toStdString();
    EXPECT_EQ(verdict["verified"].toBool(), GetParam().failingCheck.isEmpty());
    if (!GetParam().failingCheck.isEmpty()) {
        EXPECT_TRUE(failed.contains(GetParam().failingCheck)) << failed.join(",").toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Exports, VerifyTest,
    testing::Values(
        Tampering{"fresh", [](const QString&, const QString&) {}, {}, {}, {}},
        Tampering{"videoByteFlipped",
                  [](const QString&, const QString& video) { flipByte(video, QFileInfo(video).size() / 2); },
                  "output",
                  {},
                  "SHA-256"},
        Tampering{"sourceChanged",
                  [](const QString& drive, const QString&) { flipByte(drive + "/" + secondMinute, 2000); },
                  "source", secondMinute, secondMinute},
        Tampering{"sourceMissing",
                  [](const QString& drive, const QString&) { QFile::remove(drive + "/" + firstMinute); },
                  "source", firstMinute, QStringLiteral("找不到源文件：") + firstMinute},
        Tampering{"manifestEdited",
                  [](const QString&, const QString& video) {
                      replaceText(QFileInfo(video).dir().filePath("cut.orvane.json"), "\"showTime\": false",
                                  "\"showTime\": true");
                  },
                  "manifest",
                  {},
                  QStringLiteral("摘要")}),
    [](const testing::TestParamInfo<Tampering>& info) { return info.param.name; });

// A second export to the same name would leave the first one's manifest describing a video that
// is gone; it is refused before any work and both files stay as they were.
TEST_F(CliTest, AnEarlierManifestIsNeverReplaced) {
    const QString clip = writeCarClip(tmp, "2024-05-01_10-19-30-front.mp4");
    const QString manifest = tmp.writeFile("cut.orvane.json", "earlier");
    const Outcome r = run({"export", "single", clip, "--no-time", "--out", tmp / "cut.mp4"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(QString::fromUtf8(r.err).contains("cut.orvane.json")) << r.err.toStdString();
    EXPECT_FALSE(QFileInfo::exists(tmp / "cut.mp4"));
    QFile f(manifest);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), "earlier");
}

} // namespace
