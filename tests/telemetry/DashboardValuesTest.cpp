// What the dashboard shows: the record for a position in a file, the pedal on one scale whichever
// the file used, elapsed-time labels. (The smoothed steering angle is the app's timeline test.)

#include "AcceleratorScale.h"
#include "PlaybackTimeFormat.h"
#include "TelemetryInterpolation.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <optional>
#include <vector>

using namespace orvane;
namespace interp = orvane::TelemetryInterpolator;

namespace {

using Samples = std::vector<TeslaTelemetrySample>;

// One sample per frame number given; none leaves that record without a number.
Samples numbered(const std::vector<std::optional<uint64_t>>& frames) {
    Samples out;
    for (const auto& f : frames) {
        TeslaTelemetrySample s;
        s.frameSequenceNumber = f;
        s.steeringAngle = float(out.size()); // tells the records apart
        out.push_back(s);
    }
    return out;
}

Samples run(uint64_t first, int count) {
    std::vector<std::optional<uint64_t>> frames;
    for (int i = 0; i < count; ++i)
        frames.push_back(first + uint64_t(i));
    return numbered(frames);
}

Samples unnumbered(int count) {
    return numbered(std::vector<std::optional<uint64_t>>(size_t(count)));
}

// The position between records is the frame on screen and the way through it; no frame times: even.
TEST(TelemetryInterpolation, RecordShownFollowsTheFilesOwnFrameTimes) {
    const std::vector<double> uneven = {0, 0.1, 0.16, 0.3, 0.4};
    const std::vector<double> thirty = {0, 1 / 30.0, 2 / 30.0, 3 / 30.0};
    const struct {
        const std::vector<double>* times;
        double local;
        double position; // record index and fraction
    } cases[] = {{&uneven, 0.16, 2}, {&uneven, 0.29, 2 + 0.13 / 0.14}, {&uneven, 0.05, 0.5},
                 {&uneven, 0.45, 4}, {&thirty, 2 / 30.0, 2},           {&thirty, 2.5 / 30.0, 2.5}};
    for (const auto& c : cases) {
        const Samples samples = run(100, int(c.times->size()));
        const auto at = interp::interpolate(samples, interp::progressByFrames(c.local, *c.times, 0.5));
        ASSERT_TRUE(at);
        EXPECT_NEAR(at->lower + at->fraction, c.position, 1e-9) << "t = " << c.local;
    }
    EXPECT_DOUBLE_EQ(interp::progressByFrames(0.25, {}, 0.5), 0.5);
}

} // namespace

TEST(TelemetryInterpolation, ProgressIsLocalTimeOverDurationWithinZeroToOne) {
    constexpr double inf = std::numeric_limits<double>::infinity(),
                     nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double local, duration, progress;
    } cases[] = {
        {30, 60, 0.5}, {-1, 60, 0}, {90, 60, 1}, {30, 0, 0}, {30, inf, 0}, {nan, 60, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(interp::progress(c.local, c.duration), c.progress) << c.local << " / " << c.duration;
}

TEST(TelemetryInterpolation, MapsPositionsOntoRecords) {
    const struct {
        const char* name;
        Samples samples;
        double progress;
        std::optional<TelemetryInterpolation> expected;
        int shown; // index of the record the dashboard shows
    } cases[] = {
        // 1,800 records numbered 100…1,899 at half way: target 999.5 lies between 999 and 1,000.
        {"numbered at half", run(100, 1800), 0.5, TelemetryInterpolation{899, 900, 0.5}, 900},
        // A dropped record (102) is bridged through the numbers, not the indices.
        {"dropped record", numbered({100, 101, 103, 104}), 0.5, TelemetryInterpolation{1, 2, 0.5}, 2},
        {"unnumbered at end", unnumbered(11), 1, TelemetryInterpolation{10, 10, 0}, 10},
        {"unnumbered in between", unnumbered(11), 0.57, TelemetryInterpolation{5, 6, 0.7}, 6},
        {"one record", run(7, 1), 0.8, TelemetryInterpolation{0, 0, 0}, 0},
        // Numbers that cannot be trusted fall back to indices.
        {"first without number", numbered({std::nullopt, 1, 2, 3, 4}), 0.5, TelemetryInterpolation{2, 3, 0},
         2},
        {"counter not increasing", numbered({9, 8, 7, 6, 5}), 0.5, TelemetryInterpolation{2, 3, 0}, 2},
        {"gap met by the search", numbered({0, 1, std::nullopt, 3, 4}), 0.5, TelemetryInterpolation{2, 3, 0},
         2},
        {"no records", {}, 0.5, std::nullopt, -1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = interp::interpolate(c.samples, c.progress);
        ASSERT_EQ(result.has_value(), c.expected.has_value());
        if (!result)
            continue;
        EXPECT_EQ(result->lower, c.expected->lower);
        EXPECT_EQ(result->upper, c.expected->upper);
        EXPECT_NEAR(result->fraction, c.expected->fraction, 1e-9);
        EXPECT_EQ(&interp::nearestSample(c.samples, *result), &c.samples[size_t(c.shown)]);
    }
}

// On every frame boundary and inside every frame the record shown is the frame's or its neighbour's.
TEST(TelemetryInterpolation, RecordShownStaysWithinOneFrameOfThePicture) {
    constexpr int fps = 36;
    constexpr uint64_t firstFrame = 5000;
    const Samples samples = run(firstFrame, fps);
    const double duration = 1.0;
    for (int frame = 0; frame < fps; ++frame)
        for (double within : {0.0, 0.5, 0.999}) {
            const double local = (frame + within) / fps;
            const auto at = interp::interpolate(samples, interp::progress(local, duration));
            ASSERT_TRUE(at);
            const auto shown = int64_t(*interp::nearestSample(samples, *at).frameSequenceNumber - firstFrame);
            EXPECT_LE(std::abs(shown - frame), 1) << "t = " << local;
        }
}

// Rescaling a file on the fraction scale is the app's timeline test.
TEST(AcceleratorScale, DecidesPerFile) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        const char* name;
        std::vector<float> values;
        AcceleratorScale scale;
    } cases[] = {
        {"all zero", {0, 0, 0}, AcceleratorScale::percent},
        {"full throttle fraction", {0, 1}, AcceleratorScale::fraction},
        {"one value above one", {0.5f, 1.01f}, AcceleratorScale::percent},
        {"negative value", {-0.1f, 0.5f}, AcceleratorScale::percent},
        {"not a number", {nan, 0.5f}, AcceleratorScale::percent},
    };
    for (const auto& c : cases) {
        Samples samples(c.values.size());
        for (size_t i = 0; i < c.values.size(); ++i)
            samples[i].accelerator = c.values[i];
        EXPECT_EQ(AcceleratorScaling::detect(samples), c.scale) << c.name;
    }
}

// The last row is capped below what 64 bits hold rather than overflowing.
TEST(PlaybackTimeFormat, FormatsSecondsAsLabels) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    const struct {
        double seconds;
        const char* text;
    } cases[] = {
        {0.999, "00:00"},        {75.9, "01:15"},
        {3599.999, "59:59"},     {3600, "1:00:00"},
        {3725, "1:02:05"},       {360000, "100:00:00"},
        {-0.001, "00:00"},       {inf, "00:00"},
        {std::nan(""), "00:00"}, {1e300, "2500000000000000:00:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlaybackTimeFormat::format(c.seconds), QString::fromLatin1(c.text)) << c.seconds;
}
