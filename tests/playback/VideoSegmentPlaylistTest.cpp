#include "VideoSegmentPlaylist.h"

#include "EventLength.h"
#include "MinuteRecord.h"
#include "PlaybackSegmentResolver.h"
#include "TestSupport.h"

#include <QStringList>
#include <cmath>
#include <gtest/gtest.h>
#include <map>

using namespace orvane;
namespace resolver = orvane::PlaybackSegmentResolver;

namespace {

TeslaVideoFile file(const QString& name, Instant start = 0,
                    std::optional<CameraAngle> camera = CameraAngle::front) {
    TeslaVideoFile f;
    f.id = QUuid::createUuid();
    f.fileName = name;
    f.url = QStringLiteral("/drive/") + name;
    f.startTime = start;
    f.cameraAngle = camera;
    return f;
}

// Each step's files, "|" between steps.
QString steps(const VideoSegmentPlaylist& playlist) {
    QStringList out;
    for (const auto& step : playlist.steps) {
        QStringList names;
        for (const auto& f : step.files())
            names << f.fileName;
        out << names.join(QLatin1Char(' '));
    }
    return out.join(QStringLiteral(" | "));
}

// Oldest first, ties in the given order, a grid step per minute; the same files in any order sign alike.
TEST(VideoSegmentPlaylistTest, StepsAndSignatures) {
    const auto late = file("c-front.mp4", 120), tieA = file("a-front.mp4", 60),
               tieB = file("b-front.mp4", 60);
    const auto single = VideoSegmentPlaylist::singleCamera({late, tieA, tieB});
    EXPECT_EQ(steps(single), "a-front.mp4 | b-front.mp4 | c-front.mp4");
    EXPECT_EQ(VideoSegmentPlaylist::singleCamera({tieA, late, tieB}).signature, single.signature);
    EXPECT_NE(VideoSegmentPlaylist::singleCamera({tieB, late, tieA}).signature, single.signature)
        << "tie order";
    EXPECT_NE(VideoSegmentPlaylist::singleCamera({file("c-front.mp4", 120), tieA, tieB}).signature,
              single.signature);

    const auto a1 = file("2024-05-01_10-00-00-front.mp4", 1000);
    const auto a2 = file("2024-05-01_10-00-00-back.mp4", 1000, CameraAngle::back);
    const auto b1 = file("2024-05-01_10-01-00-front.mp4", 1060);
    const auto grid = VideoSegmentPlaylist::multiCamera({b1, a1, a2});
    EXPECT_EQ(steps(grid),
              "2024-05-01_10-00-00-front.mp4 2024-05-01_10-00-00-back.mp4 | 2024-05-01_10-01-00-front.mp4");
    EXPECT_EQ(grid.steps[1].primaryVideo()->id, b1.id);
    EXPECT_EQ(VideoSegmentPlaylist::multiCamera({b1, a1}).signature, grid.signature);
    EXPECT_NE(VideoSegmentPlaylist::multiCamera({a1, a2}).signature, grid.signature);
    EXPECT_NE(VideoSegmentPlaylist::singleCamera({}).signature,
              VideoSegmentPlaylist::multiCamera({}).signature);
}

// Steps of 60, 60 and 45 s: a boundary is the later step's start (its first picture is shown
// there), a time inside the last picture before it stays in the earlier step; the end of the last
// step stays in it and times outside clamp.
TEST(VideoSegmentPlaylistTest, LocatesStepAndLocalTimeAndBack) {
    const std::vector<double> durations{60, 60, 45};
    const struct {
        double global;
        int step;
        double local, back;
    } cases[] = {{59.99, 0, 59.99, 59.99}, {60, 1, 0, 60},    {60.5, 1, 0.5, 60.5}, {120, 2, 0, 120},
                 {165, 2, 45, 165},        {200, 2, 45, 165}, {-5, 0, 0, 0},        {NAN, 0, 0, 0}};
    for (const auto& c : cases) {
        const auto located = VideoSegmentPlaylist::locate(c.global, durations);
        ASSERT_TRUE(located) << c.global;
        EXPECT_EQ(located->first, c.step) << c.global;
        EXPECT_DOUBLE_EQ(located->second, c.local) << c.global;
        EXPECT_DOUBLE_EQ(VideoSegmentPlaylist::globalTime(c.step, c.local, durations), c.back) << c.global;
    }
    EXPECT_FALSE(VideoSegmentPlaylist::locate(10, {}));
    // Local times clamp to their step; steps that do not exist give 0.
    const std::vector<double> two{60, 60};
    for (auto [step, local, global] : {std::tuple{1, 70.0, 120.0}, {2, 5.0, 0.0}, {1, -3.0, 60.0}})
        EXPECT_DOUBLE_EQ(VideoSegmentPlaylist::globalTime(step, local, two), global) << step << " " << local;
}

// Lengths that are no length fall back to the minute too, and each file is read once.
TEST(VideoSegmentPlaylistTest, StepDurationsFallBackForLengthsThatAreNone) {
    std::vector<QString> asked;
    auto reader = [&](const QString& url) -> std::optional<double> {
        asked.push_back(url);
        return url.endsWith("zero") ? 0.0 : NAN;
    };
    const auto durations = VideoSegmentPlaylist::loadStepDurations(
        {PlaybackStep::multiCamera({file("zero"), file("nan")}), PlaybackStep::multiCamera({})}, reader);
    EXPECT_EQ(durations, (std::vector<double>{60, 60}));
    EXPECT_EQ(asked.size(), 2u);
}

// One minute lasts as long as its longest camera, whichever camera is shown, as the grid and the
// event's card count it: a front file that cannot be measured neither stretches nor shortens it.
// Its record comes from the front file, else another camera's of that minute, never another minute's.
TEST(EventLengthTest, AMinuteIsItsLongestCameraAndItsRecordComesFromItsOwnFiles) {
    test::TempFolder drive;
    const QString minute = QStringLiteral("2024-05-01_10-20-30"),
                  next = QStringLiteral("2024-05-01_10-21-30");
    TeslaVideoFile front = file(minute + "-front.mp4"), repeater = file(minute + "-left_repeater.mp4");
    TeslaVideoFile lone = file(next + "-front.mp4");
    for (TeslaVideoFile* f : {&front, &repeater, &lone})
        f->url = drive.writeFile(f->fileName);
    drive.writeFile(minute + "-back.mp4");
    const std::map<QString, double> lengths{{"-back.mp4", 20}, {"-left_repeater.mp4", 19.5}};
    auto reader = [&](const QString& path) -> std::optional<double> {
        for (const auto& [suffix, seconds] : lengths)
            if (path.endsWith(minute + suffix))
                return seconds;
        return std::nullopt;
    };
    for (const auto& step : {PlaybackStep::single(front), PlaybackStep::single(repeater),
                             PlaybackStep::multiCamera({front, repeater})})
        EXPECT_EQ(VideoSegmentPlaylist::loadStepDurations({step}, reader), std::vector<double>{20});
    EXPECT_EQ(EventLength::ofEvent({{front.url}, {lone.url}}, reader), 20 + EventLength::unmeasuredMinute);

    auto records = [&](const QString& path) -> std::vector<TeslaTelemetrySample> {
        if (path.endsWith("-front.mp4"))
            throw std::runtime_error("unreadable");
        return {TeslaTelemetrySample{}};
    };
    // The front file first; the shown one next; then the minute's other cameras in order.
    for (const auto& [shown, source] :
         {std::pair{front, minute + "-back.mp4"}, {repeater, repeater.fileName}}) {
        const MinuteRecord record = MinuteRecord::read(shown, records);
        EXPECT_EQ(record.path, drive / source) << shown.fileName.toStdString();
        EXPECT_EQ(record.samples.size(), 1u);
    }
    EXPECT_TRUE(MinuteRecord::read(lone, records).path.isEmpty()) << "never another minute's record";
}

// "m1-front.mp4 at 0.5 of 60, step 1": the file, the time in it, its length and the step.
std::string segment(const std::optional<PlaybackSegmentContext>& s) {
    if (!s)
        return "none";
    QString text = QStringLiteral("%1 at %2 of %3").arg(s->video.fileName).arg(s->localTime).arg(s->duration);
    return (s->stepIndex ? text + QStringLiteral(", step %1").arg(*s->stepIndex) : text).toStdString();
}

const TeslaVideoFile selected = file("selected-back.mp4", 0, CameraAngle::back);
const std::vector<PlaybackStep> threeMinutes = {PlaybackStep::single(file("m0-front.mp4")),
                                                PlaybackStep::single(file("m1-front.mp4")),
                                                PlaybackStep::single(file("m2-front.mp4"))};
const std::vector<double> lengths = {60, 60, 45};

// Through the continuous playlist when it is measured, else through the selected file.
TEST(PlaybackSegmentResolver, ResolvesThroughThePlaylistOrTheSelectedFile) {
    const std::vector<PlaybackStep> none, emptyStep = {PlaybackStep::multiCamera({})};
    const struct {
        std::vector<PlaybackStep> steps;
        std::vector<double> durations;
        double t, controllerDuration;
        const char* segment;
    } cases[] = {
        {threeMinutes, lengths, 60.5, 30, "m1-front.mp4 at 0.5 of 60, step 1"},
        {none, {}, 12.5, 30, "selected-back.mp4 at 12.5 of 30"},
        {none, {}, 45, 30, "selected-back.mp4 at 30 of 30"},
        {none, {}, -3, 30, "selected-back.mp4 at 0 of 30"},
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
