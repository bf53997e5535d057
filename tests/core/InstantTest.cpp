#include "Instant.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

constexpr auto utc = test::utcSeconds;

// Europe/Berlin: CET (+1) in winter, CEST (+2) from the last Sunday of March 02:00 to the last
// Sunday of October 03:00.
class LocalTimeTest : public testing::Test {
protected:
    test::ScopedTimeZone zone{"Europe/Berlin"};
};

TEST_F(LocalTimeTest, FieldsFollowDaylightSaving) {
    struct Case {
        int y, mo, d, h, mi, s;
        std::optional<Instant> expected;
    } cases[] = {
        {2024, 1, 15, 10, 20, 30, utc(2024, 1, 15, 9, 20, 30)},
        // Spring: 02:00 … 02:59:59 do not exist and move forward by the hour.
        {2024, 3, 31, 2, 0, 0, utc(2024, 3, 31, 1, 0, 0)},
        {2024, 3, 31, 3, 0, 0, utc(2024, 3, 31, 1, 0, 0)},
        // Autumn: 02:00 … 02:59:59 happen twice; the earlier (summer time) reading wins.
        {2024, 10, 27, 2, 30, 0, utc(2024, 10, 27, 0, 30, 0)},
        {2024, 10, 27, 3, 0, 0, utc(2024, 10, 27, 2, 0, 0)},
        {2023, 2, 29, 0, 0, 0, std::nullopt},
        {2024, 5, 1, 24, 0, 0, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LocalTime::fromFields(c.y, c.mo, c.d, c.h, c.mi, c.s), c.expected)
            << c.y << "-" << c.mo << "-" << c.d << " " << c.h << ":" << c.mi << ":" << c.s;
}

TEST_F(LocalTimeTest, FormatsAndFindsTheStartOfTheDay) {
    EXPECT_EQ(LocalTime::format(utc(2024, 1, 5, 8, 2, 3) + 0.5, QStringLiteral("d HH:mm:ss yyyyy")),
              QStringLiteral("d 09:02:03 2024y"));
    EXPECT_EQ(LocalTime::startOfDay(utc(2024, 7, 15, 8, 20, 30)), utc(2024, 7, 14, 22, 0, 0));
    // The day the clocks go forward is 23 hours long; midnight is still winter time.
    EXPECT_EQ(LocalTime::startOfDay(utc(2024, 3, 31, 20, 0, 0)), utc(2024, 3, 30, 23, 0, 0));
    EXPECT_EQ(LocalTime::startOfDay(utc(2024, 3, 30, 23, 0, 0)), utc(2024, 3, 30, 23, 0, 0));
}

// A zone cached on first use would keep the first reading.
TEST(LocalTimeZoneTest, ChangingTzChangesReadings) {
    const auto tenOClockIn = [](const char* zone) {
        test::ScopedTimeZone scoped(zone);
        return LocalTime::fromFields(2024, 5, 1, 10, 0, 0).value_or(0);
    };
    const Instant shanghai = tenOClockIn("Asia/Shanghai");
    EXPECT_EQ(tenOClockIn("UTC") - shanghai, 8 * 3600);
    EXPECT_EQ(tenOClockIn("Asia/Shanghai"), shanghai);
}

} // namespace
