// The pedal scale is decided per file; files written on either scale read as percent.

#include "AcceleratorScale.h"
#include "TeslaTelemetryReader.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

using namespace orvane;
using namespace orvane::test;

namespace {

std::vector<TeslaTelemetrySample> pedal(const std::vector<float>& values) {
    std::vector<TeslaTelemetrySample> out(values.size());
    for (size_t i = 0; i < values.size(); ++i)
        out[i].accelerator = values[i];
    return out;
}

std::vector<float> pedalOf(const std::vector<TeslaTelemetrySample>& samples) {
    std::vector<float> out;
    for (const auto& s : samples)
        out.push_back(s.accelerator);
    return out;
}

} // namespace

TEST(AcceleratorScale, DecidesPerFile) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        const char* name;
        std::vector<float> values;
        AcceleratorScale scale;
    } cases[] = {
        {"no samples", {}, AcceleratorScale::percent},
        {"all zero", {0, 0, 0}, AcceleratorScale::percent},
        {"fractions", {0, 0.25f, 0.5f}, AcceleratorScale::fraction},
        {"full throttle fraction", {0, 1}, AcceleratorScale::fraction},
        {"percent", {0, 18, 55}, AcceleratorScale::percent},
        {"one value above one", {0.5f, 1.01f}, AcceleratorScale::percent},
        {"negative value", {-0.1f, 0.5f}, AcceleratorScale::percent},
        {"not a number", {nan, 0.5f}, AcceleratorScale::percent},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AcceleratorScaling::detect(pedal(c.values)), c.scale) << c.name;
}

TEST(AcceleratorScale, OnlyFractionFilesAreRescaled) {
    auto fraction = pedal({0, 0.25f, 1});
    AcceleratorScaling::normalizeToPercent(fraction);
    EXPECT_EQ(pedalOf(fraction), (std::vector<float>{0, 25, 100}));
    for (const std::vector<float>& unchanged : {std::vector<float>{0, 18, 55}, {0, 0}, {}}) {
        auto samples = pedal(unchanged);
        AcceleratorScaling::normalizeToPercent(samples);
        EXPECT_EQ(pedalOf(samples), unchanged);
    }
}

// End to end: the sample drive writes a clip on each scale, the reader reads it back and the
// file's scale is undone. Seed 300 cruises from the fourth second on; before that the car is
// parked with the pedal at 0.
class PedalScaleFile : public testing::Test {
protected:
    TempFolder tmp;

    std::vector<TeslaTelemetrySample> write(const QString& scale, const QString& seconds) {
        const QString path = tmp / (scale + seconds + ".mp4");
        int exitCode = -1;
        EXPECT_TRUE(runProgram(ORVANE_SAMPLE_DRIVE_PATH,
                               {"--clip", "front", "--size", "64x48", "--seed", "300", "--minute-seconds", seconds,
                                "--accelerator-scale", scale, path},
                               &exitCode));
        EXPECT_EQ(exitCode, 0);
        return TeslaTelemetryReader::read(path);
    }
};

TEST_F(PedalScaleFile, BothScalesReadAsTheSamePercent) {
    const auto percent = write("percent", "4");
    auto fraction = write("fraction", "4");
    ASSERT_EQ(percent.size(), fraction.size());
    ASSERT_FALSE(percent.empty());
    const std::vector<float> pressed = pedalOf(percent);
    EXPECT_GT(*std::max_element(pressed.begin(), pressed.end()), 1.0f); // a real press, not a fraction
    EXPECT_EQ(AcceleratorScaling::detect(fraction), AcceleratorScale::fraction);
    EXPECT_EQ(AcceleratorScaling::detect(percent), AcceleratorScale::percent);

    AcceleratorScaling::normalizeToPercent(fraction);
    for (size_t i = 0; i < percent.size(); ++i)
        EXPECT_NEAR(fraction[i].accelerator, percent[i].accelerator, 1e-4) << i;
}

TEST_F(PedalScaleFile, AFileOfZerosStaysAtZeroOnEitherScale) {
    for (const char* scale : {"percent", "fraction"}) {
        auto samples = write(scale, "1");
        ASSERT_FALSE(samples.empty());
        EXPECT_EQ(AcceleratorScaling::detect(samples), AcceleratorScale::percent) << scale;
        AcceleratorScaling::normalizeToPercent(samples);
        for (const auto& s : samples)
            EXPECT_EQ(s.accelerator, 0.0f) << scale;
    }
}

TEST_F(PedalScaleFile, AnUnknownScaleIsRefused) {
    int exitCode = -1;
    runProgram(ORVANE_SAMPLE_DRIVE_PATH, {"--clip", "front", "--accelerator-scale", "permille", tmp / "x.mp4"}, &exitCode);
    EXPECT_EQ(exitCode, 2);
    EXPECT_FALSE(QFile::exists(tmp / "x.mp4"));
}
