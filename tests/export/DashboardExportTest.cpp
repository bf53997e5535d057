// The dashboard burned into an export: each frame shows its own source frame's record, across
// minutes, and a minute without a record gets no dashboard at all. The route map in the corner
// with the car of each frame. The driving record as a file.

#include "DashboardOverlay.h"
#include "DrivingRecordExport.h"
#include "ExportTestSupport.h"
#include "FileDelivery.h"
#include "FramePattern.h"
#include "MapOverlay.h"
#include "MapTiles.h"
#include "TelemetryModel.h"
#include "TeslaTelemetryReader.h"
#include "UserFacingError.h"

#include <QImage>
#include <QPainter>
#include <QTranslator>
#include <cmath>
#include <gtest/gtest.h>

using namespace orvane;
using namespace orvane::test;

namespace {

constexpr int width = 640, height = 480;

QImage rgb(const QByteArray& frame) {
    return QImage(reinterpret_cast<const uchar*>(frame.constData()), width, height, width * 3,
                  QImage::Format_RGB888)
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// Mean difference per channel inside `area`.
double difference(const QImage& a, const QImage& b, const QRect& area) {
    double sum = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum +=
                std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * area.width() * area.height());
}

// The clean frame with the strip of `state` laid over it, as the renderer draws it.
QImage withStrip(const QImage& clean, const DashboardReadout::State& state, QRect* digits = nullptr) {
    const auto strip = DashboardOverlay::place(state, width, height);
    QImage out = clean;
    QPainter(&out).drawImage(strip.placed.position, strip.placed.image);
    if (digits)
        *digits = strip.speedDigits;
    return out;
}

class DashboardExportTest : public ExportTest {};

TEST_F(DashboardExportTest, EachFrameShowsItsOwnRecordAcrossMinutesAndNoneWithoutOne) {
    auto minute = [&](int m, int64_t serial, sample::Damage damage = sample::Damage::none) {
        return clip({.path = *clips / QString("2024-05-01_09-0%1-00-front.mp4").arg(m),
                     .width = width,
                     .height = height,
                     .seconds = 2,
                     .startTime = morning + 3600 + 60 * m,
                     .firstFrameSerial = serial,
                     .damage = damage});
    };
    // Braking in the first minute, pulling away in the second: the speed changes every few frames.
    const TeslaVideoFile a = minute(0, 36 * 62), b = minute(1, 36 * 10);
    const TeslaVideoFile bare = minute(2, 0, sample::Damage::noTelemetry);
    const std::vector<ContinuousExportSegment> range{{a, 1.0, 1.0}, {b, 0, 1.0}, {bare, 0, 0.5}};
    WatermarkSettings settings{.showTime = false, .exportQuality = ExportQuality::original};
    const ExportResult plain = GPUVideoExporter::exportContinuous(range, folder / "plain.mp4", settings, {});
    settings.showDashboard = true;
    const ExportResult drawn = GPUVideoExporter::exportContinuous(range, folder / "drawn.mp4", settings, {});
    EXPECT_EQ(plain.framesWithoutDashboard, 0);
    EXPECT_FALSE(drawn.dashboardNotice().isEmpty());

    const auto clean = rawFrames(folder / "plain.mp4", width, height, "rgb24", 3),
               shown = rawFrames(folder / "drawn.mp4", width, height, "rgb24", 3);
    const auto luma = rawFrames(folder / "drawn.mp4", width, height);
    ASSERT_EQ(clean.size(), shown.size());
    ASSERT_EQ(luma.size(), shown.size());
    const std::vector<TeslaTelemetrySample> records[] = {TeslaTelemetryReader::read(a.url),
                                                         TeslaTelemetryReader::read(b.url)};
    int piece = 0, previousIndex = -1, checked[3] = {0, 0, 0};
    for (size_t n = 0; n < shown.size(); ++n) {
        const auto p = sample::FramePattern::read(reinterpret_cast<const uint8_t*>(luma[n].constData()),
                                                  width, width, height);
        ASSERT_TRUE(p) << n;
        piece += p->frameIndex < previousIndex ? 1 : 0; // the next minute starts again at frame 0
        previousIndex = p->frameIndex;
        const QImage cleanFrame = rgb(clean[n]), shownFrame = rgb(shown[n]);
        if (piece == 2) { // no record: the frame is the plain one
            EXPECT_LT(difference(shownFrame, cleanFrame, QRect(0, height / 2, width, height / 2)), 2.0) << n;
            ++checked[2];
            continue;
        }
        // Record i belongs to frame i; the wheel turns to the record's own angle on its frame.
        const auto& minuteRecords = records[piece];
        const auto stateOf = [&](const std::vector<TeslaTelemetrySample>& of, int index) {
            const TeslaTelemetrySample& r = of.at(size_t(std::clamp(index, 0, int(of.size()) - 1)));
            return DashboardReadout::present(r, r.steeringAngle);
        };
        const auto expected = stateOf(minuteRecords, p->frameIndex);
        auto bigger = expected;
        bigger.speedText = QString::number(expected.speedValue + 11);
        // The frame before and after, the other minute's frame of that index, other digits.
        const DashboardReadout::State others[] = {stateOf(minuteRecords, p->frameIndex - 1),
                                                  stateOf(minuteRecords, p->frameIndex + 1),
                                                  stateOf(records[1 - piece], p->frameIndex), bigger};
        QRect digits;
        const double right = difference(shownFrame, withStrip(cleanFrame, expected, &digits), digits);
        EXPECT_LT(right, 2.5) << "frame " << n << " speed " << expected.speedText.toStdString();
        for (const auto& other : others) {
            if (other.speedText == expected.speedText)
                continue;
            EXPECT_GT(difference(shownFrame, withStrip(cleanFrame, other), digits), 1.5 * right)
                << "frame " << n << " shows " << other.speedText.toStdString() << ", not "
                << expected.speedText.toStdString();
        }
        ++checked[piece];
    }
    EXPECT_GT(checked[0], 30);
    EXPECT_GT(checked[1], 30);
    EXPECT_GT(checked[2], 10);
    EXPECT_EQ(drawn.framesWithoutDashboard, checked[2]);
}

// The map in the top-right corner: the export's route with the car where each frame's own record
// puts it (the picture the same inputs always give), and nothing else of the frame touched.
TEST_F(DashboardExportTest, TheMapShowsTheCarOfEachFrameInTheCorner) {
    const ScopedEnvironment noTiles("ORVANE_MAP_TILES", QByteArray("none"));
    const TeslaVideoFile a = clip({.path = *clips / "2024-05-01_09-00-00-front.mp4",
                                   .width = width,
                                   .height = height,
                                   .seconds = 2,
                                   .startTime = morning + 3600,
                                   .firstFrameSerial = 36 * 62});
    WatermarkSettings settings{.showTime = false, .exportQuality = ExportQuality::original};
    GPUVideoExporter::exportContinuous({{a, 0, 2}}, folder / "plain.mp4", settings, {});
    settings.showMap = true;
    GPUVideoExporter::exportContinuous({{a, 0, 2}}, folder / "map.mp4", settings, {});
    const auto clean = rawFrames(folder / "plain.mp4", width, height, "rgb24", 3),
               shown = rawFrames(folder / "map.mp4", width, height, "rgb24", 3);
    const auto luma = rawFrames(folder / "map.mp4", width, height);
    ASSERT_EQ(clean.size(), shown.size());

    const auto records = TeslaTelemetryReader::read(a.url);
    std::vector<QPointF> route;
    for (const auto& r : records)
        route.push_back(MapTiles::unit(*r.latitude, *r.longitude));
    const QRect area = MapTrack::area(width, height);
    Minimap expected(route, area.size(), "none", folder / "no-cache");
    const auto withMap = [&](const QImage& frame, size_t record) {
        QImage out = frame;
        const auto& r = records.at(record);
        QPainter(&out).drawImage(area.topLeft(), expected.at(MapCar{route[record], r.heading}));
        return out;
    };
    for (size_t n = 0; n < shown.size(); n += 7) {
        const auto p = sample::FramePattern::read(reinterpret_cast<const uint8_t*>(luma[n].constData()),
                                                  width, width, height);
        ASSERT_TRUE(p) << n;
        const QImage cleanFrame = rgb(clean[n]), shownFrame = rgb(shown[n]);
        const double right = difference(shownFrame, withMap(cleanFrame, size_t(p->frameIndex)), area);
        EXPECT_LT(right, 3.0) << "frame " << n;
        const size_t later = std::min(size_t(p->frameIndex) + 20, records.size() - 1);
        if (route[later] != route[size_t(p->frameIndex)]) {
            EXPECT_GT(difference(shownFrame, withMap(cleanFrame, later), area), right + 0.2) << "frame " << n;
        }
        EXPECT_LT(difference(shownFrame, cleanFrame, QRect(0, height / 2, width, height / 2)), 2.0) << n;
    }
}

// The record of every frame, stamped with the time that frame was really recorded (the file's
// own uneven frame times), next to an earlier file that stays as it was.
// In an English session the strip's labels are English, as the preview's dashboard's are.
TEST_F(DashboardExportTest, TheLabelsFollowTheProgramsLanguage) {
    const DashboardReadout::State state;
    const QImage chinese = DashboardOverlay::place(state, width, height).placed.image;
    QTranslator english;
    ASSERT_TRUE(english.load(QStringLiteral(ORVANE_ENGLISH_QM)));
    QCoreApplication::installTranslator(&english);
    const QImage translated = DashboardOverlay::place(state, width, height).placed.image;
    QCoreApplication::removeTranslator(&english);
    EXPECT_NE(translated, chinese);
}

TEST_F(DashboardExportTest, DrivingRecordStampsEachFrameAndNeverReplacesAFile) {
    const sample::ClipSpec spec{
        .path = *clips / "2024-05-01_10-00-00-front.mp4", .startTime = morning + 7200, .unevenTiming = true};
    const TeslaVideoFile video = clip(spec);
    const QString out = folder.makeFolder("out");
    FileDelivery::writeFile("earlier", out + "/record.csv", {});

    const QString path = DrivingRecordExport::write({video}, out, "record.csv");
    EXPECT_EQ(QFileInfo(path).fileName(), "record-2.csv");
    QFile earlier(out + "/record.csv");
    ASSERT_TRUE(earlier.open(QIODevice::ReadOnly));
    EXPECT_EQ(earlier.readAll(), "earlier");
    QFile written(path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(written.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 1 + sample::frameCount(spec));
    EXPECT_TRUE(lines[0].endsWith(",recordedAt")) << lines[0].toStdString();
    for (int i : {0, 1, 7, sample::frameCount(spec) - 1}) {
        const QStringList cells = lines[1 + i].split(',');
        EXPECT_EQ(cells.back(),
                  DrivingRecordExport::frameTimeText(spec.startTime + sample::frameTime(spec, i)))
            << "row " << i;
        EXPECT_EQ(cells.front().toULongLong(),
                  sample::telemetryAt(spec.seed, i, media::cameraFrameRate).frameSequenceNumber);
    }

    // Footage without a record: a clear message and no file.
    const TeslaVideoFile bare =
        clip({.path = *clips / "2024-05-01_10-01-00-front.mp4", .damage = sample::Damage::noTelemetry});
    EXPECT_THROW(DrivingRecordExport::write({bare}, out, "bare.csv"), UserFacingError);
    EXPECT_EQ(entries(out), QStringList({"record-2.csv", "record.csv"}));
}

} // namespace
