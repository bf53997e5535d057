// The incident report's text, read back with pdftotext: the event's local and UTC times, the
// car's record at the moment and every source's SHA-256, in Chinese and in English; the place
// only when it is not hidden. (The drawing itself is looked at on the rendered pages.)

#include "CliTestSupport.h"
#include "DashboardReadout.h"
#include "FileDigest.h"
#include "TeslaTelemetryReader.h"

#include <QDir>
#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

struct ReportCase {
    const char* language;
    bool hidePlace;
    QString localLabel;
    // The system's language is the other one: --language must win over it.
    const char* systemLocale;
};

void PrintTo(const ReportCase& c, std::ostream* os) {
    *os << c.language << (c.hidePlace ? " without place" : "");
}

class ReportTest : public CliTest, public testing::WithParamInterface<ReportCase> {};

TEST_P(ReportTest, HoldsTimesRecordAndHashes) {
    const QString event = tmp.makeFolder("TeslaCam/SavedClips/2024-05-01_10-21-12");
    tmp.writeFile("TeslaCam/SavedClips/2024-05-01_10-21-12/event.json",
                  R"({"timestamp":"2024-05-01T10:20:31","city":"Shanghai","est_lat":"31.2304",)"
                  R"("est_lon":"121.4737","reason":"user_interaction_honk"})");
    const Instant start = *LocalTime::fromFields(2024, 5, 1, 10, 20, 30);
    QStringList files;
    for (CameraAngle camera : {CameraAngle::front, CameraAngle::back})
        files << writeClip({.path = event + "/2024-05-01_10-20-30" + Camera::fileNameSuffix(camera),
                            .camera = camera,
                            .seconds = 2,
                            .startTime = start,
                            .firstFrameSerial = 36 * 20});
    const QString pdf = tmp / "report.pdf";
    QStringList args{"report", event, "--out", pdf, "--language", GetParam().language};
    if (GetParam().hidePlace)
        args << "--hide-place";
    const QByteArray kept = qgetenv("LC_ALL");
    qputenv("LC_ALL", GetParam().systemLocale);
    Outcome r = run(args);
    qputenv("LC_ALL", kept);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    r = run({"-enc", "UTF-8", pdf, "-"}, "pdftotext");
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString text = QString::fromUtf8(r.out);

    EXPECT_TRUE(text.contains(GetParam().localLabel)) << text.toStdString();
    // The car saved the event at 10:20:31 Shanghai time: the report's default moment.
    EXPECT_TRUE(text.contains("2024-05-01 10:20:31.000")) << text.toStdString();
    EXPECT_TRUE(text.contains("2024-05-01 02:20:31.000 UTC"));
    const TeslaTelemetrySample at = TeslaTelemetryReader::read(files.front())[36];
    const int speed = *DashboardReadout::speedFor(at.speedMetersPerSecond, DashboardReadout::SpeedUnit::kmh);
    EXPECT_TRUE(text.contains(QStringLiteral("%1 km/h").arg(speed))) << speed;
    EXPECT_TRUE(text.contains(DashboardReadout::gearLetterFor(at.gear)));
    EXPECT_TRUE(text.contains(QStringLiteral("%1°").arg(double(at.steeringAngle), 0, 'f', 1)));
    for (const QString& file : files)
        EXPECT_TRUE(text.contains(FileDigest::sha256OfFile(file))) << file.toStdString();
    EXPECT_TRUE(text.contains("SavedClips/2024-05-01_10-21-12/2024-05-01_10-20-30-front.mp4"));
    EXPECT_FALSE(text.contains(tmp.path())) << "the user's folders stay out";
    EXPECT_EQ(text.contains("Shanghai"), !GetParam().hidePlace);
}

INSTANTIATE_TEST_SUITE_P(
    Languages, ReportTest,
    testing::Values(ReportCase{"zh", false, QStringLiteral("事件时间（本地）"), "en_US.UTF-8"},
                    ReportCase{"en", true, QStringLiteral("Event time (local)"), "zh_CN.UTF-8"}));

} // namespace
