// Resolving a preview position to the file and time that telemetry and the watermark read.

#include "PlaybackSegmentResolver.h"

#include <cmath>
#include <gtest/gtest.h>

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

// "m1-front.mp4 at 0.5 of 60, step 1": the file, the time in it, its length and the step.
std::string segment(const std::optional<PlaybackSegmentContext>& s) {
    if (!s)
        return "none";
    QString text = QStringLiteral("%1 at %2 of %3").arg(s->video.fileName).arg(s->localTime).arg(s->duration);
    return (s->stepIndex ? text + QStringLiteral(", step %1").arg(*s->stepIndex) : text).toStdString();
}

const TeslaVideoFile selected = file("selected-back.mp4", CameraAngle::back);
const std::vector<PlaybackStep> threeMinutes = {PlaybackStep::single(file("m0-front.mp4")),
                                                PlaybackStep::single(file("m1-front.mp4")),
                                                PlaybackStep::single(file("m2-front.mp4"))};
const std::vector<double> lengths = {60, 60, 45};

TEST(PlaybackSegmentResolver, TelemetryVideoPrefersTheFrontCamera) {
    using A = CameraAngle;
    const auto back = file("a-back.mp4", A::back), left = file("a-left_repeater.mp4", A::leftRepeater);
    const auto front = file("a-front.mp4"), unknown = file("a.mp4", std::nullopt);
    EXPECT_EQ(resolver::telemetryVideo({back, left, front, file("a-right_repeater.mp4", A::rightRepeater),
                                        file("a-left_pillar.mp4", A::leftPillar),
                                        file("a-right_pillar.mp4", A::rightPillar)})
                  ->id,
              front.id);
    EXPECT_EQ(resolver::telemetryVideo({left, back})->id, left.id);
    EXPECT_EQ(resolver::telemetryVideo({unknown, front})->id, front.id);
    EXPECT_EQ(resolver::telemetryVideo({unknown})->id, unknown.id);
    EXPECT_FALSE(resolver::telemetryVideo({}));
}

// Through the continuous playlist when it is measured, else through the selected file (whose
// length the controller knows); a boundary belongs to the earlier minute.
TEST(PlaybackSegmentResolver, ResolvesThroughThePlaylistOrTheSelectedFile) {
    const std::vector<PlaybackStep> none, emptyStep = {PlaybackStep::multiCamera({})};
    const struct {
        std::vector<PlaybackStep> steps;
        std::vector<double> durations;
        double t, controllerDuration;
        const char* segment;
    } cases[] = {
        {threeMinutes, lengths, 0, 30, "m0-front.mp4 at 0 of 60, step 0"},
        {threeMinutes, lengths, 29.99, 30, "m0-front.mp4 at 29.99 of 60, step 0"},
        {threeMinutes, lengths, 60, 30, "m0-front.mp4 at 60 of 60, step 0"},
        {threeMinutes, lengths, 60.5, 30, "m1-front.mp4 at 0.5 of 60, step 1"},
        {threeMinutes, lengths, 200, 30, "m2-front.mp4 at 45 of 45, step 2"},
        {threeMinutes, lengths, -5, 30, "m0-front.mp4 at 0 of 60, step 0"},
        {threeMinutes, lengths, NAN, 30, "m0-front.mp4 at 0 of 60, step 0"},
        {none, {}, 12.5, 30, "selected-back.mp4 at 12.5 of 30"},
        {none, {}, 45, 30, "selected-back.mp4 at 30 of 30"},
        {none, {}, -3, 30, "selected-back.mp4 at 0 of 30"},
        {none, {}, 25, 0, "selected-back.mp4 at 0 of 0"},   // no length yet
        {none, {}, 25, -1, "selected-back.mp4 at 0 of -1"}, // a negative length is kept
        {none, {}, 25, NAN, "selected-back.mp4 at 0 of nan"},
        {threeMinutes, {}, 10, 30, "selected-back.mp4 at 10 of 30"},            // steps not measured
        {{threeMinutes[0]}, {60, 60}, 90, 60, "selected-back.mp4 at 60 of 60"}, // more lengths than steps
        {emptyStep, {60}, 10, 30, "none"}, // a located step without files is nothing, not the selected file
    };
    for (const auto& c : cases)
        EXPECT_EQ(
            segment(resolver::playbackSegment(c.t, c.steps, c.durations, selected, c.controllerDuration)),
            c.segment)
            << c.t;
    EXPECT_FALSE(resolver::playbackSegment(10, none, {}, std::nullopt, 30));
}

TEST(PlaybackSegmentResolver, NextSegmentIsTheStartOfTheFollowingStep) {
    const std::vector<PlaybackStep> withEmptyLast = {threeMinutes[0], PlaybackStep::multiCamera({})};
    const struct {
        std::vector<PlaybackStep> steps;
        std::vector<double> durations;
        double t;
        const char* next;
    } cases[] = {
        {threeMinutes, lengths, 30, "m1-front.mp4 at 0 of 60, step 1"},
        {threeMinutes, lengths, 60, "m1-front.mp4 at 0 of 60, step 1"},
        {threeMinutes, lengths, 61, "m2-front.mp4 at 0 of 45, step 2"},
        {threeMinutes, lengths, 130, "none"},  // the last minute
        {threeMinutes, {60, 60}, 61, "none"},  // fewer lengths than steps
        {threeMinutes, {}, 10, "none"},        // resolved through the selected file
        {{}, {}, 10, "none"},                  // no continuous playlist
        {withEmptyLast, {60, 60}, 10, "none"}, // the following step has no files
    };
    for (const auto& c : cases)
        EXPECT_EQ(segment(resolver::nextPlaybackSegment(c.t, c.steps, c.durations, selected, 30)), c.next)
            << c.t;
}

} // namespace
