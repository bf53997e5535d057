// The cards' hard-brake counts: counted with the preview's rule, kept on disk until the event's
// files change, read lazily (latest card first, never for a card gone before its turn), and the
// browser's filter by marks with its search's progress, over what the reason filter keeps.

#include "HardBrakeCounts.h"

#include "../../telemetry/DriveDataForTests.h"
#include "AppMessages.h"
#include "HardBrakeCountCache.h"
#include "LibraryViewModel.h"
#include "MetadataParser.h"
#include "ReasonFilter.h"
#include "SampleClips.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QSemaphore>
#include <atomic>
#include <gtest/gtest.h>

using namespace orvane;

namespace {

constexpr double minuteSeconds = 4;

// An imported folder of two short front-camera minutes, scanned as the browser lists it.
struct TwoMinutes {
    test::TempFolder tmp;
    QString folder = tmp.makeFolder(QStringLiteral("drive"));
    QStringList files;
    TeslaClipEvent event;

    TwoMinutes() {
        for (const char* minute : {"2024-05-01_10-00-00", "2024-05-01_10-01-00"}) {
            sample::ClipSpec spec;
            spec.path = folder + QStringLiteral("/%1-front.mp4").arg(QLatin1String(minute));
            spec.seconds = minuteSeconds;
            files << test::writeClip(spec);
        }
        event = MetadataParser::scanLibrary({folder}).at(ClipCategory::imported).front();
    }
};

// The first minute's record stops hard twice, more than the merging gap apart (two marks); the
// second's decelerates exactly at the limit all along, which is not beyond it.
std::vector<TeslaTelemetrySample> recordOf(const QString& path) {
    const int frames = int(minuteSeconds * test::fps);
    std::function<std::pair<double, double>(int)> force = test::run(0, frames, DriveProfile::hardBrakeG);
    if (path.contains(QLatin1String("10-00-00")))
        force = [](int i) { return std::pair((i >= 4 && i < 16) || (i >= 120 && i < 135) ? 0.5 : 0.0, 0.0); };
    return test::minute(0, frames, force).samples;
}

void overwrite(const QString& path, const QByteArray& content) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(content);
}

TEST(HardBrakeCountCache, CountsOnceUntilTheFilesChangeAndPassesOverDamagedEntries) {
    TwoMinutes drive;
    const QString cache = drive.tmp / QStringLiteral("cache");
    int counted = 0;
    const auto counter = [&](const std::vector<TeslaVideoFile>& videos, const CancellationToken& cancel) {
        ++counted;
        return HardBrakeCountCache::countFromFootage(videos, cancel, recordOf);
    };
    const auto count = [&](const TeslaClipEvent& e) {
        return HardBrakeCountCache::count(e, counter, {}, cache);
    };

    EXPECT_EQ(count(drive.event), 2);
    EXPECT_EQ(count(drive.event), 2);
    EXPECT_EQ(counted, 1); // the second asks nothing of the footage
    const QString entry = cache + QLatin1Char('/') + QDir(cache).entryList(QDir::Files).value(0);
    EXPECT_EQ(QDir(cache).entryList(QDir::Files).size(), 1); // no temporary left beside it

    struct Change {
        const char* name;
        std::function<void()> apply;
    } changes[] = {
        {"a file grew",
         [&] {
             QFile f(drive.files[1]);
             f.open(QIODevice::Append);
             f.write("x");
         }},
        {"a file was touched",
         [&] {
             QFile f(drive.files[0]);
             f.open(QIODevice::ReadWrite);
             f.setFileTime(f.fileTime(QFileDevice::FileModificationTime).addSecs(-60),
                           QFileDevice::FileModificationTime);
         }},
        {"the entry is garbage", [&] { overwrite(entry, "{\"format\":1,\"fil"); }},
        {"the entry's count is negative",
         [&] {
             QFile f(entry);
             f.open(QIODevice::ReadOnly);
             const QByteArray kept = f.readAll().replace("\"hardBrakes\":2", "\"hardBrakes\":-2");
             f.close();
             overwrite(entry, kept);
         }},
    };
    for (const Change& c : changes) {
        c.apply();
        const int before = counted;
        EXPECT_EQ(count(drive.event), 2) << c.name;
        EXPECT_EQ(counted, before + 1) << c.name;
        EXPECT_EQ(count(drive.event), 2) << c.name;
        EXPECT_EQ(counted, before + 1) << c.name << ": kept again";
    }

    TeslaClipEvent encrypted = drive.event;
    encrypted.isEncrypted = true;
    QDir(cache).removeRecursively();
    EXPECT_EQ(count(encrypted), 2);
    EXPECT_FALSE(QDir(cache).exists()); // counted with the session's keys, never kept

    // A drive pulled out mid-read keeps nothing: its missing files read as a calm drive.
    const auto pulledOut = [&](const std::vector<TeslaVideoFile>&, const CancellationToken&) {
        QFile::remove(drive.files[1]);
        return 0;
    };
    EXPECT_EQ(HardBrakeCountCache::count(drive.event, pulledOut, {}, cache), 0);
    EXPECT_TRUE(QDir(cache).entryList(QDir::Files).isEmpty());

    TeslaClipEvent gone = drive.event;
    gone.folderURL = drive.tmp / QStringLiteral("unplugged");
    EXPECT_EQ(count(gone), std::nullopt);
}

TeslaClipEvent eventNamed(const QString& name) {
    TeslaClipEvent e;
    e.id = QUuid::createUuid();
    e.folderURL = QStringLiteral("/cards/") + name;
    e.folderName = name;
    e.category = ClipCategory::saved;
    e.isEncrypted = name.startsWith(QLatin1String("locked"));
    return e;
}

// Reads block until the test lets them through; each read is recorded in order.
struct GatedReader {
    QSemaphore gate;
    QMutex mutex;
    QStringList read;
    std::atomic<int> cancelled = 0;
    std::function<std::optional<int>(const QString&)> answer = [](const QString&) { return 0; };

    HardBrakeCounts::Reader reader() {
        return [this](const TeslaClipEvent& e, const CancellationToken& cancel) -> std::optional<int> {
            {
                QMutexLocker lock(&mutex);
                read << e.folderName;
            }
            while (!gate.tryAcquire(1, 10))
                if (cancel.isCancelled()) {
                    ++cancelled;
                    throw OperationCancelled();
                }
            return answer(e.folderName);
        };
    }
    QStringList reads() {
        QMutexLocker lock(&mutex);
        return read;
    }
};

TEST(HardBrakeCounts, ReadsTheLatestCardFirstAndNothingForCardsGoneOrASearchStopped) {
    GatedReader r;
    HardBrakeCounts counts(r.reader());
    std::map<QString, TeslaClipEvent> e;
    for (const char* name : {"a", "b", "c", "d", "x", "y"})
        e[name] = eventNamed(name);
    const auto key = [&](const char* name) { return HardBrakeCounts::keyOf(e[name], false); };

    counts.want(e["a"], false);
    ASSERT_TRUE(test::waitUntil([&] { return r.reads().size() == 1; }));
    counts.want(e["b"], false);
    counts.want(e["c"], false);
    counts.want(e["d"], false);
    counts.release(key("c"));                                 // scrolled away before its turn
    counts.want(eventNamed(QStringLiteral("locked")), false); // its keys are not held: never read
    r.gate.release(3);
    ASSERT_TRUE(test::waitUntil([&] { return counts.isSettled(key("b")); }));
    EXPECT_EQ(r.reads(), QStringList({"a", "d", "b"}));
    EXPECT_EQ(counts.count(key("d")), 0);

    counts.want(e["a"], false); // known: answered from memory
    counts.setBackground({e["x"], e["y"]}, {});
    ASSERT_TRUE(test::waitUntil([&] { return r.reads().size() == 4; }));
    counts.setBackground({}, {}); // the filter went off mid-read
    ASSERT_TRUE(test::waitUntil([&] { return r.cancelled == 1; }));
    counts.waitForIdle();
    EXPECT_EQ(r.reads().last(), QStringLiteral("x"));
    EXPECT_FALSE(counts.isSettled(key("x")));
    EXPECT_FALSE(counts.isSettled(key("y")));
}

TEST(MarksFilter, KeepsTheMarkedEventsOfTheCategoryAndSaysHowFarTheSearchIs) {
    GatedReader r;
    r.answer = [](const QString& name) -> std::optional<int> {
        return name == QLatin1String("braked") ? 2
               : name == QLatin1String("gone") ? std::nullopt
                                               : std::optional(0);
    };
    std::vector<TeslaClipEvent> saved;
    for (const char* name : {"braked", "calm", "locked", "gone"})
        saved.push_back(eventNamed(name));
    for (const int honked : {0, 1}) {
        saved[honked].metadata = EventMetadata();
        saved[honked].metadata->reason = QStringLiteral("user_interaction_honk");
    }
    TeslaClipEvent sentry = eventNamed(QStringLiteral("sentry"));
    sentry.category = ClipCategory::sentry;
    LibraryServices services;
    services.checkImportChoice = [](const QStringList& paths) {
        return LibraryRules::ImportChoice{paths, {}};
    };
    services.scanLibrary = [&](const QStringList&) {
        return EventsByCategory{{ClipCategory::saved, saved}, {ClipCategory::sentry, {sentry}}};
    };
    services.countHardBrakes = r.reader();
    AppMessages messages(QString{});
    LibraryViewModel library(services, messages);
    library.importTeslaCamPaths({QStringLiteral("/cards")});
    ASSERT_TRUE(test::waitUntil([&] { return !library.isImporting(); }));
    library.selectCategory(ClipCategory::saved);
    MarksFilter& filter = *library.marksFilter();
    const auto shown = [&] {
        QStringList names;
        for (const TeslaClipEvent& e : library.eventsInSelectedCategory()->events())
            names << e.folderName;
        return names;
    };
    library.startDeleteSelection();
    library.toggleDeleteEvent(saved[1].id.toString());

    filter.setHardBrakesOnly(true);
    EXPECT_TRUE(filter.isSearching());
    EXPECT_EQ(filter.progressText(), QStringLiteral("正在查找急刹车… 0/3")); // the locked one cannot be read
    EXPECT_EQ(shown(), QStringList());
    EXPECT_EQ(library.deleteSelectedCount(), 0); // nothing hidden stays picked for deletion
    r.gate.release(1);
    ASSERT_TRUE(test::waitUntil([&] { return shown() == QStringList{"braked"}; }));
    EXPECT_EQ(filter.progressText(), QStringLiteral("正在查找急刹车… 1/3"));
    r.gate.release(2);
    ASSERT_TRUE(test::waitUntil([&] { return !filter.isSearching(); }));
    EXPECT_EQ(filter.progressText(), QString());
    EXPECT_EQ(shown(), QStringList{"braked"});

    filter.setEncryptedOnly(true);
    EXPECT_EQ(shown(), QStringList());
    EXPECT_EQ(filter.emptyTitle(), QStringLiteral("没有符合筛选条件的视频片段"));
    EXPECT_EQ(filter.emptyHint(), QStringLiteral("另有 1 个加密片段尚未解锁，无法读取其中的急刹车记录"));
    filter.setHardBrakesOnly(false);
    EXPECT_EQ(shown(), QStringList{"locked"});

    filter.clear();
    filter.setHardBrakesOnly(true);
    library.selectCategory(ClipCategory::sentry); // the marks combine with the category
    EXPECT_EQ(filter.progressText(), QStringLiteral("正在查找急刹车… 0/1"));
    r.gate.release(1);
    ASSERT_TRUE(test::waitUntil([&] { return !filter.isSearching(); }));
    EXPECT_EQ(shown(), QStringList());
    EXPECT_EQ(r.reads().count(QStringLiteral("braked")), 1); // read once for all of it

    // The marks apply to what the reason filter keeps, and the deletion choice follows both.
    filter.clear();
    library.selectCategory(ClipCategory::saved);
    library.setReasonFilter(QStringLiteral("user_interaction_honk"));
    library.startDeleteSelection();
    library.toggleSelectAllEventsForDeletion();
    EXPECT_EQ(shown(), (QStringList{"braked", "calm"}));
    filter.setHardBrakesOnly(true);
    EXPECT_EQ(shown(), QStringList{"braked"});
    EXPECT_EQ(library.deleteSelectedCount(), 1);
    EXPECT_EQ(library.eventsInSelectedCategory()->count(), 1);
    library.setReasonFilter(ReasonFilter::unrecordedKey()); // "locked" and "gone": none braked
    EXPECT_EQ(shown(), QStringList());
    EXPECT_FALSE(library.reasonFilterHidesAll()); // the marks hide them, and say so
    EXPECT_EQ(library.deleteSelectedCount(), 0);
}

} // namespace
