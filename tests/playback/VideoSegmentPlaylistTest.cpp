#include "VideoSegmentPlaylist.h"

#include "MediaTestClips.h"
#include "TestSupport.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <map>

using namespace orvane;

namespace {

TeslaVideoFile file(const QString& name, Instant start,
                    std::optional<CameraAngle> camera = CameraAngle::front) {
    TeslaVideoFile f;
    f.id = QUuid::createUuid();
    f.fileName = name;
    f.url = QStringLiteral("/drive/") + name;
    f.startTime = start;
    f.cameraAngle = camera;
    return f;
}

QString upper(const QUuid& id) {
    return id.toString(QUuid::WithoutBraces).toUpper();
}

TEST(VideoSegmentPlaylistTest, SingleCameraSortsStablyByStartTime) {
    const auto late = file(QStringLiteral("c-front.mp4"), 120);
    const auto tieA = file(QStringLiteral("a-front.mp4"), 60);
    const auto tieB = file(QStringLiteral("b-front.mp4"), 60);
    const auto playlist = VideoSegmentPlaylist::singleCamera({late, tieA, tieB});
    ASSERT_EQ(playlist.steps.size(), 3u);
    EXPECT_EQ(playlist.steps[0].primaryVideo()->id, tieA.id);
    EXPECT_EQ(playlist.steps[1].primaryVideo()->id, tieB.id);
    EXPECT_EQ(playlist.steps[2].primaryVideo()->id, late.id);
    EXPECT_EQ(playlist.steps[0].kind(), PlaybackStep::Kind::single);
    EXPECT_EQ(playlist.signature, QStringLiteral("single|") + upper(tieA.id) + QLatin1Char(',') +
                                      upper(tieB.id) + QLatin1Char(',') + upper(late.id));
}

TEST(VideoSegmentPlaylistTest, MultiCameraMakesOneStepPerMinuteOldestFirst) {
    const auto a1 = file(QStringLiteral("2024-05-01_10-00-00-front.mp4"), 1000);
    const auto a2 = file(QStringLiteral("2024-05-01_10-00-00-back.mp4"), 1000, CameraAngle::back);
    const auto b1 = file(QStringLiteral("2024-05-01_10-01-00-front.mp4"), 1060);
    const auto playlist = VideoSegmentPlaylist::multiCamera({b1, a1, a2});
    ASSERT_EQ(playlist.steps.size(), 2u);
    EXPECT_EQ(playlist.steps[0].kind(), PlaybackStep::Kind::multiCamera);
    EXPECT_EQ(playlist.steps[0].files().size(), 2u);
    EXPECT_EQ(playlist.steps[1].primaryVideo()->id, b1.id);
    EXPECT_EQ(playlist.signature, QStringLiteral("grid|2024-05-01_10-00-00,2024-05-01_10-01-00"));
}

TEST(VideoSegmentPlaylistTest, EmptyInputsGiveBareSignatures) {
    EXPECT_EQ(VideoSegmentPlaylist::singleCamera({}).signature, QStringLiteral("single|"));
    EXPECT_EQ(VideoSegmentPlaylist::multiCamera({}).signature, QStringLiteral("grid|"));
    EXPECT_TRUE(VideoSegmentPlaylist::multiCamera({}).steps.empty());
    EXPECT_FALSE(PlaybackStep::multiCamera({}).primaryVideo());
}

struct LocateCase {
    double global;
    int step;
    double local;
};

class LocateTest : public ::testing::TestWithParam<LocateCase> {};

TEST_P(LocateTest, ResolvesStepAndLocalTimeAndBack) {
    const std::vector<double> durations{60, 60, 45};
    const auto located = VideoSegmentPlaylist::locate(GetParam().global, durations);
    ASSERT_TRUE(located);
    EXPECT_EQ(located->first, GetParam().step);
    EXPECT_DOUBLE_EQ(located->second, GetParam().local);
    const double clamped = std::clamp(std::isnan(GetParam().global) ? 0.0 : GetParam().global, 0.0, 165.0);
    EXPECT_DOUBLE_EQ(VideoSegmentPlaylist::globalTime(located->first, located->second, durations), clamped);
}

INSTANTIATE_TEST_SUITE_P(Table, LocateTest,
                         ::testing::Values(LocateCase{0, 0, 0}, LocateCase{60, 0, 60},
                                           LocateCase{60.5, 1, 0.5}, LocateCase{120, 1, 60},
                                           LocateCase{200, 2, 45}, LocateCase{-5, 0, 0},
                                           LocateCase{NAN, 0, 0}));

TEST(VideoSegmentPlaylistTest, LocateOnNoDurationsIsAbsent) {
    EXPECT_FALSE(VideoSegmentPlaylist::locate(10, {}));
}

TEST(VideoSegmentPlaylistTest, GlobalTimeClampsAndRejectsBadIndices) {
    const std::vector<double> d{60, 60};
    EXPECT_DOUBLE_EQ(VideoSegmentPlaylist::globalTime(1, 70, d), 120);
    EXPECT_DOUBLE_EQ(VideoSegmentPlaylist::globalTime(2, 5, d), 0);
    EXPECT_DOUBLE_EQ(VideoSegmentPlaylist::globalTime(-1, 5, d), 0);
    EXPECT_DOUBLE_EQ(VideoSegmentPlaylist::globalTime(1, -3, d), 60);
}

TEST(VideoSegmentPlaylistTest, StepDurationsTakeTheLongestFileOrTheFallback) {
    const std::map<QString, std::optional<double>> known{
        {QStringLiteral("/drive/a"), 59.8},           {QStringLiteral("/drive/b"), 60.1},
        {QStringLiteral("/drive/bad"), std::nullopt}, {QStringLiteral("/drive/zero"), 0.0},
        {QStringLiteral("/drive/nan"), NAN},          {QStringLiteral("/drive/short"), 45.0}};
    std::vector<QString> asked;
    auto reader = [&](const QString& url) {
        asked.push_back(url);
        return known.at(url);
    };
    auto step = [](std::initializer_list<const char*> names) {
        std::vector<TeslaVideoFile> files;
        for (const char* n : names) {
            TeslaVideoFile f;
            f.url = QStringLiteral("/drive/") + QLatin1String(n);
            files.push_back(f);
        }
        return PlaybackStep::multiCamera(files);
    };
    const auto durations = VideoSegmentPlaylist::loadStepDurations(
        {step({"a", "b", "bad"}), step({"bad"}), step({"zero", "nan"}), step({}), step({"short"})}, reader);
    EXPECT_EQ(durations, (std::vector<double>{60.1, 60, 60, 60, 45}));
    EXPECT_EQ(asked.size(), 7u);
}

TEST(VideoSegmentPlaylistTest, StepDurationsReadRealFiles) {
    test::TempFolder folder;
    TeslaVideoFile good, broken;
    good.url = test::writeClip({.path = folder / "good.mp4", .width = 64, .height = 48, .seconds = 1.5});
    broken.url = test::writeClip(
        {.path = folder / "cut.mp4", .width = 64, .height = 48, .damage = sample::Damage::truncated});
    const auto durations =
        VideoSegmentPlaylist::loadStepDurations({PlaybackStep::single(good), PlaybackStep::single(broken)});
    ASSERT_EQ(durations.size(), 2u);
    EXPECT_NEAR(durations[0], 1.5, 0.03);
    EXPECT_EQ(durations[1], 60.0);
}

} // namespace
