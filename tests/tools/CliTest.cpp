#include "CliTestSupport.h"
#include "TeslaTelemetryReader.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

class CliTest : public testing::Test {
protected:
    static void SetUpTestSuite() {
        drive.emplace();
        root = *drive / "TeslaCam";
        sample::writeDrive(sample::exampleDrive(root, sample::CarLayout::sixCamera, 0.05, 0.5));
    }
    static void TearDownTestSuite() { drive.reset(); }
    static inline std::optional<TempFolder> drive;
    static inline QString root;
    ScopedTimeZone zone{"Asia/Shanghai"};
    TempFolder tmp;
};

// The example drive as the car would leave it: rolling minutes, two saved events, one sentry.
// One field of each kind is checked (their values' rules are the library's tests), with what
// event.json says of the moment, and encryption told by the footage's content.
TEST_F(CliTest, ScanAndVideosPrintTheLibrary) {
    Outcome r = run({"scan", root});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonObject library = QJsonDocument::fromJson(r.out).object();
    EXPECT_EQ(library.keys(), (QStringList{"recent", "saved", "sentry"}));
    EXPECT_TRUE(library["recent"].toArray()[0].toObject()["isContinuousSession"].toBool());
    ASSERT_EQ(library["saved"].toArray().size(), 2);
    const QJsonObject saved = library["saved"].toArray()[1].toObject();
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

    r = run({"videos", root, "--category", "saved", "--index", "1", "--camera", "front"});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonArray front = QJsonDocument::fromJson(r.out).array();
    ASSERT_EQ(front.size(), 2);
    EXPECT_EQ(front[0].toObject()["fileName"].toString(), "2024-05-01_10-20-30-front.mp4");
    EXPECT_EQ(front[0].toObject()["camera"].toString(), "front");

    const QString folder = tmp.makeFolder("TeslaCam/EncryptedClips/SavedClips/2024-05-02_18-00-00");
    writeClip({.path = folder + "/2024-05-02_17-59-00-front.mp4",
               .seconds = 0.05,
               .damage = sample::Damage::encrypted});
    r = run({"scan", tmp / "TeslaCam"});
    const QJsonObject encrypted = QJsonDocument::fromJson(r.out).object()["saved"].toArray()[0].toObject();
    EXPECT_TRUE(encrypted["encrypted"].toBool()) << r.out.toStdString();
    EXPECT_TRUE(encrypted["reason"].isNull());
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
}

// Burned-in time needs fonts: the command line draws them without any display. A source cut
// short is exported as far as it reads, with a warning (a whole one has none: the export tests).
TEST_F(CliTest, ExportsWithoutADisplayAndWarnsOfASourceCutShort) {
    const QString whole = writeCarClip(tmp, "2024-05-01_10-20-30-front.mp4", 2, 320, 240);
    const QString cut = tmp / "2024-05-01_10-20-40-front.mp4";
    ASSERT_TRUE(
        runProgram("ffmpeg", {"-v", "error", "-i", whole, "-c", "copy", "-movflags", "+faststart", cut}));
    ASSERT_TRUE(QFile::resize(cut, QFile(cut).size() * 6 / 10));
    ScopedEnvironment noDisplay("DISPLAY", std::nullopt), noWayland("WAYLAND_DISPLAY", std::nullopt);
    ScopedEnvironment noPlatform("QT_QPA_PLATFORM", std::nullopt);
    const Outcome o = run({"export", "single", cut, "--out", tmp / "out.mp4"});
    ASSERT_EQ(o.exitCode, 0) << o.err.toStdString();
    const QJsonObject result = QJsonDocument::fromJson(o.out).object();
    EXPECT_TRUE(result["truncated"].toBool()) << o.out.toStdString();
    EXPECT_LT(result["exportedLength"].toDouble(), 1.8);
    EXPECT_TRUE(QString::fromUtf8(o.err).contains("源视频不完整")) << o.err.toStdString();
    EXPECT_GT(QFile(tmp / "out.mp4").size(), 0);
}

// Six cameras export as the six-camera grid, at the balanced size the composition was made at.
TEST_F(CliTest, SixCameraGridExportsAtItsOwnSize) {
    QStringList minute;
    for (CameraAngle camera : Camera::physicalCases)
        minute << root + "/SavedClips/2024-05-01_10-21-12/2024-05-01_10-20-30" +
                      Camera::fileNameSuffix(camera);
    ASSERT_EQ(minute.size(), 6);
    const Outcome o = run(QStringList{"export", "grid"} + minute + QStringList{"--out", tmp / "six.mp4"});
    ASSERT_EQ(o.exitCode, 0) << o.err.toStdString();
    const auto size = runProgram("ffprobe", {"-v", "error", "-show_entries", "stream=width,height", "-of",
                                             "csv=p=0", tmp / "six.mp4"});
    EXPECT_EQ(size.value_or("").trimmed(), "1278,552");
}

} // namespace
