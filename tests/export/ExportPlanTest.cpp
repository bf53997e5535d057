#include "ExportPlan.h"

#include "ExportPlanner.h"
#include "ExportSettings.h"
#include "ExportTimeline.h"

#include <QStringList>
#include <gtest/gtest.h>
#include <map>

using namespace orvane;

namespace {

using A = CameraAngle;

TeslaVideoFile file(const QString& minute, CameraAngle camera, Instant start = 1000) {
    TeslaVideoFile v;
    v.id = QUuid::createUuid();
    v.fileName = minute + Camera::fileNameSuffix(camera);
    v.url = QStringLiteral("/drive/") + v.fileName;
    v.startTime = start;
    v.cameraAngle = camera;
    return v;
}

// What a plan cuts, one "file@start+length" per piece (a grid piece's files joined by "|").
template <typename Piece> QString cuts(const std::vector<Piece>& pieces) {
    QStringList out;
    for (const Piece& p : pieces) {
        QStringList files;
        if constexpr (std::is_same_v<Piece, GridExportSegment>) {
            for (const auto& v : p.videos)
                files << v.fileName.chopped(4);
        } else {
            files << p.video.fileName.chopped(4);
        }
        out << QStringLiteral("%1@%2+%3")
                   .arg(files.join(QLatin1Char('|')))
                   .arg(p.trimStart)
                   .arg(p.trimDuration);
    }
    return out.join(QStringLiteral(", "));
}

TEST(QualityTest, OutputSizesAndBitrates) {
    const struct {
        ExportQuality quality;
        int w, h;
        PixelSize size;
    } sizes[] = {
        {ExportQuality::balanced, 1448, 938, {1280, 828}},
        {ExportQuality::balanced, 1280, 960, {1280, 960}},
        {ExportQuality::balanced, 5000, 2, {1280, 2}},
        {ExportQuality::original, 2896, 1876, {2896, 1876}},
    };
    for (const auto& c : sizes)
        EXPECT_EQ(Quality::outputSize(c.quality, c.w, c.h), c.size) << c.w << "x" << c.h;
    const struct {
        ExportQuality quality;
        int w, h;
        std::optional<int> source;
        Bitrates rates;
    } rates[] = {
        {ExportQuality::original, 2560, 2000, 15000, {37500, 50000}},
        {ExportQuality::original, 1448, 938, 5000, {20000, 40000}},
        {ExportQuality::balanced, 1280, 828, 50000, {8000, 14400}},
    };
    for (const auto& c : rates)
        EXPECT_EQ(Quality::encodingBitrates(c.quality, c.w, c.h, c.source), c.rates)
            << c.w << "x" << c.h << " from " << c.source.value_or(-1);
}

TEST(ContinuousPlanTest, CutsTheRangeIntoTrimsOfTheChosenCamera) {
    const std::vector<TeslaVideoFile> videos = {file("m1", A::front), file("m2", A::front),
                                                file("m3", A::front)};
    const struct {
        std::optional<double> start, end;
        std::vector<double> durations;
        int steps;
        const char* cuts;
    } cases[] = {
        {std::nullopt, std::nullopt, {60, 60, 60}, 3, "m1-front@0+60, m2-front@0+60, m3-front@0+60"},
        {70.0, 130.0, {60, 60, 60}, 3, "m2-front@10+50, m3-front@0+10"},
        {170.0, 500.0, {60, 60, 60}, 3, "m3-front@50+10"},
        {-5.0, 10.0, {60}, 1, "m1-front@0+10"},
    };
    for (const auto& c : cases) {
        std::vector<PlaybackStep> steps; // the playlist comes from another camera
        for (int i = 0; i < c.steps; ++i)
            steps.push_back(PlaybackStep::single(file(QStringLiteral("m%1").arg(i + 1), A::back)));
        EXPECT_EQ(cuts(ContinuousExportPlanner::plan(videos, steps, c.durations, c.start, c.end)), c.cuts)
            << c.start.value_or(-1) << " … " << c.end.value_or(-1);
    }
}

TEST(ContinuousPlanTest, SkipsMinutesWithoutFileAndEmptySteps) {
    const std::vector<TeslaVideoFile> videos = {file("m1", A::front), file("m3", A::front)};
    const std::vector<PlaybackStep> steps = {
        PlaybackStep::single(file("m1", A::back)), PlaybackStep::multiCamera({file("m2", A::front)}),
        PlaybackStep::multiCamera({}), PlaybackStep::multiCamera({file("m3", A::leftRepeater)})};
    EXPECT_EQ(cuts(ContinuousExportPlanner::plan(videos, steps, {60, 60, 60, 60}, {}, {})),
              "m1-front@0+60, m3-front@0+60");
    EXPECT_TRUE(ContinuousExportPlanner::plan(videos, steps, {}, {}, {}).empty());
}

TEST(GridPlanTest, OrdersCamerasAndGridsPillarMinutesInSixCells) {
    const std::vector<PlaybackStep> steps = {
        PlaybackStep::multiCamera({file("m1", A::leftPillar), file("m1", A::rightPillar)}),
        PlaybackStep::multiCamera({file("m2", A::back), file("m2", A::rightRepeater), file("m2", A::front),
                                   file("m2", A::front, 1005)}),
        PlaybackStep::single(file("m3", A::leftRepeater))};
    const auto plan = GridExportPlanner::plan(steps, {60, 60, 60}, 30.0, 150.0);
    EXPECT_EQ(cuts(plan), "m1-left_pillar|m1-right_pillar@30+30, m2-front|m2-back|m2-right_repeater@0+60, "
                          "m3-left_repeater@0+30");
    EXPECT_EQ(GridExportPlanner::layoutOf(plan), Camera::GridLayout::six);
    EXPECT_EQ(plan.at(1).videos.at(0).startTime, 1000) << "the first front file wins";
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
    const TeslaVideoFile front1 = file("m1", A::front, 1000), back1 = file("m1", A::back, 1000);
    const TeslaVideoFile front2 = file("m2", A::front, 1060), back2 = file("m2", A::back, 1060);
    const auto reader = lengths({{front1.url, 40}, {back1.url, 59.5}, {front2.url, 60}});
    const ExportPlan plan =
        ExportPlanner::plan(ExportRequest::grid({back2, front1, front2, back1}, 50.0, 70.0), reader);
    EXPECT_TRUE(plan.isContinuous);
    EXPECT_TRUE(plan.segments.empty());
    EXPECT_EQ(cuts(plan.gridSegments), "m1-front|m1-back@50+9.5, m2-front|m2-back@0+10.5");
}

// "Around the event": the seconds before and after a moment, on the time line of minutes that
// start at 1000 and 1060 (60 s each) and, after a gap, 1180; the moment inside a minute and on
// a minute's first instant. (Planning a continuous range over steps: the export orchestration's.)
TEST(ExportPlannerTest, TheWindowAroundAMomentSpansMinutesAndSkipsGaps) {
    const std::vector<PlaybackStep> steps = {PlaybackStep::single(file("m1", A::front, 1000)),
                                             PlaybackStep::single(file("m2", A::front, 1060)),
                                             PlaybackStep::single(file("m4", A::front, 1180))};
    const struct {
        Instant moment;
        double before, after;
        const char* range;
    } cases[] = {{1070, 30, 10, "40…80"},   {1060, 30, 10, "30…70"},         {1005, 30, 10, "0…15"},
                 {1150, 30, 40, "120…130"}, {1070.5, 0.25, 0, "70.25…70.5"}, {2000, 30, 10, "none"}};
    for (const auto& c : cases) {
        const auto range = ExportPlanner::rangeAround(steps, {60, 60, 60}, c.moment, c.before, c.after);
        const QString text = range ? QStringLiteral("%1…%2").arg(range->first).arg(range->second) : "none";
        EXPECT_EQ(text.toStdString(), c.range) << c.moment;
    }
}

// A single file's start is the export orchestration's test.
TEST(ExportPlanTest, PrimaryVideoAndStartDate) {
    ExportPlan plan;
    EXPECT_FALSE(plan.exportStartDate());
    plan.segments = {{file("m2", A::back, 2000), 12.5, 3}};
    plan.gridSegments = {{{file("m1", A::back, 500), file("m1", A::front, 900)}, 4, 10}};
    EXPECT_EQ(plan.primaryVideo().cameraAngle, A::front);
    EXPECT_DOUBLE_EQ(*plan.exportStartDate(), 904);
    plan.gridSegments = {{{}, 4, 10}};
    EXPECT_EQ(plan.primaryVideo().cameraAngle, A::back);
    EXPECT_FALSE(GridExportSegment{}.primaryVideo());
}

TEST(ExportTimelineTest, MapsEachPieceToItsOwnRecordingTime) {
    // Two pieces recorded three hours apart, the second a few frames longer than planned.
    const ExportTimeline timeline({{0, 10.0, 1000.0}, {10.0, 5.0, 1000.0 + 3 * 3600}});
    EXPECT_DOUBLE_EQ(*timeline.instantAt(0), 1000);
    EXPECT_DOUBLE_EQ(*timeline.instantAt(9.9999), 1000 + 3 * 3600 - 0.0001); // a rounding hair before
    EXPECT_DOUBLE_EQ(*timeline.instantAt(12), 1002 + 3 * 3600);
    EXPECT_DOUBLE_EQ(*timeline.instantAt(20), 1010 + 3 * 3600); // past the end runs on
    EXPECT_DOUBLE_EQ(*timeline.instantAt(-1), 999);
    EXPECT_FALSE(ExportTimeline().instantAt(0));
    EXPECT_DOUBLE_EQ(*timeline.shifted(8).instantAt(2.5), 1000.5 + 3 * 3600);
    EXPECT_DOUBLE_EQ(*ExportTimeline::continuous(50).shifted(7).instantAt(1), 58);
}

} // namespace
