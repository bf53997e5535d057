// The cards' duration badges: measured on the probes' own thread, the latest event asked for wins,
// the reads a card no longer wants are skipped, and a card gone before its answer is left alone.

#include "EventDurationProbe.h"

#include "EventThumbnailSource.h"
#include "ViewModelHarness.h"

#include <QMutex>
#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace orvane;

namespace {

class EventDurationProbeTest : public testing::Test {
protected:
    // Measures "<folder>" as its number of seconds, holding at the folder's gate while it is held.
    void SetUp() override {
        EventDurationProbe::clearCache();
        EventDurationProbe::setMeasure([gates = gates, counts = counts](const TeslaClipEvent& event) {
            {
                QMutexLocker lock(&counts->mutex);
                ++counts->calls[event.folderURL];
            }
            gates->pass(event.folderURL);
            return std::optional<double>(QFileInfo(event.folderURL).fileName().toDouble());
        });
    }
    void TearDown() override {
        gates->releaseAll();
        EventDurationProbe::setMeasure({});
        EventDurationProbe::clearCache();
    }
    static QString source(const QString& folder) {
        TeslaClipEvent event;
        event.folderURL = folder;
        event.startTime = 1714558800;
        return EventThumbnailSource::url(event);
    }
    int calls(const QString& folder) {
        QMutexLocker lock(&counts->mutex);
        return counts->calls.value(folder);
    }

    struct Counts {
        QMutex mutex;
        QHash<QString, int> calls;
    };
    std::shared_ptr<test::Gates> gates = std::make_shared<test::Gates>();
    std::shared_ptr<Counts> counts = std::make_shared<Counts>();
};

} // namespace

TEST_F(EventDurationProbeTest, TheLatestEventWinsAndReadsNoLongerWantedAreSkipped) {
    EventDurationProbe probe;
    QSignalSpy shown(&probe, &EventDurationProbe::durationChanged);
    gates->hold(QStringLiteral("/cards/10"));
    probe.setSource(source(QStringLiteral("/cards/10")));
    ASSERT_TRUE(test::waitUntil([&] { return gates->arrived(QStringLiteral("/cards/10")); }));
    // Scrolled on twice while the first is read: the second waits behind it and is never read.
    probe.setSource(source(QStringLiteral("/cards/20")));
    probe.setSource(source(QStringLiteral("/cards/30")));
    gates->release(QStringLiteral("/cards/10"));
    ASSERT_TRUE(test::waitUntil([&] { return probe.duration() == 30; }));
    EXPECT_EQ(shown.count(), 1) << "only the latest event's length is shown";
    EXPECT_EQ(calls(QStringLiteral("/cards/20")), 0);

    // Remembered for the process: a card of the same event shows it at once, without reading.
    EventDurationProbe again;
    again.setSource(source(QStringLiteral("/cards/30")));
    EXPECT_EQ(again.duration(), 30);
    EXPECT_EQ(calls(QStringLiteral("/cards/30")), 1);
}

TEST_F(EventDurationProbeTest, ACardGoneBeforeItsAnswerIsLeftAlone) {
    gates->hold(QStringLiteral("/cards/40"));
    {
        EventDurationProbe probe;
        probe.setSource(source(QStringLiteral("/cards/40")));
        ASSERT_TRUE(test::waitUntil([&] { return gates->arrived(QStringLiteral("/cards/40")); }));
    }
    gates->release(QStringLiteral("/cards/40"));
    EventDurationProbe later;
    later.setSource(source(QStringLiteral("/cards/50")));
    ASSERT_TRUE(test::waitUntil([&] { return later.duration() == 50; })); // came after the dropped one
    EXPECT_EQ(calls(QStringLiteral("/cards/40")), 1);
}
