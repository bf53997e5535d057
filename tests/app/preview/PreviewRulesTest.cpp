// The preview page's stateless rules as tables: its title, the video's shape, a frame step's
// target (by even frames or a file's own frame times), the time watermark (and that it prints
// what the export burns into the same frame), and what the dashboard shows of a telemetry record.

#include "DashboardPresentation.h"
#include "ExportTimeline.h"
#include "OverlayRenderer.h"
#include "PreviewPageController.h"
#include "PreviewWatermark.h"
#include "TestSupport.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace orvane;
using Tone = DashboardPresentation::GearTone;

namespace {

constexpr int fps = 36;
constexpr double frame = 1.0 / fps;

PlaybackSegmentContext at(Instant fileStart, double localTime) {
    TeslaVideoFile video;
    video.startTime = fileStart;
    return {video, localTime, 60, 0};
}

TeslaTelemetrySample sample(int64_t gear, float speed, float accelerator = 0, float steering = 0) {
    TeslaTelemetrySample s;
    s.gear = gear;
    s.speedMetersPerSecond = speed;
    s.accelerator = accelerator;
    s.steeringAngle = steering;
    return s;
}

} // namespace

TEST(PreviewPageRules, aspectRatioTurnsWithTheVideoAndStaysWithinLimits) {
    struct Case {
        int width, height, rotation;
        std::optional<double> ratio;
    };
    for (const Case& c : std::vector<Case>{{1280, 960, 0, 4.0 / 3},
                                           {2896, 1876, 180, 2896.0 / 1876},
                                           {1920, 1080, 90, 1080.0 / 1920},
                                           {400, 1000, 0, 0.5},   // very tall
                                           {4000, 100, 270, 0.5}, // very wide, turned upright
                                           {4000, 100, 0, 3.0},   // very wide
                                           {0, 720, 0, std::nullopt},
                                           {1280, 0, 0, std::nullopt}}) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " @" << c.rotation);
        EXPECT_EQ(PreviewPageController::aspectRatio(
                      {.width = c.width, .height = c.height, .rotation = c.rotation}),
                  c.ratio);
    }
}

// Frame k of an even file is shown from k/36 s to (k+1)/36 s; the uneven file's frames last 0.1,
// 0.06, 0.14 and 0.1 s. A step aims at the middle of the frame it wants, from inside a frame or
// its first instant, and stops at the ends; without frame times the file is taken as even.
TEST(PreviewPageRules, aFrameStepLandsInsideTheNeighbouringFrame) {
    struct File {
        std::vector<double> frameTimes;
        double frameDuration, duration;
    };
    const File even{{}, frame, 60}, uneven{{0, 0.1, 0.16, 0.3, 0.4}, 0.06, 0.46};
    struct Case {
        const File& file;
        double current;
        int count;
        double target;
    };
    for (const Case& c : std::vector<Case>{{even, 10 * frame, 1, 11.5 * frame},        // on a boundary
                                           {even, 10 * frame - 1e-9, 1, 11.5 * frame}, // a hair before it
                                           {even, 10.7 * frame, 1, 11.5 * frame},      // inside a frame
                                           {even, 10.7 * frame, -1, 9.5 * frame},
                                           {even, 10 * frame, -2, 8.5 * frame},
                                           {even, 0, -1, 0},     // no frame before the first
                                           {even, 59.99, 1, 60}, // none after the last
                                           {even, NAN, 1, 0},
                                           {uneven, 0.16, 1, 0.35},
                                           {uneven, 0.2, 1, 0.35},
                                           {uneven, 0.2, -1, 0.13},
                                           {uneven, 0.1, -1, 0.05},
                                           {uneven, 0.45, 1, 0.43},
                                           {uneven, 0.05, -3, 0.05}}) {
        SCOPED_TRACE(testing::Message()
                     << c.current << " " << c.count << (&c.file == &even ? "" : " uneven"));
        EXPECT_NEAR(PreviewPageController::frameStepTarget(c.current, c.count, c.file.frameTimes,
                                                           c.file.frameDuration, c.file.duration),
                    c.target, 1e-9);
    }
}

TEST(PreviewWatermark, ShowsTheFileTimeElseTheEventStartElseNow) {
    TeslaClipEvent event;
    event.startTime = 5000;
    const Instant now = 9000;
    EXPECT_DOUBLE_EQ(PreviewWatermark::instant(at(1000, 12.5), &event, now), 1012.5);
    EXPECT_DOUBLE_EQ(PreviewWatermark::instant(at(1000, 12.5), nullptr, now), 1012.5);
    EXPECT_DOUBLE_EQ(PreviewWatermark::instant(std::nullopt, &event, now), 5000); // a gap in the playlist
    EXPECT_DOUBLE_EQ(PreviewWatermark::instant(std::nullopt, nullptr, now), 9000);
}

// Every frame of three seconds across each of Berlin's clock changes, at the start of the frame
// and inside it, in a whole-file export and one trimmed to start 1.25 s in.
TEST(PreviewWatermark, PrintsWhatTheExportBurnsInAcrossClockChanges) {
    test::ScopedTimeZone zone{"Europe/Berlin"};
    const Instant springStart = *LocalTime::fromFields(2024, 3, 31, 1, 59, 58);  // CET, 02:00 is skipped
    const Instant autumnStart = *LocalTime::fromFields(2024, 10, 27, 2, 59, 58); // CEST, 02:00–03:00 repeats
    constexpr double trim = 1.25;
    for (const Instant fileStart : {springStart, autumnStart}) {
        const ExportTimeline whole = ExportTimeline::continuous(fileStart);
        const ExportTimeline trimmed = whole.shifted(trim);
        for (int k = 0; k < 3 * fps; ++k)
            for (double within : {0.0, 0.5}) {
                const double local = (k + within) / fps;
                const QString preview = PreviewWatermark::text(at(fileStart, local), nullptr, 0);
                EXPECT_EQ(preview, OverlayRenderer::watermarkText(*whole.instantAt(local))) << local;
                if (local >= trim) {
                    EXPECT_EQ(preview, OverlayRenderer::watermarkText(*trimmed.instantAt(local - trim)))
                        << local;
                }
            }
    }
    const auto text = [](Instant start, double local) {
        return PreviewWatermark::text(at(start, local), nullptr, 0);
    };
    EXPECT_EQ(text(springStart, 1.99), QStringLiteral("2024-03-31 01:59:59"));
    EXPECT_EQ(text(springStart, 2.0), QStringLiteral("2024-03-31 03:00:00"));
    EXPECT_EQ(text(springStart, 2.5 / fps + 2), QStringLiteral("2024-03-31 03:00:00"));
    EXPECT_EQ(text(autumnStart, 1.99), QStringLiteral("2024-10-27 02:59:59"));
    EXPECT_EQ(text(autumnStart, 2.0), QStringLiteral("2024-10-27 02:00:00")); // back to CET
}

// Gear letters and tones, the speed in km/h or mph rounded half away from zero in single
// precision, and the accelerator's percent clamped.
TEST(DashboardPresentationTest, GearSpeedAndPedalOfARecord) {
    constexpr float nan = std::numeric_limits<float>::quiet_NaN();
    constexpr auto kmh = DashboardPresentation::SpeedUnit::Kmh;
    constexpr auto mph = DashboardPresentation::SpeedUnit::Mph;
    const struct {
        int64_t gear;
        float speed, accelerator;
        DashboardPresentation::SpeedUnit unit;
        const char* letter;
        Tone tone;
        const char* speedText;
        double progress;
    } cases[] = {
        {0, 0.0f, 0, kmh, "P", Tone::Park, "0", 0},
        {1, 0.13f, 37.5f, kmh, "D", Tone::Drive, "0", 0.375},
        {2, 0.14f, 100, kmh, "R", Tone::Reverse, "1", 1}, // 0.504 rounds up
        {3, -2.5f, 150, kmh, "N", Tone::Neutral, "9", 1},
        {7, 1.25f, -5, kmh, "—", Tone::Unknown, "5", 0}, // 4.5 exactly: away from zero
        {-1, -1.25f, 0.5f, kmh, "—", Tone::Unknown, "5", 0.005},
        {int64_t(1) << 40, 16.6667f, nan, kmh, "—", Tone::Unknown, "60", 0},
        {1, 0.1388f, 0, kmh, "D", Tone::Drive, "0", 0},
        {1, nan, 0, kmh, "D", Tone::Drive, "—", 0},
        {1, std::numeric_limits<float>::infinity(), 0, kmh, "D", Tone::Drive, "—", 0},
        {1, 1e20f, 0, kmh, "D", Tone::Drive, "9999", 0},  // a corrupt value stays a number that fits
        {1, 26.8224f, 0, mph, "D", Tone::Drive, "60", 0}, // 60 mph exactly
        {1, 16.6667f, 0, mph, "D", Tone::Drive, "37", 0}, // 60 km/h is 37.3 mph
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.gear << " " << c.speed << " " << c.accelerator << " "
                                        << DashboardPresentation::rawValue(c.unit).toStdString());
        const auto state =
            DashboardPresentation::present(sample(c.gear, c.speed, c.accelerator), std::nullopt, c.unit);
        EXPECT_EQ(state.gearLetter, QString::fromUtf8(c.letter));
        EXPECT_EQ(DashboardPresentation::gearToneOf(state), c.tone);
        EXPECT_EQ(state.speedText, QString::fromUtf8(c.speedText));
        EXPECT_EQ(state.speedUnitLabel, c.unit == mph ? "mph" : "km/h");
        EXPECT_NEAR(state.acceleratorProgress, c.progress, 1e-6);
    }
}

TEST(DashboardPresentationTest, WheelSignalsBrakeAndAssistFollowTheSample) {
    EXPECT_DOUBLE_EQ(DashboardPresentation::present(sample(1, 0, 0, 12.5f), 90.0).wheelAngle, 90.0);
    EXPECT_DOUBLE_EQ(DashboardPresentation::present(sample(1, 0, 0, -90.0f), std::nullopt).wheelAngle, -90.0);
    EXPECT_DOUBLE_EQ(DashboardPresentation::present(std::nullopt, 45.0).wheelAngle, 45.0);
    // A smoothed angle that is not a number falls back to the sample's own.
    EXPECT_DOUBLE_EQ(DashboardPresentation::present(sample(1, 0, 0, 7.0f), std::nan("")).wheelAngle, 7.0);

    const auto idle = DashboardPresentation::present(std::nullopt, std::nullopt);
    EXPECT_EQ(idle.speedText, QStringLiteral("—"));
    EXPECT_FALSE(idle.leftSignalOn || idle.rightSignalOn || idle.brakeOn || idle.assistActive);
    TeslaTelemetrySample s = sample(1, 10);
    s.leftBlinker = true;
    s.brakeApplied = true;
    s.autopilotState = 0; // "off" in every firmware
    auto state = DashboardPresentation::present(s, std::nullopt);
    EXPECT_TRUE(state.leftSignalOn && state.brakeOn);
    EXPECT_FALSE(state.rightSignalOn || state.assistActive);
    for (uint64_t mode : {1u, 2u, 3u, 7u}) {
        s.autopilotState = mode;
        EXPECT_TRUE(DashboardPresentation::present(s, std::nullopt).assistActive) << mode;
    }
}
