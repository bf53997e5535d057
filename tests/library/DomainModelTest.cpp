#include "CameraAngle.h"
#include "ClipCategory.h"
#include "DatedEventSection.h"
#include "EventMetadata.h"
#include "MinuteGroups.h"
#include "TeslaClipEvent.h"
#include "TeslaVideoFile.h"
#include "TestSupport.h"
#include "VideoTimestampGroup.h"

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
        {"x-left_repeater.mp4", CameraAngle::leftRepeater, "x"},
        {"x-right_pillar.mp4", CameraAngle::rightPillar, "x"},
        {"clip-front.mp4.bak", std::nullopt, "clip-front.mp4.bak"},
        {"x-FRONT.mp4", std::nullopt, "x-FRONT.mp4"},
        {"x-front.MP4", CameraAngle::front, "x"},
        {"x-rear_view.mp4", CameraAngle::back, "x"},
        {"front.mp4", std::nullopt, "front.mp4"},
        {"", std::nullopt, ""},
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

TEST(MinuteGroupsTest, GroupsInFirstSeenOrderKeepingInputOrder) {
    const QStringList names = {"2024-05-01_10-01-00-back.mp4",
                               "2024-05-01_10-00-00-front.mp4",
                               "odd.mp4",
                               "2024-05-01_10-01-00-front.mp4",
                               "2024-05-01_10-00-00-left_pillar.mp4",
                               "2024-05-01_10-01-00-FRONT.mp4"};
    const auto groups = groupByMinute(names, [](const QString& n) -> const QString& { return n; });
    ASSERT_EQ(groups.size(), 4u);
    EXPECT_EQ(groups[0].key, QStringLiteral("2024-05-01_10-01-00"));
    EXPECT_EQ(groups[0].items, (std::vector<QString>{names[0], names[3]}));
    EXPECT_EQ(groups[1].key, QStringLiteral("2024-05-01_10-00-00"));
    EXPECT_EQ(groups[1].items, (std::vector<QString>{names[1], names[4]}));
    EXPECT_EQ(groups[2].key, QStringLiteral("odd.mp4"));
    EXPECT_EQ(groups[3].key, names[5]) << "suffixes are case-sensitive";
    EXPECT_TRUE(groupByMinute(std::vector<TeslaVideoFile>{}).empty());
}

TEST(ClipCategoryTest, FromPath) {
    const std::vector<std::pair<const char*, std::optional<ClipCategory>>> cases = {
        {"/media/u/TeslaCam/SavedClips", ClipCategory::saved},
        {"/media/u/TeslaCam/SavedClips/2024-05-01_10-20-30", ClipCategory::saved},
        {"/media/u/TeslaCam/RecentClips/", ClipCategory::recent},
        {"/media/u/TeslaCam/SentryClips/x/y", ClipCategory::sentry},
        {"/media/u/TeslaCam/savedclips/x", std::nullopt},
        {"/media/u/TeslaCam/MySavedClips", std::nullopt},
        {"/media/u/TeslaCam/SavedClipsOld/x", std::nullopt},
        {"/media/u/TeslaCam", std::nullopt},
        // Recent wins when a path names two categories.
        {"/a/SavedClips/b/RecentClips", ClipCategory::recent},
    };
    for (const auto& [path, expected] : cases)
        EXPECT_EQ(Category::from(QString::fromUtf8(path)), expected) << path;
}

TEST(EventMetadataTest, DecodeAcceptsOnlyStringFields) {
    struct Case {
        const char* json;
        bool decodes;
    };
    const Case cases[] = {
        {R"({"timestamp":"2024-05-01T10:20:30","city":"上海","est_lat":"31.2","est_lon":"121.4","reason":"x"})",
         true},
        {R"({})", true},
        {R"({"city":null,"unknown":5})", true},
        {R"({"est_lat":31.2})", false}, // a number where the car writes text
        {R"([1,2])", false},
        {"", false},
        {"{", false},
        {"\xff\xfe{}", false}, // not UTF-8
        {R"({"city":"a"} trailing)", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(EventMetadata::decode(QByteArray(c.json)).has_value(), c.decodes) << c.json;
    const auto m = EventMetadata::decode(R"({"city":"上海","reason":"honk"})");
    ASSERT_TRUE(m);
    EXPECT_EQ(m->city, QStringLiteral("上海"));
    EXPECT_EQ(m->reason, QStringLiteral("honk"));
    EXPECT_FALSE(m->timestamp);
}

TEST(EventMetadataTest, LoadIgnoresMissingHugeAndBrokenFiles) {
    test::TempFolder tmp;
    EXPECT_FALSE(EventMetadata::load(tmp.makeFolder("none")));
    tmp.writeFile("empty/event.json");
    EXPECT_FALSE(EventMetadata::load(tmp / "empty"));
    tmp.writeFile("huge/event.json", "{\"city\":\"" + QByteArray(2 << 20, 'a') + "\"}");
    EXPECT_FALSE(EventMetadata::load(tmp / "huge"));
    tmp.writeFile("good/event.json", R"({"city":"Hangzhou"})");
    ASSERT_TRUE(EventMetadata::load(tmp / "good"));
    EXPECT_EQ(EventMetadata::load(tmp / "good")->city, QStringLiteral("Hangzhou"));
}

TEST(EventMetadataTest, CoordinateAndLocationLines) {
    struct Case {
        std::optional<QString> lat, lon, city;
        std::optional<QString> coordinate, location;
    };
    const QString both = QStringLiteral("31.23040°N, 121.47370°W");
    const Case cases[] = {
        {"31.2304", "-121.4737", std::nullopt, both, both},
        {"31.2304", "-121.4737", QStringLiteral("上海"), both, both + QStringLiteral(" · 上海")},
        {"-0.5", "0", std::nullopt, QStringLiteral("0.50000°S, 0.00000°E"),
         QStringLiteral("0.50000°S, 0.00000°E")},
        {" 31.2304", "121.4737", QStringLiteral("上海"), std::nullopt, QStringLiteral("上海")},
        {"31.2304", "121.4737x", std::nullopt, std::nullopt, std::nullopt},
        {"31.2304", std::nullopt, QStringLiteral(""), std::nullopt, std::nullopt},
        {"nan", "inf", QStringLiteral("上海"), std::nullopt, QStringLiteral("上海")},
        {"1e1", ".5", std::nullopt, QStringLiteral("10.00000°N, 0.50000°E"),
         QStringLiteral("10.00000°N, 0.50000°E")},
    };
    for (const Case& c : cases) {
        EventMetadata m;
        m.estLat = c.lat;
        m.estLon = c.lon;
        m.city = c.city;
        EXPECT_EQ(m.coordinateLine(), c.coordinate) << c.lat.value_or("-").toStdString();
        EXPECT_EQ(m.locationLine(), c.location) << c.lat.value_or("-").toStdString();
    }
}

class ShanghaiTimeTest : public testing::Test {
protected:
    test::ScopedTimeZone zone{"Asia/Shanghai"};
    static Instant at(int y, int mo, int d, int h, int mi, int s) {
        return *LocalTime::fromFields(y, mo, d, h, mi, s);
    }
};

TEST_F(ShanghaiTimeTest, TimeRangeTitleAndOutputNames) {
    TeslaClipEvent event;
    event.category = ClipCategory::imported;
    event.startTime = at(2024, 5, 1, 10, 20, 30);
    EXPECT_EQ(event.timeRangeTitle(), QStringLiteral("10:20:30"));
    EXPECT_EQ(event.continuousOutputFileName(CameraAngle::all),
              QStringLiteral("_2024-05-01_10-20-30_2024-05-01_10-20-30_grid_watermarked.mp4"));
    event.endTime = event.startTime;
    EXPECT_EQ(event.timeRangeTitle(), QStringLiteral("10:20:30"));
    event.endTime = at(2024, 5, 1, 10, 21, 30);
    event.category = ClipCategory::saved;
    EXPECT_EQ(event.timeRangeTitle(), QStringLiteral("10:20:30～10:21:30"));
    EXPECT_EQ(
        event.continuousOutputFileName(CameraAngle::leftRepeater),
        QStringLiteral("SavedClips_2024-05-01_10-20-30_2024-05-01_10-21-30_left_repeater_watermarked.mp4"));
    EXPECT_EQ(event.partialContinuousOutputFileName(CameraAngle::front, 5, 65.9),
              QStringLiteral("SavedClips_2024-05-01_10-20-35_2024-05-01_10-21-35_front_watermarked.mp4"));
}

TEST_F(ShanghaiTimeTest, GroupsByMinuteLatestFirst) {
    EXPECT_TRUE(VideoTimestampGroup::groups({}).empty());
    auto file = [](const char* name, Instant t) {
        TeslaVideoFile f;
        f.fileName = QString::fromUtf8(name);
        f.startTime = t;
        return f;
    };
    const Instant t0 = at(2024, 5, 1, 10, 0, 0);
    const auto groups = VideoTimestampGroup::groups(
        {file("2024-05-01_10-00-00-front.mp4", t0), file("2024-05-01_10-01-00-front.mp4", t0 + 60),
         file("2024-05-01_10-00-00-back.mp4", t0), file("odd.mp4", t0 + 30),
         file("2024-05-01_10-01-00-back.mp4", t0 + 61)});
    ASSERT_EQ(groups.size(), 3u);
    EXPECT_EQ(groups[0].id, QStringLiteral("2024-05-01_10-01-00"));
    EXPECT_EQ(groups[0].startTime, t0 + 61);
    EXPECT_EQ(groups[0].videos[0].fileName, QStringLiteral("2024-05-01_10-01-00-back.mp4"));
    EXPECT_EQ(groups[1].id, QStringLiteral("odd.mp4"));
    EXPECT_EQ(groups[2].id, QStringLiteral("2024-05-01_10-00-00"));
    // Equal start times keep input order.
    EXPECT_EQ(groups[2].videos[0].fileName, QStringLiteral("2024-05-01_10-00-00-front.mp4"));
}

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
    EXPECT_TRUE(sections[1].title.contains(QStringLiteral("2024"))) << sections[1].title.toStdString();
    EXPECT_TRUE(sections[1].title.contains(QStringLiteral("星期三"))) << sections[1].title.toStdString();
}

} // namespace
