#include "CliTestSupport.h"
#include "MetadataParserError.h"
#include "SampleDrive.h"
#include "TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QFile>
#include <QProcess>

#include <gtest/gtest.h>

using namespace orvane;

namespace {

const QString cli = QStringLiteral(ORVANE_CLI_PATH);

struct CliRun {
    int exitCode = -1;
    QByteArray out, err;
};

CliRun runCli(const QStringList& args) {
    CliRun r;
    auto out = test::runProgram(cli, args, &r.exitCode, &r.err);
    r.out = out.value_or(QByteArray());
    return r;
}

class CliTest : public testing::Test {
protected:
    test::ScopedTimeZone zone{"Asia/Shanghai"};
    test::TempFolder tmp;
    QString root;
    void SetUp() override {
        root = tmp / "TeslaCam";
        sample::writeDrive(sample::exampleDrive(root, sample::CarLayout::sixCamera, 0.05, 0.5));
    }
};

TEST_F(CliTest, ScanPrintsEventsByCategory) {
    const CliRun r = runCli({"scan", root});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonObject library = QJsonDocument::fromJson(r.out).object();
    EXPECT_EQ(library.keys(), (QStringList{"recent", "saved", "sentry"}));
    const QJsonObject saved = library["saved"].toArray()[1].toObject();
    EXPECT_EQ(saved["category"].toString(), "saved");
    EXPECT_EQ(saved["start"].toString(), "2024-05-01T10:19:30");
    EXPECT_EQ(saved["startTime"].toDouble(), *LocalTime::fromFields(2024, 5, 1, 10, 19, 30));
    EXPECT_EQ(saved["endTime"].toDouble() - saved["startTime"].toDouble(), 60);
    EXPECT_EQ(saved["videoCount"].toInt(), 2);
    EXPECT_EQ(saved["timeRangeTitle"].toString(), QStringLiteral("10:19:30～10:20:30"));
    EXPECT_TRUE(saved["sourceFile"].isNull());
    EXPECT_TRUE(saved["folder"].toString().startsWith(root));
    EXPECT_TRUE(library["recent"].toArray()[0].toObject()["isContinuousSession"].toBool());
    EXPECT_TRUE(library["recent"].toArray()[0].toObject()["locationLine"].isNull());
}

TEST_F(CliTest, VideosListsOneCameraOrAll) {
    CliRun r = runCli({"videos", root, "--category", "saved", "--index", "1", "--camera", "front"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonArray front = QJsonDocument::fromJson(r.out).array();
    ASSERT_EQ(front.size(), 2);
    EXPECT_EQ(front[0].toObject()["fileName"].toString(), "2024-05-01_10-20-30-front.mp4");
    EXPECT_EQ(front[0].toObject()["camera"].toString(), "front");
    r = runCli({"videos", root, "--category", "recent", "--index", "0"});
    ASSERT_EQ(r.exitCode, 0);
    EXPECT_EQ(QJsonDocument::fromJson(r.out).array().size(), 18);
}

TEST_F(CliTest, FailuresAndUsageErrors) {
    struct Case {
        QStringList args;
        int exitCode;
        QString errorText;
    };
    const QString loose = tmp.writeFile("loose/clip.mp4");
    const std::vector<Case> cases = {
        {{"scan", loose}, 1, MetadataParserError::cannotParseTime("clip.mp4").description()},
        {{"scan"}, 2, "usage"},
        {{"frobnicate"}, 2, "unknown command"},
        {{}, 2, "usage"},
        {{"videos", root, "--category", "saved"}, 2, "usage"},
        {{"videos", root, "--category", "nope", "--index", "0"}, 2, "usage"},
        {{"videos", root, "--category", "saved", "--index", "9"}, 1, "没有这个事件"},
    };
    for (const Case& c : cases) {
        const CliRun r = runCli(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.join(' ').toStdString();
        EXPECT_TRUE(QString::fromUtf8(r.err).contains(c.errorText))
            << c.args.join(' ').toStdString() << ": " << r.err.toStdString();
    }
}

TEST_F(CliTest, EmptyFolderGivesEmptyObject) {
    const CliRun r = runCli({"scan", tmp.makeFolder("nothing here")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.trimmed(), "{}");
}

// Burned-in time needs fonts: the command line must draw them without any display.
TEST_F(CliTest, ExportBurnsTimeWithoutADisplay) {
    const QString clip = test::writeCarClip(tmp, "2024-05-01_10-20-30-front.mp4", 1, 320, 240);
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("DISPLAY"));
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));
    p.setProcessEnvironment(env);
    const QString out = tmp / "out.mp4";
    p.start(cli, {"export", "single", clip, "--out", out});
    ASSERT_TRUE(p.waitForFinished(120000));
    EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    EXPECT_GT(QFile(out).size(), 0);
}

} // namespace
