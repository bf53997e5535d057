// Elapsed-time labels: minutes and seconds, hours from one hour on, nonsense as zero.

#include "PlaybackTimeFormat.h"

#include <gtest/gtest.h>
#include <limits>

using namespace orvane;

TEST(PlaybackTimeFormat, FormatsSecondsAsLabels) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    const struct {
        double seconds;
        const char* text;
    } cases[] = {
        {0, "00:00"},        {0.999, "00:00"},      {59.999, "00:59"}, {75.9, "01:15"},
        {3599, "59:59"},     {3599.999, "59:59"},   {3600, "1:00:00"}, {3725, "1:02:05"},
        {36000, "10:00:00"}, {360000, "100:00:00"}, {-0.0, "00:00"},   {-1, "00:00"},
        {-0.001, "00:00"},   {inf, "00:00"},        {-inf, "00:00"},   {std::nan(""), "00:00"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(PlaybackTimeFormat::format(c.seconds), QString::fromLatin1(c.text)) << c.seconds;
}

// Lengths beyond what a 64-bit count of seconds holds are capped rather than overflowing.
TEST(PlaybackTimeFormat, HugeValuesAreCappedNotOverflowed) {
    EXPECT_EQ(PlaybackTimeFormat::format(1e300), QStringLiteral("2500000000000000:00:00"));
}
