// Resolving a preview position to the file and time that telemetry and the watermark read.

#include "PlaybackSegmentResolver.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace orvane;
namespace resolver = orvane::PlaybackSegmentResolver;

namespace {

TeslaVideoFile file(const QString& name, std::optional<CameraAngle> camera = CameraAngle::front) {
    TeslaVideoFile f;
    f.id = QUuid::createUuid();
    f.fileName = name;
    f.url = QStringLiteral("/drive/") + name;
    f.cameraAngle = camera;
    return f;
}

// What a resolution should give: the file's name, local time, duration and step.
struct Expected {
    QString name;
    double localTime;
    double duration;
    std::optional<int> step;
};

void expectSegment(const std::optional<PlaybackSegmentContext>& got, const std::optional<Expected>& want) {
    ASSERT_EQ(got.has_value(), want.has_value());
    if (!got)
        return;
    EXPECT_EQ(got->video.fileName, want->name);
    EXPECT_DOUBLE_EQ(got->localTime, want->localTime);
    if (std::isnan(want->duration))
        EXPECT_TRUE(std::isnan(got->duration));
    else
        EXPECT_DOUBLE_EQ(got->duration, want->duration);
    EXPECT_EQ(got->stepIndex, want->step);
}

const TeslaVideoFile m0 = file(QStringLiteral("m0-front.mp4"));
const TeslaVideoFile m1 = file(QStringLiteral("m1-front.mp4"));
const TeslaVideoFile m2 = file(QStringLiteral("m2-front.mp4"));
const TeslaVideoFile selected = file(QStringLiteral("selected-back.mp4"), CameraAngle::back);
const std::vector<PlaybackStep> threeMinutes = {PlaybackStep::single(m0), PlaybackStep::single(m1),
                                                PlaybackStep::single(m2)};
const std::vector<double> lengths = {60, 60, 45};

} // namespace

TEST(PlaybackSegmentResolver, TelemetryVideoPrefersTheFrontCamera) {
    const auto back = file("a-back.mp4", CameraAngle::back), left = file("a-left_repeater.mp4", CameraAngle::leftRepeater);
    const auto front = file("a-front.mp4"), unknown = file("a.mp4", std::nullopt);
    const std::vector<TeslaVideoFile> sixCameras = {back,
                                                    left,
                                                    front,
                                                    file("a-right_repeater.mp4", CameraAngle::rightRepeater),
                                                    file("a-left_pillar.mp4", CameraAngle::leftPillar),
                                                    file("a-right_pillar.mp4", CameraAngle::rightPillar)};
    EXPECT_EQ(resolver::telemetryVideo(sixCameras)->id, front.id);
    EXPECT_EQ(resolver::telemetryVideo({left, back})->id, left.id);
    EXPECT_EQ(resolver::telemetryVideo({unknown, front})->id, front.id);
    EXPECT_EQ(resolver::telemetryVideo({unknown})->id, unknown.id);
    EXPECT_FALSE(resolver::telemetryVideo({}));
}

TEST(PlaybackSegmentResolver, ResolvesThroughTheContinuousPlaylist) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        double t;
        Expected want;
    } cases[] = {
        {0, {"m0-front.mp4", 0, 60, 0}},     {29.99, {"m0-front.mp4", 29.99, 60, 0}},
        {60, {"m0-front.mp4", 60, 60, 0}}, // a boundary belongs to the earlier minute
        {60.5, {"m1-front.mp4", 0.5, 60, 1}}, {200, {"m2-front.mp4", 45, 45, 2}},
        {-5, {"m0-front.mp4", 0, 60, 0}},    {nan, {"m0-front.mp4", 0, 60, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.t);
        expectSegment(resolver::playbackSegment(c.t, threeMinutes, lengths, selected, 30), c.want);
    }
}

TEST(PlaybackSegmentResolver, FallsBackToTheSelectedFile) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<PlaybackStep> none;
    const struct {
        const char* name;
        std::vector<PlaybackStep> steps;
        std::vector<double> durations;
        double t;
        double controllerDuration;
        std::optional<Expected> want;
    } cases[] = {
        {"inside the file", none, {}, 12.5, 30, Expected{"selected-back.mp4", 12.5, 30, {}}},
        {"past its end", none, {}, 45, 30, Expected{"selected-back.mp4", 30, 30, {}}},
        {"before its start", none, {}, -3, 30, Expected{"selected-back.mp4", 0, 30, {}}},
        {"no duration yet", none, {}, 25, 0, Expected{"selected-back.mp4", 0, 0, {}}},
        {"negative duration kept", none, {}, 25, -1, Expected{"selected-back.mp4", 0, -1, {}}},
        {"duration not a number", none, {}, 25, nan, Expected{"selected-back.mp4", 0, nan, {}}},
        {"steps without durations", threeMinutes, {}, 10, 30, Expected{"selected-back.mp4", 10, 30, {}}},
        {"more durations than steps", {threeMinutes[0]}, {60, 60}, 90, 60, Expected{"selected-back.mp4", 60, 60, {}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        expectSegment(resolver::playbackSegment(c.t, c.steps, c.durations, selected, c.controllerDuration), c.want);
    }
    EXPECT_FALSE(resolver::playbackSegment(10, none, {}, std::nullopt, 30));
    // A located step without files resolves to nothing rather than to the selected file.
    EXPECT_FALSE(resolver::playbackSegment(10, {PlaybackStep::multiCamera({})}, {60}, selected, 30));
}

TEST(PlaybackSegmentResolver, NextSegmentIsTheStartOfTheFollowingStep) {
    const std::vector<PlaybackStep> withEmptyLast = {threeMinutes[0], PlaybackStep::multiCamera({})};
    const struct {
        const char* name;
        std::vector<PlaybackStep> steps;
        std::vector<double> durations;
        double t;
        std::optional<Expected> want;
    } cases[] = {
        {"first minute", threeMinutes, lengths, 30, Expected{"m1-front.mp4", 0, 60, 1}},
        {"on the boundary", threeMinutes, lengths, 60, Expected{"m1-front.mp4", 0, 60, 1}},
        {"second minute", threeMinutes, lengths, 61, Expected{"m2-front.mp4", 0, 45, 2}},
        {"last minute", threeMinutes, lengths, 130, std::nullopt},
        {"fewer durations than steps", threeMinutes, {60, 60}, 61, std::nullopt},
        {"resolved through the selected file", threeMinutes, {}, 10, std::nullopt},
        {"no continuous playlist", {}, {}, 10, std::nullopt},
        {"following step without files", withEmptyLast, {60, 60}, 10, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        expectSegment(resolver::nextPlaybackSegment(c.t, c.steps, c.durations, selected, 30), c.want);
    }
}
