#include "CameraAngle.h"
#include "DatedEventSection.h"
#include "EventMetadata.h"
#include "MetadataParser.h"
#include "TeslaClipEvent.h"
#include "TeslaTimeParser.h"
#include "TeslaVideoFile.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace orvane;

namespace {

TEST(CameraAngleTest, CameraAndTimestampKeyFromTheName) {
    const struct {
        const char* name;
        std::optional<CameraAngle> camera;
        const char* key;
    } cases[] = {
        {"2024-05-01_10-20-30-front.mp4", CameraAngle::front, "2024-05-01_10-20-30"},
        {"a-back.mp4", CameraAngle::back, "a"},
        {"clip-front.mp4.bak", std::nullopt, "clip-front.mp4.bak"},
        {"x-FRONT.mp4", std::nullopt, "x-FRONT.mp4"},
        {"x-front.MP4", CameraAngle::front, "x"},
        {"x-rear_view.mp4", CameraAngle::back, "x"},
        {"front.mp4", std::nullopt, "front.mp4"},
    };
    for (const auto& c : cases) {
        const QString name = QString::fromUtf8(c.name);
        EXPECT_EQ(Camera::parse(name), c.camera) << c.name;
        EXPECT_EQ(TeslaVideoFile::timestampKey(name), QString::fromUtf8(c.key)) << c.name;
        // Filtering by camera reads names alike; "all" takes every file.
        EXPECT_EQ(Camera::matches(CameraAngle::back, name), c.camera == CameraAngle::back) << c.name;
        EXPECT_TRUE(Camera::matches(CameraAngle::all, name));
    }
}

// Missing, FIFO and good files are the scanner's tests.
TEST(EventMetadataTest, DecodeAcceptsOnlyStringFieldsAndLoadIgnoresHugeFiles) {
    struct Case {
        const char* json;
        bool decodes;
    };
    const Case cases[] = {
        {R"({"timestamp":"2024-05-01T10:20:30","city":"上海","est_lat":"31.2","est_lon":"121.4","reason":"x"})",
         true},
        {R"({"city":null,"unknown":5})", true},
        {R"({"est_lat":31.2})", false}, // a number where the car writes text
        {R"([1,2])", false},
        {"\xff\xfe{}", false}, // not UTF-8
    };
    for (const Case& c : cases)
        EXPECT_EQ(EventMetadata::decode(QByteArray(c.json)).has_value(), c.decodes) << c.json;
    test::TempFolder tmp;
    tmp.writeFile("huge/event.json", "{\"city\":\"" + QByteArray(2 << 20, 'a') + "\"}");
    EXPECT_FALSE(EventMetadata::load(tmp / "huge"));
}

// Coordinates to the north-west with a city: the scanner's listing.
TEST(EventMetadataTest, LocationLines) {
    const struct {
        const char *lat, *lon, *city, *location; // nullptr: none
    } cases[] = {
        {"-0.5", "0", nullptr, "0.50000°S, 0.00000°E"},
        {" 31.2304", "121.4737", "上海", "上海"},
        {"31.2304", nullptr, "", nullptr},
    };
    const auto text = [](const char* s) { return s ? std::optional(QString::fromUtf8(s)) : std::nullopt; };
    for (const auto& c : cases) {
        EventMetadata m;
        m.estLat = text(c.lat);
        m.estLon = text(c.lon);
        m.city = text(c.city);
        EXPECT_EQ(m.locationLine(), text(c.location)) << c.lat;
    }
}

class ShanghaiTimeTest : public testing::Test {
protected:
    test::ScopedTimeZone zone{"Asia/Shanghai"};
    static Instant at(int y, int mo, int d, int h, int mi, int s) {
        return *LocalTime::fromFields(y, mo, d, h, mi, s);
    }
};

TEST_F(ShanghaiTimeTest, DaySectionsLatestFirst) {
    auto event = [](Instant t) {
        TeslaClipEvent e;
        e.startTime = t;
        return e;
    };
    const auto sections =
        DatedEventSection::sections({event(at(2024, 5, 1, 9, 0, 0)), event(at(2024, 5, 2, 0, 0, 0)),
                                     event(at(2024, 5, 1, 23, 59, 59)), event(at(2024, 5, 1, 0, 0, 0))},
                                    QLocale(QLocale::Chinese, QLocale::China));
    ASSERT_EQ(sections.size(), 2u);
    EXPECT_EQ(sections[0].date, at(2024, 5, 2, 0, 0, 0));
    EXPECT_EQ(sections[1].date, at(2024, 5, 1, 0, 0, 0));
    ASSERT_EQ(sections[1].events.size(), 3u);
    EXPECT_EQ(sections[1].events[0].startTime, at(2024, 5, 1, 23, 59, 59));
    EXPECT_EQ(sections[1].events[2].startTime, at(2024, 5, 1, 0, 0, 0));
}

// In Europe/Berlin: CET (+1) in winter, CEST (+2) in summer.
class TeslaTimeParserTest : public testing::Test {
protected:
    test::ScopedTimeZone zone{"Europe/Berlin"};
    static constexpr Instant utc(int y, int mo, int d, int h, int mi, int s) {
        return test::utcSeconds(y, mo, d, h, mi, s);
    }
};

// Without a zone the text is local time in exactly the car's form.
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
        {"   ", std::nullopt},
        {"2024-05-01T10:20:30+25:00", std::nullopt},
        {"２０２４-05-01T10:20:30", std::nullopt},
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
    EXPECT_EQ(MetadataParser::parseFileNameDate(QStringLiteral("2024-07-15_10-20-30-left_pillar.mp4")),
              utc(2024, 7, 15, 8, 20, 30));
    EXPECT_EQ(MetadataParser::parseEventFolderDate(QStringLiteral("2024-01-15_10-20-30")),
              utc(2024, 1, 15, 9, 20, 30));
    // Exactly the stamp, one camera and the extension; ASCII digits; a date that exists. (Upper-case
    // extensions and names without seconds: the drive layouts.)
    for (const char* bad : {"2024-05-01_10-20-30-top.mp4", "x2024-05-01_10-20-30-front.mp4",
                            "2024-05-01_10-20-30-front.mp4.mp4", "2024-05-01T10-20-30-front.mp4",
                            "２０２４-05-01_10-20-30-front.mp4", "2024-13-01_10-20-30-front.mp4"})
        EXPECT_FALSE(MetadataParser::parseFileNameDate(QString::fromUtf8(bad))) << bad;
    for (const char* bad :
         {"2024-05-01_10-20-30 copy", "2024-05-01_10-20-3", "2024-02-30_10-20-30", "2024-05-01_10:20:30"})
        EXPECT_FALSE(MetadataParser::parseEventFolderDate(QString::fromUtf8(bad))) << bad;
}

} // namespace
