#include "ExportPlan.h"
#include "ExportPlanner.h"
#include "ExportSettings.h"
#include "ExportTimeline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <map>

using namespace orvane;

namespace {

TeslaVideoFile file(const QString& minute, CameraAngle camera, Instant start = 1000) {
    TeslaVideoFile v;
    v.id = QUuid::createUuid();
    v.fileName = minute + Camera::fileNameSuffix(camera);
    v.url = QStringLiteral("/drive/") + v.fileName;
    v.startTime = start;
    v.cameraAngle = camera;
    return v;
}

const QString m1 = QStringLiteral("2024-05-01_10-00-00");
const QString m2 = QStringLiteral("2024-05-01_10-01-00");
const QString m3 = QStringLiteral("2024-05-01_10-02-00");

struct SizeCase {
    ExportQuality quality;
    int w, h;
    PixelSize expected;
};

class OutputSizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(OutputSizeTest, MatchesTable) {
    const auto& c = GetParam();
    EXPECT_EQ(Quality::outputSize(c.quality, c.w, c.h), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Sizes, OutputSizeTest,
                         ::testing::Values(SizeCase{ExportQuality::balanced, 1448, 938, {1280, 828}},
                                           SizeCase{ExportQuality::balanced, 1920, 1080, {1280, 720}},
                                           SizeCase{ExportQuality::balanced, 1280, 960, {1280, 960}},
                                           SizeCase{ExportQuality::balanced, 640, 480, {640, 480}},
                                           SizeCase{ExportQuality::balanced, 5000, 2, {1280, 2}},
                                           SizeCase{ExportQuality::balanced, 2896, 1876, {1280, 828}},
                                           SizeCase{ExportQuality::original, 2896, 1876, {2896, 1876}}));

struct RateCase {
    ExportQuality quality;
    int w, h;
    std::optional<int> source;
    Bitrates expected;
};

class BitrateTest : public ::testing::TestWithParam<RateCase> {};

TEST_P(BitrateTest, MatchesTable) {
    const auto& c = GetParam();
    EXPECT_EQ(Quality::encodingBitrates(c.quality, c.w, c.h, c.source), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rates, BitrateTest,
    ::testing::Values(RateCase{ExportQuality::original, 2560, 2000, std::nullopt, {30000, 50000}},
                      RateCase{ExportQuality::original, 2560, 2000, 15000, {37500, 50000}},
                      RateCase{ExportQuality::original, 1920, 1080, std::nullopt, {24000, 48000}},
                      RateCase{ExportQuality::original, 1448, 938, 5000, {20000, 40000}},
                      RateCase{ExportQuality::original, 1448, 938, 9000, {22500, 45000}},
                      RateCase{ExportQuality::original, 640, 480, 0, {16000, 32000}},
                      RateCase{ExportQuality::balanced, 1280, 828, 50000, {8000, 14400}},
                      RateCase{ExportQuality::balanced, 640, 480, std::nullopt, {6000, 10800}},
                      RateCase{ExportQuality::balanced, 2560, 1440, std::nullopt, {10000, 18000}}));

TEST(ExportSettingsTest, RawValuesTitlesAndDefaults) {
    EXPECT_EQ(Quality::fromRawValue(QStringLiteral("balanced")), ExportQuality::balanced);
    EXPECT_FALSE(Quality::fromRawValue(QStringLiteral("Original")));
    EXPECT_EQ(Quality::title(ExportQuality::original), QStringLiteral("原画"));
    EXPECT_EQ(Quality::title(ExportQuality::balanced), QStringLiteral("高清"));
    EXPECT_EQ(OutputLocation::fromRawValue(QStringLiteral("custom")), OutputLocationOption::custom);
    WatermarkSettings s;
    EXPECT_TRUE(s.showTime);
    EXPECT_EQ(s.cameraFilter, CameraAngle::front);
    EXPECT_EQ(s.exportQuality, ExportQuality::original);
    EXPECT_EQ(OutputDestination::inFolder("/a"), OutputDestination::inFolder("/a"));
    EXPECT_FALSE(OutputDestination::inFolder("/a") == OutputDestination::inFolder("/b"));
    EXPECT_FALSE(OutputDestination::inFolder("/a") == OutputDestination::photosLibrary());
}

TEST(ExportSettingsTest, LocalizedFolderPath) {
    const QString home = QStringLiteral("/home/li");
    EXPECT_EQ(localizedFolderPath("/home/li", home), QStringLiteral("li"));
    EXPECT_EQ(localizedFolderPath("/home/li/", home), QStringLiteral("li"));
    EXPECT_EQ(localizedFolderPath("/home/li/Downloads//clips/", home), QStringLiteral("~/Downloads/clips"));
    EXPECT_EQ(localizedFolderPath("/home/lisa/x", home), QStringLiteral("home/lisa/x"));
    EXPECT_EQ(localizedFolderPath("/media/li/TESLA DRIVE", home), QStringLiteral("media/li/TESLA DRIVE"));
}

// --- planners ---------------------------------------------------------------------------

struct ContinuousCase {
    const char* name;
    std::optional<double> start, end;
    std::vector<double> durations;
    int stepCount;
    std::vector<std::tuple<QString, double, double>> expected; // minute, trimStart, trimDuration
};

class ContinuousPlanTest : public ::testing::TestWithParam<ContinuousCase> {};

TEST_P(ContinuousPlanTest, CutsRangeIntoTrims) {
    const auto& c = GetParam();
    const std::vector<TeslaVideoFile> videos = {file(m1, CameraAngle::front), file(m2, CameraAngle::front),
                                                file(m3, CameraAngle::front)};
    std::vector<PlaybackStep> steps;
    const QString minutes[] = {m1, m2, m3};
    for (int i = 0; i < c.stepCount; ++i) // the playlist comes from another camera
        steps.push_back(PlaybackStep::single(file(minutes[i], CameraAngle::back)));
    const auto plan = ContinuousExportPlanner::plan(videos, steps, c.durations, c.start, c.end);
    ASSERT_EQ(plan.size(), c.expected.size()) << c.name;
    for (size_t i = 0; i < plan.size(); ++i) {
        EXPECT_EQ(plan[i].video.fileName, std::get<0>(c.expected[i]) + "-front.mp4") << c.name;
        EXPECT_DOUBLE_EQ(plan[i].trimStart, std::get<1>(c.expected[i])) << c.name;
        EXPECT_DOUBLE_EQ(plan[i].trimDuration, std::get<2>(c.expected[i])) << c.name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, ContinuousPlanTest,
    ::testing::Values(
        ContinuousCase{"whole", std::nullopt, std::nullopt, {60, 60, 60}, 3, {{m1, 0, 60}, {m2, 0, 60}, {m3, 0, 60}}},
        ContinuousCase{"zero start", 0.0, std::nullopt, {60, 60}, 2, {{m1, 0, 60}, {m2, 0, 60}}},
        ContinuousCase{"inside two steps", 70.0, 130.0, {60, 60, 60}, 3, {{m2, 10, 50}, {m3, 0, 10}}},
        ContinuousCase{"end beyond total", 170.0, 500.0, {60, 60, 60}, 3, {{m3, 50, 10}}},
        ContinuousCase{"start after clamped end", 200.0, 500.0, {60, 60, 60}, 3, {}},
        ContinuousCase{"ends on boundary", 30.0, 60.0, {60, 60, 60}, 3, {{m1, 30, 30}}},
        ContinuousCase{"negative start", -5.0, 10.0, {60}, 1, {{m1, 0, 10}}},
        ContinuousCase{"more durations than steps", std::nullopt, std::nullopt, {60, 60, 60}, 2, {{m1, 0, 60}, {m2, 0, 60}}},
        ContinuousCase{"more steps than durations", std::nullopt, std::nullopt, {60, 45}, 3, {{m1, 0, 60}, {m2, 0, 45}}},
        ContinuousCase{"tiny remainder", 59.999, 60.5, {60, 60}, 2, {{m1, 59.999, 60 - 59.999}, {m2, 0, 0.5}}}));

TEST(ContinuousPlanTest, SkipsMinutesWithoutFileAndEmptySteps) {
    const std::vector<TeslaVideoFile> videos = {file(m1, CameraAngle::front), file(m3, CameraAngle::front)};
    const std::vector<PlaybackStep> steps = {PlaybackStep::single(file(m1, CameraAngle::back)),
                                           PlaybackStep::multiCamera({file(m2, CameraAngle::front)}),
                                           PlaybackStep::multiCamera({}),
                                           PlaybackStep::multiCamera({file(m3, CameraAngle::leftRepeater)})};
    const auto plan = ContinuousExportPlanner::plan(videos, steps, {60, 60, 60, 60}, std::nullopt, std::nullopt);
    ASSERT_EQ(plan.size(), 2u);
    EXPECT_EQ(plan[0].video.fileName, m1 + "-front.mp4");
    EXPECT_EQ(plan[1].video.fileName, m3 + "-front.mp4");
    EXPECT_DOUBLE_EQ(plan[1].trimDuration, 60);
    EXPECT_TRUE(ContinuousExportPlanner::plan({}, steps, {60}, {}, {}).empty());
    EXPECT_TRUE(ContinuousExportPlanner::plan(videos, {}, {60}, {}, {}).empty());
    EXPECT_TRUE(ContinuousExportPlanner::plan(videos, steps, {}, {}, {}).empty());
}

TEST(GridPlanTest, OrdersCamerasAndSkipsPillarOnlySteps) {
    const std::vector<PlaybackStep> steps = {
        PlaybackStep::multiCamera({file(m1, CameraAngle::leftPillar), file(m1, CameraAngle::rightPillar)}),
        PlaybackStep::multiCamera({file(m2, CameraAngle::back), file(m2, CameraAngle::rightRepeater),
                                 file(m2, CameraAngle::front), file(m2, CameraAngle::front, 5)}),
        PlaybackStep::single(file(m3, CameraAngle::leftRepeater))};
    const auto plan = GridExportPlanner::plan(steps, {60, 60, 60}, 30.0, 150.0);
    ASSERT_EQ(plan.size(), 2u);
    ASSERT_EQ(plan[0].videos.size(), 3u);
    EXPECT_EQ(plan[0].videos[0].cameraAngle, CameraAngle::front);
    EXPECT_EQ(plan[0].videos[0].startTime, 1000); // the first front file wins
    EXPECT_EQ(plan[0].videos[1].cameraAngle, CameraAngle::back);
    EXPECT_EQ(plan[0].videos[2].cameraAngle, CameraAngle::rightRepeater);
    EXPECT_DOUBLE_EQ(plan[0].trimStart, 0);
    EXPECT_DOUBLE_EQ(plan[0].trimDuration, 60);
    EXPECT_EQ(plan[1].videos.size(), 1u);
    EXPECT_DOUBLE_EQ(plan[1].trimDuration, 30);
    EXPECT_TRUE(GridExportPlanner::plan(steps, {60, 60, 60}, 200.0, std::nullopt).empty());
}

// Lengths read from a table, as the preview's step measuring would read them from the files.
VideoSegmentPlaylist::DurationReader lengths(std::map<QString, double> seconds) {
    return [seconds](const QString& url) -> std::optional<double> {
        auto it = seconds.find(url);
        return it == seconds.end() ? std::nullopt : std::optional(it->second);
    };
}

TEST(ExportPlannerTest, GridMinutesLastAsLongAsTheirLongestFile) {
    // A short front file must not cut the other cameras short: the same rule as the preview.
    const TeslaVideoFile front1 = file(m1, CameraAngle::front, 1000), back1 = file(m1, CameraAngle::back, 1000);
    const TeslaVideoFile front2 = file(m2, CameraAngle::front, 1060), back2 = file(m2, CameraAngle::back, 1060);
    const auto reader = lengths({{front1.url, 40}, {back1.url, 59.5}, {front2.url, 60}});
    const ExportRequest request = ExportRequest::grid({back2, front1, front2, back1}, 50.0, 70.0);
    const ExportPlan plan = ExportPlanner::plan(request, reader);
    EXPECT_TRUE(plan.isContinuous);
    EXPECT_TRUE(plan.segments.empty());
    ASSERT_EQ(plan.gridSegments.size(), 2u);
    EXPECT_EQ(plan.gridSegments[0].videos[0].fileName, front1.fileName);
    EXPECT_DOUBLE_EQ(plan.gridSegments[0].trimStart, 50);
    EXPECT_DOUBLE_EQ(plan.gridSegments[0].trimDuration, 9.5);
    EXPECT_EQ(plan.gridSegments[1].videos[0].fileName, front2.fileName);
    EXPECT_DOUBLE_EQ(plan.gridSegments[1].trimDuration, 10.5);
}

TEST(ExportPlannerTest, ContinuousFilesPlayOldestFirstAndUnreadableOnesKeepTheirPlace) {
    const TeslaVideoFile a = file(m1, CameraAngle::front, 1000), b = file(m2, CameraAngle::front, 1060),
                         c = file(m3, CameraAngle::front, 1120);
    const ExportRequest request = ExportRequest::continuous({c, a, b}, 30.0, std::nullopt);
    const auto reader = lengths({{a.url, 60}, {c.url, 45}}); // b cannot be read
    const ExportPlan plan = ExportPlanner::plan(request, reader);
    ASSERT_EQ(plan.segments.size(), 3u);
    EXPECT_EQ(plan.segments[0].video.fileName, a.fileName);
    EXPECT_DOUBLE_EQ(plan.segments[0].trimDuration, 30);
    EXPECT_DOUBLE_EQ(plan.segments[1].trimDuration, VideoSegmentPlaylist::fallbackStepDuration);
    EXPECT_EQ(plan.segments[2].video.fileName, c.fileName);
    EXPECT_DOUBLE_EQ(plan.segments[2].trimDuration, 45);
    // The window plans over the steps it already measured, possibly another camera's.
    const VideoSegmentPlaylist grid = VideoSegmentPlaylist::multiCamera({file(m2, CameraAngle::back, 1060)});
    const ExportPlan over = ExportPlanner::plan(ExportRequest::continuous({a, b, c}), grid.steps, {60});
    ASSERT_EQ(over.segments.size(), 1u);
    EXPECT_EQ(over.segments[0].video.fileName, b.fileName);
}

TEST(ExportPlannerTest, SingleFileTakesItsRangeAsTrim) {
    const TeslaVideoFile a = file(m1, CameraAngle::leftRepeater, 1000);
    struct Case {
        std::optional<double> start, end;
        double trimStart, trimDuration; // 0 and 0: the whole file
    } cases[] = {{std::nullopt, std::nullopt, 0, 0}, {12.5, 20.0, 12.5, 7.5}, {12.5, std::nullopt, 12.5, 0},
                 {std::nullopt, 8.0, 0, 8}, {30.0, 20.0, 30, 0}};
    for (const Case& c : cases) {
        const ExportPlan plan = ExportPlanner::plan(ExportRequest::singleFile(a, c.start, c.end), lengths({}));
        EXPECT_FALSE(plan.isContinuous);
        ASSERT_EQ(plan.segments.size(), 1u);
        EXPECT_EQ(plan.segments[0].video.id, a.id);
        EXPECT_DOUBLE_EQ(plan.segments[0].trimStart, c.trimStart);
        EXPECT_DOUBLE_EQ(plan.segments[0].trimDuration, c.trimDuration);
    }
    EXPECT_TRUE(ExportPlanner::plan(ExportRequest{}, lengths({})).isEmpty());
}

TEST(ExportPlanTest, PrimaryVideoAndStartDate) {
    ExportPlan plan;
    EXPECT_FALSE(plan.exportStartDate());
    plan.segments = {{file(m2, CameraAngle::back, 2000), 12.5, 3}};
    EXPECT_EQ(plan.primaryVideo().cameraAngle, CameraAngle::back);
    EXPECT_DOUBLE_EQ(*plan.exportStartDate(), 2012.5);
    plan.gridSegments = {{{file(m1, CameraAngle::back, 500), file(m1, CameraAngle::front, 900)}, 4, 10}};
    EXPECT_EQ(plan.primaryVideo().cameraAngle, CameraAngle::front);
    EXPECT_DOUBLE_EQ(*plan.exportStartDate(), 904);
    plan.gridSegments = {{{}, 4, 10}};
    EXPECT_EQ(plan.primaryVideo().cameraAngle, CameraAngle::back);
    EXPECT_FALSE(GridExportSegment{}.primaryVideo());
}

TEST(ExportTimelineTest, MapsEachPieceToItsOwnRecordingTime) {
    // Two pieces recorded three hours apart, the second a few frames longer than planned.
    const ExportTimeline timeline({{0, 10.0, 1000.0}, {10.0, 5.0, 1000.0 + 3 * 3600}});
    EXPECT_DOUBLE_EQ(*timeline.instantAt(0), 1000);
    EXPECT_DOUBLE_EQ(*timeline.instantAt(9.5), 1009.5);
    EXPECT_DOUBLE_EQ(*timeline.instantAt(9.9999), 1000 + 3 * 3600 - 0.0001); // a rounding hair before
    EXPECT_DOUBLE_EQ(*timeline.instantAt(12), 1002 + 3 * 3600);
    EXPECT_DOUBLE_EQ(*timeline.instantAt(20), 1010 + 3 * 3600); // past the end runs on
    EXPECT_DOUBLE_EQ(*timeline.instantAt(-1), 999);
    EXPECT_FALSE(ExportTimeline().instantAt(0));

    const ExportTimeline trimmed = timeline.shifted(8);
    EXPECT_DOUBLE_EQ(*trimmed.instantAt(0), 1008);
    EXPECT_DOUBLE_EQ(*trimmed.instantAt(2.5), 1000.5 + 3 * 3600);
    EXPECT_DOUBLE_EQ(*timeline.shifted(11).instantAt(0), 1001 + 3 * 3600);
    EXPECT_DOUBLE_EQ(*ExportTimeline::continuous(50).shifted(7).instantAt(1), 58);
}

} // namespace
