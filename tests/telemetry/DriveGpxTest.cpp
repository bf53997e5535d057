// The route as GPX: the 1.1 schema accepts it and its points read back as written.

#include "DriveGpx.h"

#include "DriveDataForTests.h"

#include <QDateTime>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <cmath>
#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

// GPX that the 1.1 schema accepts and whose points read back as written: one per distinct
// position, the frame's UTC time, the speed and a course inside 0…<360.
TEST(DriveGpx, ValidatesAndRoundTrips) {
    DriveMinute first = minute(0, 40, run(0, 0, 0));
    first.samples[1].latitude = first.samples[0].latitude; // a repeated position
    const DriveProfile p = DriveProfile::build({first, minute(40 / fps, 40, run(0, 0, 0))});
    const QByteArray gpx =
        DriveGpx::document(p, QStringLiteral("<drive & co>"), QStringLiteral("Orvane test"));

    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("route.gpx")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(gpx) == gpx.size());
    file.close();
    QProcess xmllint;
    xmllint.start(QStringLiteral("xmllint"), {QStringLiteral("--noout"), QStringLiteral("--schema"),
                                              QStringLiteral(ORVANE_GPX_SCHEMA), file.fileName()});
    ASSERT_TRUE(xmllint.waitForFinished());
    EXPECT_EQ(xmllint.exitCode(), 0) << xmllint.readAllStandardError().toStdString();

    QXmlStreamReader xml(gpx);
    std::vector<std::pair<double, QDateTime>> read;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("trkpt"))
            read.push_back({xml.attributes().value(QLatin1String("lat")).toDouble(), {}});
        else if (xml.name() == QLatin1String("time"))
            read.back().second = QDateTime::fromString(xml.readElementText(), Qt::ISODateWithMs);
        else if (xml.name() == QLatin1String("course")) {
            EXPECT_EQ(xml.readElementText(), QLatin1String("0.00"));
        }
    }
    EXPECT_FALSE(xml.hasError());
    ASSERT_EQ(read.size(), 79u);
    EXPECT_NEAR(read[1].first, *p.points[2].latitude, 1e-7);
    EXPECT_EQ(read[1].second.toMSecsSinceEpoch(), qint64(std::llround(*p.recordedAt(2) * 1000)));
    EXPECT_EQ(read[1].second.timeSpec(), Qt::UTC);
}

} // namespace
