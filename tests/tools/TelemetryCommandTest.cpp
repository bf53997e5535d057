// `orvane-cli telemetry`: every field of every sample, exactly, as JSON or CSV.

#include "SampleDrive.h"
#include "TeslaTelemetryReader.h"
#include "TestSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

const QStringList columns = {"frameSequenceNumber",
                             "gear",
                             "speedMetersPerSecond",
                             "accelerator",
                             "steeringAngle",
                             "leftBlinker",
                             "rightBlinker",
                             "brakeApplied",
                             "version",
                             "autopilotState",
                             "latitude",
                             "longitude",
                             "heading",
                             "linearAccelerationX",
                             "linearAccelerationY",
                             "linearAccelerationZ"};

// A sample rebuilt from the printed texts of its columns ("" or "null": absent). Numbers are
// parsed from text so that a value printed with too few digits shows up as a difference.
TeslaTelemetrySample fromTexts(const QStringList& t) {
    auto u = [](const QString& s) {
        return s.isEmpty() || s == "null" ? std::nullopt : std::optional(s.toULongLong());
    };
    auto d = [](const QString& s) {
        return s.isEmpty() || s == "null" ? std::nullopt : std::optional(s.toDouble());
    };
    return {u(t[0]),        t[1].toLongLong(), t[2].toFloat(), t[3].toFloat(), t[4].toFloat(), t[5] == "true",
            t[6] == "true", t[7] == "true",    u(t[8]),        u(t[9]),        d(t[10]),       d(t[11]),
            d(t[12]),       d(t[13]),          d(t[14]),       d(t[15])};
}

TEST(TelemetryCommandTest, JsonAndCsvCarryEverySampleExactly) {
    TempFolder tmp;
    sample::ClipSpec clip;
    clip.path = tmp / "clip.mp4";
    clip.seed = 3;
    clip.firstFrameSerial = 36 * 20; // moving, with blinkers and autopilot
    sample::writeClip(clip);
    const auto expected = TeslaTelemetryReader::read(clip.path);
    ASSERT_EQ(expected.size(), 36u);

    const auto json = runProgram(ORVANE_CLI_PATH, {"telemetry", clip.path});
    ASSERT_TRUE(json);
    const QJsonArray array = QJsonDocument::fromJson(*json).array();
    ASSERT_EQ(size_t(array.size()), expected.size());
    for (qsizetype i = 0; i < array.size(); ++i) {
        // Keys in the documented order (QJsonObject would sort them).
        EXPECT_EQ(array[i].toObject().keys().size(), columns.size());
        QStringList texts;
        for (const QString& key : columns) {
            const QJsonValue v = array[i].toObject().value(key);
            texts << (v.isNull()   ? "null"
                      : v.isBool() ? (v.toBool() ? "true" : "false")
                                   : v.toVariant().toString());
        }
        EXPECT_EQ(fromTexts(texts), expected[size_t(i)]) << i;
    }
    qsizetype at = -1;
    for (const QString& key : columns) {
        const qsizetype next = json->indexOf(("\"" + key + "\"").toUtf8());
        EXPECT_GT(next, at) << key.toStdString();
        at = next;
    }

    const auto csv = runProgram(ORVANE_CLI_PATH, {"telemetry", clip.path, "--format", "csv"});
    ASSERT_TRUE(csv);
    QStringList lines = QString::fromUtf8(*csv).split('\n');
    ASSERT_EQ(lines.takeLast(), "");
    ASSERT_EQ(lines.takeFirst(), columns.join(','));
    ASSERT_EQ(size_t(lines.size()), expected.size());
    for (qsizetype i = 0; i < lines.size(); ++i)
        EXPECT_EQ(fromTexts(lines[i].split(',')), expected[size_t(i)]) << lines[i].toStdString();
}

TEST(TelemetryCommandTest, FailuresGoToStandardErrorWithExitCode) {
    TempFolder tmp;
    struct Case {
        QStringList arguments;
        int exitCode;
        QString errorPart;
    };
    const Case cases[] = {
        {{"telemetry", tmp / "missing.mp4"}, 1, "missing.mp4: " + qt_error_string(ENOENT)},
        {{"telemetry", tmp.writeFile("empty.mp4")}, 1, "empty.mp4"},
        {{"telemetry", tmp / "a.mp4", "--format", "xml"}, 2, "xml"},
        {{"telemetry"}, 2, "usage"},
    };
    for (const auto& c : cases) {
        int exitCode = -1;
        QByteArray error;
        const auto out = runProgram(ORVANE_CLI_PATH, c.arguments, &exitCode, &error);
        ASSERT_TRUE(out);
        EXPECT_TRUE(out->isEmpty());
        EXPECT_EQ(exitCode, c.exitCode) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(QString::fromUtf8(error).contains(c.errorPart)) << error.toStdString();
    }
}

} // namespace
