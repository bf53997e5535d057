#include "DashboardPresentation.h"

#include <QSignalSpy>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

using namespace orvane;
using Tone = DashboardPresentation::GearTone;

namespace {

TeslaTelemetrySample sample(int64_t gear, float speed, float accelerator = 0, float steering = 0) {
    TeslaTelemetrySample s;
    s.gear = gear;
    s.speedMetersPerSecond = speed;
    s.accelerator = accelerator;
    s.steeringAngle = steering;
    return s;
}

TEST(DashboardPresentationTest, GearLettersAndTones) {
    struct Case {
        int64_t gear;
        const char* letter;
        Tone tone;
    };
    const Case cases[] = {{0, "P", Tone::Park},
                          {1, "D", Tone::Drive},
                          {2, "R", Tone::Reverse},
                          {3, "N", Tone::Neutral},
                          {7, "—", Tone::Unknown},
                          {-1, "—", Tone::Unknown},
                          {int64_t(1) << 40, "—", Tone::Unknown}};
    for (const Case& c : cases) {
        const auto state = DashboardPresentation::present(sample(c.gear, 0), std::nullopt);
        EXPECT_EQ(state.gearLetter, QString::fromUtf8(c.letter)) << "gear " << c.gear;
        EXPECT_EQ(state.gearTone, c.tone) << "gear " << c.gear;
    }
}

TEST(DashboardPresentationTest, SpeedRoundsHalfAwayFromZeroInSinglePrecision) {
    struct Case {
        float metersPerSecond;
        const char* text;
    };
    const Case cases[] = {
        {0.0f, "0"},
        {0.13f, "0"},
        {0.14f, "1"}, // 0.504 rounds up
        {-2.5f, "9"},
        {2.5f, "9"},
        {1.25f, "5"}, // 4.5 exactly: away from zero
        {-1.25f, "5"},
        {16.6667f, "60"},
        {0.1388f, "0"},
        {std::numeric_limits<float>::quiet_NaN(), "—"},
        {std::numeric_limits<float>::infinity(), "—"},
        {1e20f, "9999"}, // a corrupt value stays a number that fits
    };
    for (const Case& c : cases)
        EXPECT_EQ(DashboardPresentation::present(sample(1, c.metersPerSecond), std::nullopt).speedText,
                  QString::fromUtf8(c.text))
            << c.metersPerSecond;
}

TEST(DashboardPresentationTest, AcceleratorProgressIsPercentClamped) {
    struct Case {
        float percent;
        double progress;
    };
    const Case cases[] = {{0, 0},
                          {37.5f, 0.375},
                          {100, 1},
                          {150, 1},
                          {-5, 0},
                          {0.5f, 0.005},
                          {std::numeric_limits<float>::quiet_NaN(), 0}};
    for (const Case& c : cases)
        EXPECT_NEAR(DashboardPresentation::present(sample(1, 0, c.percent), std::nullopt).acceleratorProgress,
                    c.progress, 1e-6)
            << c.percent;
}

TEST(DashboardPresentationTest, WheelAnglePrefersTheSmoothedAngle) {
    EXPECT_DOUBLE_EQ(DashboardPresentation::present(sample(1, 0, 0, 12.5f), 90.0).wheelAngle, 90.0);
    EXPECT_DOUBLE_EQ(DashboardPresentation::present(sample(1, 0, 0, -90.0f), std::nullopt).wheelAngle, -90.0);
    EXPECT_DOUBLE_EQ(DashboardPresentation::present(std::nullopt, 45.0).wheelAngle, 45.0);
    EXPECT_DOUBLE_EQ(DashboardPresentation::present(std::nullopt, std::nullopt).wheelAngle, 0.0);
    // A smoothed angle that is not a number falls back to the sample's own.
    EXPECT_DOUBLE_EQ(DashboardPresentation::present(sample(1, 0, 0, 7.0f), std::nan("")).wheelAngle, 7.0);
}

TEST(DashboardPresentationTest, NoSampleShowsTheIdleStrip) {
    const auto idle = DashboardPresentation::present(std::nullopt, std::nullopt);
    EXPECT_EQ(idle.gearLetter, QStringLiteral("—"));
    EXPECT_EQ(idle.gearTone, Tone::Unknown);
    EXPECT_EQ(idle.speedText, QStringLiteral("—"));
    EXPECT_EQ(idle.speedKmh, 0);
    EXPECT_FALSE(idle.leftSignalOn || idle.rightSignalOn || idle.brakeOn || idle.assistActive);
    EXPECT_EQ(idle.acceleratorProgress, 0);
}

TEST(DashboardPresentationTest, SignalsBrakeAndAssistFollowTheSample) {
    TeslaTelemetrySample s = sample(1, 10);
    s.leftBlinker = true;
    s.brakeApplied = true;
    s.autopilotState = 0;
    auto state = DashboardPresentation::present(s, std::nullopt);
    EXPECT_TRUE(state.leftSignalOn);
    EXPECT_FALSE(state.rightSignalOn);
    EXPECT_TRUE(state.brakeOn);
    EXPECT_FALSE(state.assistActive); // state 0 is "off" in every firmware
    for (uint64_t mode : {1u, 2u, 3u, 7u}) {
        s.autopilotState = mode;
        EXPECT_TRUE(DashboardPresentation::present(s, std::nullopt).assistActive) << mode;
    }
}

TEST(DashboardPresentationTest, PublishesOnlyWhenThePresentationChanges) {
    DashboardPresentation presentation;
    QSignalSpy changed(&presentation, &DashboardPresentation::presentationChanged);
    presentation.setHasSample(true);
    presentation.setGear(1);
    EXPECT_EQ(presentation.gearLetter(), QStringLiteral("D"));
    const int afterGear = int(changed.count());
    presentation.setGear(1);                    // the same value publishes nothing
    presentation.setSpeedMetersPerSecond(0.01); // still "0" km/h
    EXPECT_EQ(changed.count(), afterGear);
    presentation.setSpeedMetersPerSecond(16.6667);
    EXPECT_EQ(presentation.speedText(), QStringLiteral("60"));
    EXPECT_EQ(changed.count(), afterGear + 1);
    presentation.setAutopilotState(-1); // not recorded: no badge
    EXPECT_FALSE(presentation.assistActive());
    presentation.setAutopilotState(3);
    EXPECT_TRUE(presentation.assistActive());
    presentation.setSample(std::nullopt);
    EXPECT_EQ(presentation.speedText(), QStringLiteral("—"));
    EXPECT_FALSE(presentation.hasSample());
}

} // namespace
