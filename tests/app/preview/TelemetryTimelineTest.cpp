// The preview page's telemetry timeline on real sample-drive clips: what is read and when,
// what is kept, and what the dashboard receives.

#include "TelemetryTimeline.h"

#include "AppPools.h"
#include "MetadataParser.h"
#include "PlaybackSegmentResolver.h"
#include "SampleDrive.h"
#include "TeslaTelemetryReader.h"
#include "ViewModelHarness.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>

using namespace orvane;

namespace {

constexpr int fps = 36;
constexpr double minuteSeconds = 1; // the clips' "minutes" are one second long
constexpr int waitMs = 10000;

// Plays a continuous playlist (when given) or the selected file, as the view model will.
class FakeSegmentSource : public PlaybackSegmentSource {
public:
    std::vector<PlaybackStep> steps;
    std::vector<double> durations;
    std::optional<TeslaVideoFile> selected;
    double controllerDuration = minuteSeconds;

    std::optional<PlaybackSegmentContext> playbackSegment(double t) const override {
        return PlaybackSegmentResolver::playbackSegment(t, steps, durations, selected, controllerDuration);
    }
    std::optional<PlaybackSegmentContext> nextPlaybackSegment(double t) const override {
        return PlaybackSegmentResolver::nextPlaybackSegment(t, steps, durations, selected,
                                                            controllerDuration);
    }
};

// The real reader, recording every file it is asked for (full paths); reads of held files
// wait until released.
class RecordingReader {
public:
    ~RecordingReader() { releaseAll(); }

    TelemetryTimeline::FileReader reader() {
        return [s = state_](const QString& path) {
            {
                std::lock_guard lock(s->mutex);
                s->asked << path;
            }
            s->gates.pass(path);
            return TeslaTelemetryReader::read(path);
        };
    }
    QStringList asked() const {
        std::lock_guard lock(state_->mutex);
        return state_->asked;
    }
    void hold(const QString& path) { state_->gates.hold(path); }
    void releaseAll() { state_->gates.releaseAll(); }

private:
    struct State {
        std::mutex mutex;
        QStringList asked;
        test::Gates gates;
    };
    std::shared_ptr<State> state_ = std::make_shared<State>();
};

class TelemetryTimelineTest : public testing::Test {
protected:
    test::ScopedTimeZone zone{"Asia/Shanghai"};
    test::TempFolder tmp;
    FakeSegmentSource source;
    RecordingReader reads;
    TelemetryTimeline timeline;

    void SetUp() override {
        timeline.setFileReader(reads.reader());
        timeline.setSegmentSource(&source);
    }

    // One camera file of minute `minute` (0, 1, 2…) in `folder`; seed 3 is moving from its
    // twentieth second on, with blinkers and steering.
    TeslaVideoFile clip(const QString& folder, int minute, CameraAngle camera,
                        sample::Damage damage = sample::Damage::none) {
        const Instant start = *LocalTime::fromFields(2024, 5, 1, 10, minute, 0);
        const QString path = tmp.makeFolder(folder) + QLatin1Char('/') + sample::carTimeName(start) +
                             Camera::fileNameSuffix(camera);
        sample::writeClip({.path = path,
                           .camera = camera,
                           .width = 64,
                           .height = 48,
                           .framesPerSecond = fps,
                           .seconds = minuteSeconds,
                           .startTime = start,
                           .seed = 3,
                           .firstFrameSerial = fps * (20 + minute),
                           .damage = damage});
        return MetadataParser::parseVideo(path, std::nullopt);
    }
    // The front files of `count` minutes in one folder, played one after the other.
    std::vector<TeslaVideoFile> playMinutes(int count) {
        std::vector<TeslaVideoFile> minutes;
        for (int minute = 0; minute < count; ++minute) {
            minutes.push_back(clip("SavedClips/a", minute, CameraAngle::front));
            source.steps.push_back(PlaybackStep::single(minutes.back()));
            source.durations.push_back(minuteSeconds);
        }
        return minutes;
    }
    // Every read started has ended and its result arrived (used or dropped).
    void drainReads() {
        reads.releaseAll();
        test::drainFileWork();
    }
    bool waitUntilCached(const TeslaVideoFile& video) {
        return QTest::qWaitFor(
            [&] { return timeline.cachedSamples(TelemetryTimeline::segmentKey(video)).has_value(); }, waitMs);
    }
};

} // namespace

TEST_F(TelemetryTimelineTest, NewMinuteIsReadThenTheNextPrefetched) {
    const auto minutes = playMinutes(2);
    const TeslaVideoFile &m0 = minutes[0], &m1 = minutes[1];
    QSignalSpy keyChanges(&timeline, &TelemetryTimeline::telemetrySegmentKeyChanged);

    timeline.setCurrentTime(0.5);
    EXPECT_EQ(timeline.telemetrySegmentKey(), tmp / "SavedClips/a|2024-05-01_10-00-00");
    EXPECT_FALSE(timeline.hasTelemetry()); // still being read
    ASSERT_TRUE(QTest::qWaitFor([&] { return timeline.hasTelemetry(); }, waitMs));
    ASSERT_TRUE(waitUntilCached(m1));
    EXPECT_EQ(reads.asked(), (QStringList{m0.url, m1.url}));

    // By the file's own frame times, the nineteenth frame (18/36 s) is on screen from its start to
    // just before the twentieth: the instruments show its record there, while the wheel turns
    // smoothly from its angle towards the next one's (the angles differ from frame to frame).
    const auto samples = TeslaTelemetryReader::read(m0.url);
    ASSERT_EQ(samples.size(), size_t(fps));
    const auto steering = [&](int frame) { return samples[size_t(frame)].steeringAngle; };
    ASSERT_NE(steering(18), steering(19));
    ASSERT_NE(steering(17), steering(18));
    for (double frames : {18.0, 18.3, 18.7, 18.999, 17.6}) {
        SCOPED_TRACE(frames);
        timeline.update(frames / fps);
        const int shown = int(frames);
        const double fraction = frames - shown;
        EXPECT_EQ(timeline.currentSample(), samples[size_t(shown)]);
        EXPECT_NEAR(*timeline.steeringAngle(),
                    steering(shown) + (steering(shown + 1) - steering(shown)) * fraction, 1e-6);
    }
    timeline.update(0.6); // same minute: no new key, no new read
    timeline.setCurrentTime(1.5);
    EXPECT_TRUE(timeline.hasTelemetry()); // prefetched
    EXPECT_EQ(timeline.telemetrySegmentKey(), tmp / "SavedClips/a|2024-05-01_10-01-00");
    EXPECT_EQ(keyChanges.count(), 2);
    drainReads();
    EXPECT_EQ(reads.asked().size(), 2);
}

TEST_F(TelemetryTimelineTest, AReadOvertakenByAnotherMinuteStoresNothingAndIsReadAgain) {
    const auto minutes = playMinutes(3);
    const TeslaVideoFile &m0 = minutes[0], &m1 = minutes[1], &m2 = minutes[2];
    reads.hold(m0.url);
    timeline.setCurrentTime(0.5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return reads.asked().size() == 1; }, waitMs));
    timeline.setCurrentTime(2.5); // the user jumps on while the first minute is read
    ASSERT_TRUE(QTest::qWaitFor([&] { return timeline.hasTelemetry(); }, waitMs));

    drainReads(); // both reads ended and the late result arrived
    EXPECT_FALSE(timeline.cachedSamples(TelemetryTimeline::segmentKey(m0)));
    EXPECT_FALSE(timeline.cachedSamples(TelemetryTimeline::segmentKey(m1))); // its prefetch never started

    timeline.setCurrentTime(0.5);
    EXPECT_FALSE(timeline.hasTelemetry());
    ASSERT_TRUE(QTest::qWaitFor([&] { return timeline.hasTelemetry(); }, waitMs));
    ASSERT_TRUE(waitUntilCached(m1));
    EXPECT_EQ(reads.asked(), (QStringList{m0.url, m2.url, m0.url, m1.url}));
}

TEST_F(TelemetryTimelineTest, AMinuteWithoutTelemetryIsKeptAsEmptyAndNotReadAgain) {
    const auto bare = clip("SavedClips/a", 0, CameraAngle::front, sample::Damage::noTelemetry);
    const auto other = clip("SavedClips/b", 0, CameraAngle::front);
    source.selected = bare;
    QSignalSpy telemetryChanges(&timeline, &TelemetryTimeline::hasTelemetryChanged);
    QSignalSpy cached(&timeline, &TelemetryTimeline::segmentCached);

    timeline.setCurrentTime(0.2);
    ASSERT_TRUE(cached.wait(waitMs));
    EXPECT_EQ(timeline.cachedSamples(TelemetryTimeline::segmentKey(bare)),
              std::vector<TeslaTelemetrySample>{});
    source.selected = other;
    timeline.update(0.2);
    source.selected = bare;
    for (double t : {0.7, 0.2, 0.9})
        timeline.setCurrentTime(t);
    drainReads();
    EXPECT_FALSE(timeline.hasTelemetry());
    EXPECT_FALSE(timeline.currentSample());
    EXPECT_EQ(reads.asked().count(bare.url), 1);
    EXPECT_EQ(telemetryChanges.count(), 0);
}

TEST_F(TelemetryTimelineTest, TheFrontFileBesideAnotherCameraIsReadFirst) {
    const struct {
        const char* name;
        bool front;                 // a front file lies beside the back file
        sample::Damage frontDamage; // …and carries telemetry or not
        const char* expectedReads;  // the files' camera names, in order
    } cases[] = {
        {"front has telemetry", true, sample::Damage::none, "front"},
        {"front without telemetry", true, sample::Damage::noTelemetry, "front back"},
        {"no front file", false, sample::Damage::none, "back"},
    };
    int folder = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString dir = QStringLiteral("SentryClips/%1").arg(++folder);
        if (c.front)
            clip(dir, 0, CameraAngle::front, c.frontDamage);
        source.selected = clip(dir, 0, CameraAngle::back);
        const auto before = reads.asked().size();
        timeline.update(0.5);
        ASSERT_TRUE(QTest::qWaitFor([&] { return timeline.hasTelemetry(); }, waitMs));
        QStringList cameras;
        for (const QString& path : reads.asked().mid(before))
            cameras << QFileInfo(path).completeBaseName().section('-', -1);
        EXPECT_EQ(cameras.join(' ').toStdString(), c.expectedReads);
    }
}

TEST_F(TelemetryTimelineTest, NothingToShowWithoutASourceOrAfterItIsGone) {
    auto* owned = new FakeSegmentSource;
    owned->selected = clip("SavedClips/a", 0, CameraAngle::front);
    timeline.setSegmentSource(owned);
    timeline.setCurrentTime(0.5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return timeline.hasTelemetry(); }, waitMs));
    delete owned;
    EXPECT_EQ(timeline.segmentSource(), nullptr);
    EXPECT_TRUE(timeline.telemetrySegmentKey().isEmpty());
    EXPECT_FALSE(timeline.hasTelemetry());
    EXPECT_FALSE(timeline.currentSample());
}

TEST_F(TelemetryTimelineTest, APageClosedDuringAReadIsLeftAlone) {
    source.selected = clip("SavedClips/a", 0, CameraAngle::front);
    reads.hold(source.selected->url);
    {
        TelemetryTimeline page;
        page.setFileReader(reads.reader());
        page.setSegmentSource(&source);
        page.setCurrentTime(0.5);
    }
    drainReads(); // the result has nowhere to go
    EXPECT_EQ(reads.asked(), QStringList{source.selected->url});
    // The source the closed page followed still serves a new one.
    timeline.setCurrentTime(0.5);
    EXPECT_TRUE(QTest::qWaitFor([&] { return timeline.hasTelemetry(); }, waitMs));
}
