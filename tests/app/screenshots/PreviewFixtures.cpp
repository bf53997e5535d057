#include "PreviewFixtures.h"

#include "ExportViewModel.h"
#include "LibraryViewModel.h"
#include "SampleDrive.h"
#include "TeslaTelemetryReader.h"

#include <QDir>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace orvane::screenshots {

namespace {

// Its second minute turns with a blinker while speeding up (found by reading its telemetry).
constexpr uint64_t driveSeed = 410;
constexpr double minuteSeconds = 4;
constexpr double pictureScale = 0.35;
constexpr int importWaitMs = 30000;

// How much a record shows on the dashboard: speed, a blinker, a pedal, the wheel turned.
double interest(const TeslaTelemetrySample& s) {
    return (s.speedMetersPerSecond > 5 ? 4 : 0) + (s.leftBlinker || s.rightBlinker ? 2 : 0) +
           (s.brakeApplied || s.accelerator > 0 ? 1 : 0) + std::min(std::abs(s.steeringAngle), 90.0f) / 90;
}

// The time in the minute's front file of its most telling record (not in its first second,
// so the range can start before it).
double mostTellingMoment(const QString& frontFile, int framesPerSecond) {
    std::vector<TeslaTelemetrySample> samples;
    try {
        samples = TeslaTelemetryReader::read(frontFile);
    } catch (const std::exception&) {
    }
    size_t best = std::min(size_t(framesPerSecond), samples.empty() ? 0 : samples.size() - 1);
    for (size_t i = best; i + 1 < samples.size(); ++i)
        if (interest(samples[i]) > interest(samples[best]))
            best = i;
    return (double(best) + 0.5) / framesPerSecond;
}

} // namespace

PreviewFixtures makePreviewFixtures(const QString& work) {
    sample::DriveSpec drive;
    drive.root = work + QStringLiteral("/PreviewDrive/TeslaCam");
    drive.layout = sample::CarLayout::fourCamera;
    drive.scale = pictureScale;
    drive.minuteSeconds = minuteSeconds;
    drive.seed = driveSeed;
    const Instant day = LocalTime::fromFields(2024, 5, 1, 0, 0, 0).value_or(0);
    sample::EventSpec first;
    first.startTime = day + 10 * 3600 + 19 * 60 + 30;
    first.minutes = 2;
    first.city = QStringLiteral("上海");
    sample::EventSpec second = first;
    second.startTime = day + 14 * 3600 + 2 * 60 + 8;
    second.minutes = 1;
    second.city = QStringLiteral("杭州");
    drive.events = {first, second};
    const QStringList written = sample::writeDrive(drive);

    PreviewFixtures fixtures;
    fixtures.viewModel = std::make_unique<MainViewModel>();
    MainViewModel& vm = *fixtures.viewModel;
    vm.exporter()->setCustomOutputDirectoryPath(work + QStringLiteral("/exports"));
    QDir().mkpath(work + QStringLiteral("/exports"));
    vm.library()->importTeslaCamPaths({drive.root});
    if (!QTest::qWaitFor([&] { return !vm.library()->isImporting(); }, importWaitMs))
        std::fprintf(stderr, "the preview scenes' drive did not import\n");

    const EventsByCategory& library = vm.library()->eventsByCategory();
    std::vector<TeslaClipEvent> saved =
        library.count(ClipCategory::saved) ? library.at(ClipCategory::saved) : std::vector<TeslaClipEvent>{};
    std::sort(saved.begin(), saved.end(),
              [](const auto& a, const auto& b) { return a.startTime < b.startTime; });
    QStringList mergeIDs;
    for (const TeslaClipEvent& e : saved)
        mergeIDs << e.id.toString(QUuid::WithoutBraces);
    // The preview opens an event at its latest minute: the first event's second front file
    // (files are written event by event, minute by minute).
    const QStringList fronts = written.filter(QStringLiteral("-front.mp4"));
    const QString secondMinute = fronts.value(1);
    const double moment = mostTellingMoment(secondMinute, drive.framesPerSecond);
    fixtures.values = {{QStringLiteral("eventID"), mergeIDs.value(0)},
                       {QStringLiteral("mergeEventIDs"), mergeIDs},
                       {QStringLiteral("driveTime"), moment},
                       {QStringLiteral("rangeStart"), std::max(moment - 1.5, 0.2)}};
    return fixtures;
}

} // namespace orvane::screenshots
