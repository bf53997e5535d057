// The drive over a whole event: hard-brake and swerve marks, the record at a moment matching the
// dashboard's.

#include "DriveProfile.h"

#include "DriveDataForTests.h"
#include "TelemetryInterpolation.h"

#include <gtest/gtest.h>
#include <vector>

using namespace orvane;
using namespace orvane::test;

namespace {

TEST(DriveProfile, MarksHardBrakingAndSwervesHeldForSeveralFrames) {
    const auto twoRuns = [](int gapFrames) {
        return [=](int i) {
            return std::pair(i < 5 || (i >= 5 + gapFrames && i < 10 + gapFrames) ? 0.5 : 0.0, 0.0);
        };
    };
    const struct {
        const char* what;
        std::function<std::pair<double, double>(int)> force;
        std::vector<double> brakes, swerves; // frame numbers
    } cases[] = {
        {"five frames beyond the limit", run(36, 41, 0.36), {36}, {}},
        {"four frames: a bump", run(36, 40, 0.9), {}, {}},
        {"at the limit, not beyond", run(36, 60, DriveProfile::hardBrakeG), {}, {}},
        {"two runs 1 s apart are one stop", twoRuns(36), {0}, {}},
        {"two runs 3 s apart are two", twoRuns(108), {0, 113}, {}},
        {"a swerve either way", run(72, 80, -0.5, true), {}, {72}},
    };
    for (const auto& c : cases) {
        const DriveProfile p = DriveProfile::build({minute(0, 200, c.force)});
        std::vector<double> brakes, swerves;
        for (double t : p.hardBrakes)
            brakes.push_back(std::round(t * fps));
        for (double t : p.swerves)
            swerves.push_back(std::round(t * fps));
        EXPECT_EQ(brakes, c.brakes) << c.what;
        EXPECT_EQ(swerves, c.swerves) << c.what;
    }
}

// Older firmware sends no accelerations: a stop from 20 m/s within a second still counts. A
// minute that carries them leaves zeros out (proto3), so there a missing one is 0, not unknown.
TEST(DriveProfile, DerivesDecelerationFromSpeedOnlyWithoutAccelerometer) {
    DriveMinute m = minute(0, 200, run(0, 0, 0));
    for (size_t i = 0; i < m.samples.size(); ++i) {
        m.samples[i].linearAccelerationX.reset();
        m.samples[i].speedMetersPerSecond = float(i < 72    ? 20
                                                  : i < 108 ? 20 - 20 * (double(i) - 72) / 36
                                                            : 0);
    }
    const DriveProfile derived = DriveProfile::build({m});
    ASSERT_EQ(derived.hardBrakes.size(), 1u);
    EXPECT_NEAR(derived.hardBrakes[0], 72 / fps, 0.3);

    m.samples[150].linearAccelerationX = 0.5;
    EXPECT_TRUE(DriveProfile::build({m}).hardBrakes.empty());
}

// The map's car and the dashboard show the same record at every moment, in a frame and on its
// boundary, across a minute boundary, with and without the file's frame times.
TEST(DriveProfile, PointAtIsTheDashboardsRecord) {
    for (bool frameTimes : {true, false}) {
        const DriveProfile p = DriveProfile::build(
            {minute(0, 72, run(0, 0, 0), frameTimes), minute(2, 72, run(0, 0, 0), frameTimes)});
        for (double t :
             {0.0, 0.5 / fps, 1 / fps, 10.4 / fps, 71 / fps, 71.5 / fps, 2.0, 2 + 1 / fps, 2 + 30.5 / fps}) {
            const DriveMinute& m = p.minutes[t < 2 ? 0 : 1];
            const auto shown =
                TelemetryInterpolator::shownRecord(m.samples, m.frameTimes, t - m.start, m.duration);
            const auto at = p.pointAt(t);
            ASSERT_TRUE(shown && at) << t;
            EXPECT_EQ(p.points[*at].latitude, shown->sample.latitude)
                << "t = " << t << " frameTimes " << frameTimes;
            EXPECT_EQ(p.points[*at].heading, shown->sample.heading);
        }
    }
}

TEST(DriveProfile, NoFixIsNoRoute) {
    DriveMinute m = minute(0, 10, run(0, 0, 0));
    for (auto& s : m.samples)
        s.latitude = s.longitude = 0; // what a record without a fix decodes to
    EXPECT_FALSE(DriveProfile::build({m}).hasPositions());
}

} // namespace
