#include "TeslaTimeParser.h"

#include "MetadataParser.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

// In Europe/Berlin: CET (+1) in winter, CEST (+2) from the last Sunday of March 02:00 to the last
// Sunday of October 03:00.
class TeslaTimeParserTest : public testing::Test {
protected:
    test::ScopedTimeZone zone{"Europe/Berlin"};
    static constexpr Instant utc(int y, int mo, int d, int h, int mi, int s) {
        return test::utcSeconds(y, mo, d, h, mi, s);
    }
};

TEST_F(TeslaTimeParserTest, LocalDateTimesAreExactlyTheCarsForm) {
    struct Case {
        const char* text;
        std::optional<Instant> expected;
    };
    // Daylight saving and impossible dates are LocalTime::fromFields's (see InstantTest).
    const Case cases[] = {
        {"2024-01-15T10:20:30", utc(2024, 1, 15, 9, 20, 30)},
        {"2024-07-15T10:20:30", utc(2024, 7, 15, 8, 20, 30)},
        {"2023-02-29T00:00:00", std::nullopt},
        {"2024-05-01 10:20:30", std::nullopt},
        {"2024-05-01T10:20:30Z", std::nullopt},
        {"2024-05-01T10:20", std::nullopt},
        {"２０２４-05-01T10:20:30", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TeslaTimeParser::parseLocalDateTime(QString::fromUtf8(c.text)), c.expected) << c.text;
}

TEST_F(TeslaTimeParserTest, MetadataTimestamps) {
    struct Case {
        const char* text;
        std::optional<Instant> expected;
    };
    const Case cases[] = {
        {"2024-05-01T10:20:30", utc(2024, 5, 1, 8, 20, 30)},
        {"2024-05-01T10:20:30Z", utc(2024, 5, 1, 10, 20, 30)},
        {"2024-05-01T10:20:30.123+08:00", utc(2024, 5, 1, 2, 20, 30) + 0.123},
        {"2024-05-01T10:20:30-0530", utc(2024, 5, 1, 15, 50, 30)},
        {" \n2024-05-01T10:20:30Z\n ", utc(2024, 5, 1, 10, 20, 30)},
        {"2024-05-01 10:20:30", std::nullopt},
        {"   ", std::nullopt},
        {"yesterday", std::nullopt},
        {"2024-05-01T10:20:30+25:00", std::nullopt},
    };
    for (const Case& c : cases) {
        const auto got = TeslaTimeParser::parseMetadataTimestamp(QString::fromUtf8(c.text));
        ASSERT_EQ(got.has_value(), c.expected.has_value()) << c.text;
        if (got) {
            EXPECT_NEAR(*got, *c.expected, 1e-6) << c.text;
        }
    }
}

TEST_F(TeslaTimeParserTest, CarNamesAreLocalTime) {
    EXPECT_EQ(MetadataParser::parseFileNameDate(QStringLiteral("2024-07-15_10-20-30-front.mp4")),
              utc(2024, 7, 15, 8, 20, 30));
    EXPECT_EQ(MetadataParser::parseEventFolderDate(QStringLiteral("2024-01-15_10-20-30")),
              utc(2024, 1, 15, 9, 20, 30));
    EXPECT_EQ(MetadataParser::parseFileNameDate(QStringLiteral("2024-07-15_10-20-30-front.MP4")),
              utc(2024, 7, 15, 8, 20, 30));
    EXPECT_EQ(MetadataParser::parseFileNameDate(QStringLiteral("2019-01-15_10-20-back.mp4")),
              utc(2019, 1, 15, 9, 20, 0));
    EXPECT_FALSE(MetadataParser::parseFileNameDate(QStringLiteral("2024-05-01_10-20-30-top.mp4")));
    EXPECT_FALSE(MetadataParser::parseFileNameDate(QStringLiteral("x2024-05-01_10-20-30-front.mp4")));
    EXPECT_FALSE(MetadataParser::parseEventFolderDate(QStringLiteral("2024-05-01_10-20-30 copy")));
    EXPECT_EQ(MetadataParser::parseFileNameDate(QStringLiteral("2024-07-15_10-20-30-left_pillar.mp4")),
              utc(2024, 7, 15, 8, 20, 30));
    // Exactly the stamp, one camera and ".mp4"; ASCII digits; a date that exists.
    for (const char* bad : {"2024-05-01_10-20-30-xfront.mp4", "2024-05-01_10-20-30--front.mp4",
                            "2024-05-01_10-20-30-front.mp4.mp4", "2024-05-01_10-20-3-front.mp4",
                            "2024-05-01T10-20-30-front.mp4", "２０２４-05-01_10-20-30-front.mp4",
                            "2024-13-01_10-20-30-front.mp4", "2024-05-01_10-20-30.mp4", "-front.mp4", ""})
        EXPECT_FALSE(MetadataParser::parseFileNameDate(QString::fromUtf8(bad))) << bad;
    for (const char* bad :
         {"2024-05-01_10-20-3", "2024-05-01_10-20-300", "2024-02-30_10-20-30", "2024-05-01_10:20:30"})
        EXPECT_FALSE(MetadataParser::parseEventFolderDate(QString::fromUtf8(bad))) << bad;
}

} // namespace
