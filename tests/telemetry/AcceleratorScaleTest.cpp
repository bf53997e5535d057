// The pedal scale is decided per file; files written on either scale read as percent.

#include "AcceleratorScale.h"

#include "TeslaTelemetryReader.h"
#include "TestSupport.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
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
// file's scale is undone. Seed 300 is parked with the pedal at 0 for three seconds, then cruises.
TEST(AcceleratorScale, FilesOnEitherScaleReadAsTheSamePercent) {
    TempFolder tmp;
    auto write = [&](const QString& scale) {
        const QString path = tmp / (scale + ".mp4");
        int exitCode = -1;
        runProgram(ORVANE_SAMPLE_DRIVE_PATH,
                   {"--clip", "front", "--size", "64x48", "--seed", "300", "--minute-seconds", "4",
                    "--accelerator-scale", scale, path},
                   &exitCode);
        EXPECT_EQ(exitCode, 0) << scale.toStdString();
        return TeslaTelemetryReader::read(path);
    };
    const auto percent = write("percent");
    auto fraction = write("fraction");
    ASSERT_EQ(percent.size(), fraction.size());
    ASSERT_EQ(percent.size(), 4u * 36);
    const std::vector<float> pressed = pedalOf(percent);
    EXPECT_GT(*std::max_element(pressed.begin(), pressed.end()), 1.0f); // a real press, not a fraction
    EXPECT_EQ(AcceleratorScaling::detect(percent), AcceleratorScale::percent);
    EXPECT_EQ(AcceleratorScaling::detect(fraction), AcceleratorScale::fraction);
    // The parked seconds alone are zeros on either scale: read as percent, left as they are.
    const std::vector parked(fraction.begin(), fraction.begin() + 36);
    EXPECT_EQ(AcceleratorScaling::detect(parked), AcceleratorScale::percent);
    EXPECT_EQ(pedalOf(parked), std::vector<float>(36, 0));
    AcceleratorScaling::normalizeToPercent(fraction);
    for (size_t i = 0; i < percent.size(); ++i)
        EXPECT_NEAR(fraction[i].accelerator, percent[i].accelerator, 1e-4) << i;

    int exitCode = -1;
    runProgram(ORVANE_SAMPLE_DRIVE_PATH,
               {"--clip", "front", "--accelerator-scale", "permille", tmp / "x.mp4"}, &exitCode);
    EXPECT_EQ(exitCode, 2) << "an unknown scale is refused";
    EXPECT_FALSE(QFile::exists(tmp / "x.mp4"));
}
