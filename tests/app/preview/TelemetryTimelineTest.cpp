// The preview page's telemetry timeline on real sample-drive clips: what is read and when,
// what is kept, and what the dashboard receives.

#include "TelemetryTimeline.h"

#include "AppPools.h"
#include "MetadataParser.h"
#include "PlaybackSegmentResolver.h"
#include "SampleDrive.h"
#include "TeslaTelemetryReader.h"
#include "TestSupport.h"

#include <QFileInfo>
#include <QSet>
#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>
#include <condition_variable>
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
            std::unique_lock lock(s->mutex);
            s->asked << path;
            s->changed.wait(lock, [&] { return !s->held.contains(path); });
            lock.unlock();
            auto samples = TeslaTelemetryReader::read(path);
            lock.lock();
            ++s->finished;
            return samples;
        };
    }
    QStringList asked() const {
        std::lock_guard lock(state_->mutex);
        return state_->asked;
    }
    int finished() const {
        std::lock_guard lock(state_->mutex);
        return state_->finished;
    }
    void hold(const QString& path) {
        std::lock_guard lock(state_->mutex);
        state_->held.insert(path);
    }
    void releaseAll() {
        std::lock_guard lock(state_->mutex);
        state_->held.clear();
        state_->changed.notify_all();
    }

private:
    struct State {
        std::mutex mutex;
        std::condition_variable changed;
        QStringList asked;
        QSet<QString> held;
        int finished = 0;
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
        sample::ClipSpec spec;
        spec.path = tmp.makeFolder(folder) + QLatin1Char('/') + sample::carTimeName(start) +
                    Camera::fileNameSuffix(camera);
        spec.camera = camera;
        spec.width = 64;
        spec.height = 48;
        spec.framesPerSecond = fps;
        spec.seconds = minuteSeconds;
        spec.startTime = start;
        spec.seed = 3;
        spec.firstFrameSerial = fps * (20 + minute);
        spec.damage = damage;
        sample::writeClip(spec);
        return MetadataParser::parseVideo(spec.path, std::nullopt);
    }
    void play(const std::vector<TeslaVideoFile>& minutes) {
        for (const auto& video : minutes) {
            source.steps.push_back(PlaybackStep::single(video));
            source.durations.push_back(minuteSeconds);
        }
    }
    bool waitUntilCached(const TeslaVideoFile& video) {
        return QTest::qWaitFor(
            [&] { return timeline.cachedSamples(TelemetryTimeline::segmentKey(video)).has_value(); }, waitMs);
    }
};

} // namespace

TEST_F(TelemetryTimelineTest, NewMinuteIsReadThenTheNextPrefetched) {
    const auto m0 = clip("SavedClips/a", 0, CameraAngle::front),
               m1 = clip("SavedClips/a", 1, CameraAngle::front);
    play({m0, m1});
    QSignalSpy keyChanges(&timeline, &TelemetryTimeline::telemetrySegmentKeyChanged);

    timeline.setCurrentTime(0.5);
    EXPECT_EQ(timeline.telemetrySegmentKey(), tmp / "SavedClips/a|2024-05-01_10-00-00");
    EXPECT_FALSE(timeline.hasTelemetry()); // still being read
    ASSERT_TRUE(QTest::qWaitFor([&] { return timeline.hasTelemetry(); }, waitMs));
    ASSERT_TRUE(waitUntilCached(m1));
    EXPECT_EQ(reads.asked(), (QStringList{m0.url, m1.url}));

    // Half way through 36 records: the nineteenth is shown, steering half way to it.
    const auto samples = TeslaTelemetryReader::read(m0.url);
    ASSERT_EQ(samples.size(), size_t(fps));
    EXPECT_EQ(timeline.currentSample(), samples[18]);
    EXPECT_DOUBLE_EQ(*timeline.steeringAngle(),
                     samples[17].steeringAngle +
                         (double(samples[18].steeringAngle) - samples[17].steeringAngle) * 0.5);

    timeline.update(0.6); // same minute: no new key, no new read
    timeline.setCurrentTime(1.5);
    EXPECT_TRUE(timeline.hasTelemetry()); // prefetched
    EXPECT_EQ(timeline.telemetrySegmentKey(), tmp / "SavedClips/a|2024-05-01_10-01-00");
    EXPECT_EQ(keyChanges.count(), 2);
    QTest::qWait(50);
    EXPECT_EQ(reads.asked().size(), 2);
}

TEST_F(TelemetryTimelineTest, AReadOvertakenByAnotherMinuteStoresNothingAndIsReadAgain) {
    const auto m0 = clip("SavedClips/a", 0, CameraAngle::front),
               m1 = clip("SavedClips/a", 1, CameraAngle::front),
               m2 = clip("SavedClips/a", 2, CameraAngle::front);
    play({m0, m1, m2});
    reads.hold(m0.url);
    timeline.setCurrentTime(0.5);
    ASSERT_TRUE(QTest::qWaitFor([&] { return reads.asked().size() == 1; }, waitMs));
    timeline.setCurrentTime(2.5); // the user jumps on while the first minute is read
    ASSERT_TRUE(QTest::qWaitFor([&] { return timeline.hasTelemetry(); }, waitMs));

    reads.releaseAll();
    AppPools::files()->waitForDone();
    QTest::qWait(20); // the late result arrives
    EXPECT_EQ(reads.finished(), 2);
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
    QTest::qWait(100);
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
        QStringList expectedReads;
    } cases[] = {
        {"front has telemetry", true, sample::Damage::none, {"2024-05-01_10-00-00-front.mp4"}},
        {"front without telemetry",
         true,
         sample::Damage::noTelemetry,
         {"2024-05-01_10-00-00-front.mp4", "2024-05-01_10-00-00-back.mp4"}},
        {"no front file", false, sample::Damage::none, {"2024-05-01_10-00-00-back.mp4"}},
    };
    int folder = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString dir = QStringLiteral("SentryClips/%1").arg(++folder);
        if (c.front)
            clip(dir, 0, CameraAngle::front, c.frontDamage);
        source.selected = clip(dir, 0, CameraAngle::back);
        TelemetryTimeline page; // every page starts with an empty cache
        RecordingReader pageReads;
        page.setFileReader(pageReads.reader());
        page.setSegmentSource(&source);
        page.setCurrentTime(0.5);
        ASSERT_TRUE(QTest::qWaitFor([&] { return page.hasTelemetry(); }, waitMs));
        QStringList names;
        for (const QString& path : pageReads.asked())
            names << QFileInfo(path).fileName();
        EXPECT_EQ(names.join(' ').toStdString(), c.expectedReads.join(' ').toStdString());
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
    reads.releaseAll();
    ASSERT_TRUE(QTest::qWaitFor([&] { return reads.finished() == 1; }, waitMs));
    QTest::qWait(50); // the result has nowhere to go
}
