// What the command line prints: the library, one camera's files, telemetry, a damaged event's
// export without a display, footage under names that are not UTF-8.

#include "CliTestSupport.h"
#include "SampleDrive.h"
#include "TeslaTelemetryReader.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace orvane;
using namespace orvane::test;

namespace {

// The example drive as the car would leave it: rolling minutes, two saved events and a third the
// car encrypted, one sentry. One field of each kind is checked (their values' rules are the
// library's tests), with what event.json says of the moment, and encryption told by the content.
TEST_F(CliTest, ScanAndVideosPrintTheLibrary) {
    const QString root = tmp / "TeslaCam";
    sample::DriveSpec drive = sample::exampleDrive(root, sample::CarLayout::fourCamera, 0.05, 0.5);
    sample::addEncryptedEvent(drive);
    sample::writeDrive(drive);
    Outcome r = run({"scan", root});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonObject library = QJsonDocument::fromJson(r.out).object();
    EXPECT_EQ(library.keys(), (QStringList{"recent", "saved", "sentry"}));
    EXPECT_TRUE(library["recent"].toArray()[0].toObject()["isContinuousSession"].toBool());
    ASSERT_EQ(library["saved"].toArray().size(), 3);
    EXPECT_TRUE(library["saved"].toArray()[0].toObject()["encrypted"].toBool());
    const QJsonObject saved = library["saved"].toArray()[2].toObject();
    EXPECT_EQ(saved["category"].toString(), "saved");
    EXPECT_EQ(saved["start"].toString(), "2024-05-01T10:19:30");
    EXPECT_EQ(saved["startTime"].toDouble(), *LocalTime::fromFields(2024, 5, 1, 10, 19, 30));
    EXPECT_EQ(saved["videoCount"].toInt(), 2);
    EXPECT_EQ(saved["timeRangeTitle"].toString(), QStringLiteral("10:19:30～10:20:30"));
    EXPECT_TRUE(saved["sourceFile"].isNull());
    EXPECT_EQ(saved["reason"].toString(), "user_interaction_honk");
    EXPECT_EQ(saved["eventTime"].toDouble(), *LocalTime::fromFields(2024, 5, 1, 10, 21, 12));
    EXPECT_EQ(saved["camera"].toString(), "front");
    EXPECT_FALSE(saved["encrypted"].toBool());
    EXPECT_FALSE(saved.contains("hardBrakes")); // only asked for: it reads the footage
    r = run({"scan", root, "--hard-brakes"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(QJsonDocument::fromJson(r.out)["saved"][2]["hardBrakes"].isArray()); // the drive stops gently

    r = run({"videos", root, "--category", "saved", "--index", "2", "--camera", "front"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonArray front = QJsonDocument::fromJson(r.out).array();
    ASSERT_EQ(front.size(), 2);
    EXPECT_EQ(front[0].toObject()["fileName"].toString(), "2024-05-01_10-20-30-front.mp4");
    EXPECT_EQ(front[0].toObject()["camera"].toString(), "front");
}

// Every field of every sample, exactly, as JSON or CSV (its columns in the documented order).
TEST_F(CliTest, TelemetryCarriesEverySampleExactly) {
    const QString clip =
        writeClip({.path = tmp / "clip.mp4", .seed = 3, .firstFrameSerial = 36 * 20}); // moving
    const auto expected = TeslaTelemetryReader::read(clip);
    ASSERT_EQ(expected.size(), 36u);
    const QString header =
        "frameSequenceNumber,gear,speedMetersPerSecond,accelerator,steeringAngle,leftBlinker,"
        "rightBlinker,brakeApplied,version,autopilotState,latitude,longitude,heading,"
        "linearAccelerationX,linearAccelerationY,linearAccelerationZ";
    const QStringList columns = header.split(',');
    // A sample rebuilt from the printed texts of its columns (empty: absent), parsed from text so
    // that a value printed with too few digits shows up as a difference.
    auto sample = [](const QStringList& t) {
        auto u = [](const QString& s) { return s.isEmpty() ? std::nullopt : std::optional(s.toULongLong()); };
        auto d = [](const QString& s) { return s.isEmpty() ? std::nullopt : std::optional(s.toDouble()); };
        return TeslaTelemetrySample{u(t[0]),        t[1].toLongLong(), t[2].toFloat(), t[3].toFloat(),
                                    t[4].toFloat(), t[5] == "true",    t[6] == "true", t[7] == "true",
                                    u(t[8]),        u(t[9]),           d(t[10]),       d(t[11]),
                                    d(t[12]),       d(t[13]),          d(t[14]),       d(t[15])};
    };
    const Outcome json = run({"telemetry", clip});
    ASSERT_EQ(json.exitCode, 0);
    const QJsonArray array = QJsonDocument::fromJson(json.out).array();
    ASSERT_EQ(size_t(array.size()), expected.size());
    for (qsizetype i = 0; i < array.size(); ++i) {
        EXPECT_EQ(array[i].toObject().keys().size(), columns.size());
        QStringList texts;
        for (const QString& key : columns)
            texts << array[i].toObject().value(key).toVariant().toString(); // null reads as empty
        EXPECT_EQ(sample(texts), expected[size_t(i)]) << i;
    }
    const Outcome csv = run({"telemetry", clip, "--format", "csv"});
    ASSERT_EQ(csv.exitCode, 0);
    QStringList lines = QString::fromUtf8(csv.out).split('\n');
    ASSERT_EQ(lines.takeLast(), "");
    ASSERT_EQ(lines.takeFirst(), header);
    ASSERT_EQ(size_t(lines.size()), expected.size());
    for (qsizetype i = 0; i < lines.size(); ++i)
        EXPECT_EQ(sample(lines[i].split(',')), expected[size_t(i)]) << lines[i].toStdString();

    // The route: one point per record here (each has its own position), the first one's exactly;
    // its times come from the file's name, so a name without one is refused, not a crash.
    EXPECT_EQ(run({"telemetry", clip, "--format", "gpx"}).exitCode, 1);
    const QString named = tmp / "2024-05-01_10-19-30-front.mp4";
    ASSERT_TRUE(QFile::copy(clip, named));
    const Outcome gpx = run({"telemetry", named, "--format", "gpx"});
    ASSERT_EQ(gpx.exitCode, 0) << gpx.err.toStdString();
    EXPECT_EQ(gpx.out.count("<trkpt "), qsizetype(expected.size()));
    EXPECT_TRUE(
        gpx.out.contains(QStringLiteral("<trkpt lat=\"%1\"").arg(*expected[0].latitude, 0, 'f', 7).toUtf8()));
}

// Burned-in time needs fonts: the command line draws them without any display. A saved event whose
// middle front minute the car cut short exports what each minute holds: a warning and the skipped
// list name that minute, and the first and last frames are the first and last minutes' own.
TEST_F(CliTest, ExportsADamagedEventWithoutADisplayNamingTheMinuteCutShort) {
    sample::DriveSpec spec;
    spec.root = tmp / "TeslaCam";
    spec.scale = 0.125;
    spec.minuteSeconds = 1;
    const QString damaged = sample::addDamagedEvent(spec, sample::Damage::cutShort);
    QStringList args{"export", "continuous"};
    for (const QString& path : sample::writeDrive(spec))
        if (path.endsWith("-front.mp4"))
            args << path;
    ScopedEnvironment noDisplay("DISPLAY", std::nullopt), noWayland("WAYLAND_DISPLAY", std::nullopt);
    ScopedEnvironment noPlatform("QT_QPA_PLATFORM", std::nullopt);
    const Outcome o = run(args << "--out" << tmp / "out.mp4");
    ASSERT_EQ(o.exitCode, 0) << o.err.toStdString();
    const QJsonObject result = QJsonDocument::fromJson(o.out).object();
    const QJsonArray skipped = result["skipped"].toArray();
    ASSERT_EQ(skipped.size(), 1) << o.out.toStdString();
    EXPECT_EQ(skipped[0]["file"].toString(), damaged);
    EXPECT_EQ(skipped[0]["kind"].toString(), "cutShort");
    const double kept = skipped[0]["keptSeconds"].toDouble();
    EXPECT_GT(kept, 0.2);
    EXPECT_LT(kept, 0.9);
    EXPECT_TRUE(QString::fromUtf8(o.err).contains(damaged.left(10) + " 09:15:21 前路"))
        << o.err.toStdString();
    const Instant start = spec.events.front().startTime;
    EXPECT_EQ(result["startTime"].toDouble(), start);
    EXPECT_NEAR(result["endTime"].toDouble(), start + 120 + 35 / 36.0, 1e-3);
    EXPECT_NEAR(result["exportedLength"].toDouble(), 2 + kept, 0.05);
    EXPECT_TRUE(result["truncated"].toBool());
}

// The names are made by the shell: QProcess would pass them as UTF-8.
Outcome inShell(const QString& script, const TempFolder& tmp) {
    return run({QStringLiteral("-c"),
                QStringLiteral("N=\"$1/cl$(printf '\\351') USB\"; X=$(printf '\\351'); ") + script, cli,
                tmp.path()},
               QStringLiteral("/bin/sh"));
}

// A drive written by another system: a folder and a clip whose names are not UTF-8 are probed,
// captured and exported under their own bytes (scanning and listing them is the library's test; a
// grid reads its footage through the same copies as a continuous export).
TEST_F(CliTest, FootageUnderNamesThatAreNotUtf8IsFoundReadAndExported) {
    const test::RemovedByBytes cleanup{tmp.path()};
    sample::writeDrive(sample::exampleDrive(tmp / "TeslaCam", sample::CarLayout::fourCamera, 0.05, 0.5));
    const QString loose = writeCarClip(tmp, "2024-05-01_10-00-00-front.mp4", 0.5);
    const QByteArray folder = QFile::encodeName(tmp.path()) + "/cl\xe9 USB";
    ASSERT_EQ(::mkdir(folder.constData(), 0755), 0);
    ASSERT_EQ(::rename(QFile::encodeName(tmp / "TeslaCam").constData(), (folder + "/TeslaCam").constData()),
              0);
    ASSERT_EQ(::rename(QFile::encodeName(loose).constData(), (folder + "/x\xe9y.mp4").constData()), 0);
    const QByteArray shown = QFile::encodeName(tmp.path()) + "/cl\\udce9 USB/"; // a JSON escape per byte
    const QString saved = QStringLiteral("\"$N\"/TeslaCam/SavedClips/*/2024-05-01_10-");
    const struct {
        QString script;
        QByteArray printed;
        const char* written; // under the folder
    } cases[] = {
        {"\"$0\" probe \"$N/x${X}y.mp4\"", "\"frameRate\": 36", nullptr},
        {"\"$0\" frame \"$N/x${X}y.mp4\" --time 0.2 --out \"$N/f$X.png\"", shown + "f\\udce9.png\"",
         "f\xe9.png"},
        {"\"$0\" export single " + saved + "20-30-front.mp4 --out \"$N/s$X.mp4\"", shown + "s\\udce9.mp4\"",
         "s\xe9.mp4"},
        {"\"$0\" export continuous " + saved + "*-front.mp4 --out \"$N/c$X.mp4\"", "\"truncated\": false",
         "c\xe9.mp4"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script.toStdString());
        const Outcome r = inShell(c.script, tmp);
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        EXPECT_TRUE(r.out.contains(c.printed)) << r.out.toStdString();
        struct stat st {};
        if (c.written) {
            EXPECT_TRUE(::stat((folder + '/' + c.written).constData(), &st) == 0 && st.st_size > 0);
        }
    }
}

// Help, usage errors and failures follow the system's language (English for any but Chinese, as the
// window does); the JSON is the same in both.
TEST_F(CliTest, MessagesFollowTheSystemLanguage) {
    const QString empty = tmp.makeFolder("empty");
    const struct {
        std::optional<QByteArray> all, lang;
        const char *help, *usage, *failure;
    } languages[] = {
        {std::nullopt, "en_US.UTF-8", "usage:", "unknown command 'frob'", "Could not read the folder"},
        {std::nullopt, "zh_TW.UTF-8", "用法:", "未知的命令“frob”", "无法读取目录"},
        {"C.UTF-8", "zh_CN.UTF-8", "usage:", "unknown command", "Could not read"},
    };
    QByteArray json;
    for (const auto& l : languages) {
        SCOPED_TRACE(l.lang->toStdString());
        ScopedEnvironment all("LC_ALL", l.all), lang("LANG", l.lang), messages("LC_MESSAGES", std::nullopt);
        const Outcome help = run({"--help"}), unknown = run({"frob"});
        const Outcome failed = run({"scan", tmp / "missing"}), scanned = run({"scan", empty});
        EXPECT_TRUE(help.out.startsWith(l.help)) << help.out.toStdString();
        const bool chinese = !QByteArray(l.help).startsWith("usage"); // and no text left untranslated:
        EXPECT_EQ(QString::fromUtf8(help.out).contains(QRegularExpression(QStringLiteral("\\p{Han}"))),
                  chinese);
        EXPECT_TRUE(unknown.err.contains(l.usage)) << unknown.err.toStdString();
        EXPECT_TRUE(failed.err.contains(l.failure)) << failed.err.toStdString();
        EXPECT_EQ(scanned.exitCode, 0);
        EXPECT_EQ(scanned.out, json.isEmpty() ? (json = scanned.out) : json);
    }
}

} // namespace
