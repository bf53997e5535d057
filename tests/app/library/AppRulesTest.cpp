// The stateless rules behind the main view model, as tables: categories, import refusals, card
// titles, the export's camera, selections and merge ranges; the browser's rows of cards, and
// finding an event among them (the jump-to-day calendar, the reason filter).

#include "AppMessages.h"
#include "EventListModel.h"
#include "LibraryRules.h"
#include "LibraryViewModel.h"
#include "MergeRules.h"
#include "TestSupport.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace orvane;

namespace {

TeslaClipEvent event(ClipCategory category, Instant start = 0) {
    TeslaClipEvent e;
    e.id = QUuid::createUuid();
    e.category = category;
    e.startTime = start;
    return e;
}

TeslaVideoFile file(const QString& name) {
    TeslaVideoFile v;
    v.id = QUuid::createUuid();
    v.fileName = name;
    v.url = QStringLiteral("/drive/") + name;
    v.cameraAngle = Camera::parse(name);
    return v;
}

// A library from "saved sentry sentry …", an event per name; "saved:0" lists no saved event.
EventsByCategory library(const QString& names) {
    EventsByCategory map;
    for (const QString& name : names.split(' ', Qt::SkipEmptyParts)) {
        const ClipCategory category = *Category::fromRawValue(name.section(':', 0, 0));
        if (name.endsWith(":0"))
            map[category];
        else
            map[category].push_back(event(category));
    }
    return map;
}

QString raw(const std::vector<ClipCategory>& categories) {
    QStringList names;
    for (ClipCategory c : categories)
        names << Category::rawValue(c);
    return names.join(' ');
}

} // namespace

TEST(LibraryRules, availableAndPreferredCategories) {
    const struct {
        ImportMode mode;
        const char* events;
        const char* available;
        const char* preferred;
    } cases[] = {
        {ImportMode::teslaCam, "", "recent sentry saved", ""},
        {ImportMode::teslaCam, "imported", "recent sentry saved imported", "imported"},
        {ImportMode::teslaCam, "saved:0 recent recent", "recent sentry saved", "recent"},
        {ImportMode::teslaCam, "sentry recent recent", "recent sentry saved", "sentry"},
        {ImportMode::teslaCam, "saved sentry", "recent sentry saved", "saved"},
        {ImportMode::none, "imported sentry saved:0", "sentry imported", "sentry"},
        {ImportMode::none, "", "", ""},
    };
    for (const auto& c : cases) {
        const EventsByCategory events = library(c.events);
        EXPECT_EQ(raw(LibraryRules::availableCategories(c.mode, events)), c.available) << c.events;
        const auto preferred = LibraryRules::preferredCategory(events);
        EXPECT_EQ(preferred ? Category::rawValue(*preferred) : QString(), c.preferred) << c.events;
    }
}

TEST(LibraryRules, preferredExportVideoWalksTheCamerasInOrder) {
    const std::pair<QStringList, QString> cases[] = {
        {{"a-back.mp4", "a-front.mp4"}, "a-front.mp4"},
        {{"a-right_pillar.mp4", "a-left_repeater.mp4", "a-back.mp4"}, "a-back.mp4"},
        {{"a-right_pillar.mp4", "a-left_pillar.mp4"}, "a-left_pillar.mp4"},
        {{"a-right_repeater.mp4", "a-left_pillar.mp4"}, "a-right_repeater.mp4"},
        {{"clip.mp4", "other.mp4"}, "clip.mp4"},
        {{}, ""},
    };
    for (const auto& [names, expected] : cases) {
        std::vector<TeslaVideoFile> files;
        for (const QString& n : names)
            files.push_back(file(n));
        const auto chosen = LibraryRules::preferredExportVideo(files);
        EXPECT_EQ(chosen ? chosen->fileName : QString(), expected) << names.join(',').toStdString();
    }
}

TEST(LibraryRules, importChoiceKeepsFoldersAndRequiresDriveRoots) {
    test::TempFolder t;
    const QString root = t.makeFolder("a/TeslaCam");
    t.makeFolder("a/TeslaCam/SavedClips");
    const QString secondRoot = t.makeFolder("b/TeslaCam");
    t.makeFolder("b/TeslaCam/RecentClips");
    const QString loose = t.writeFile("loose.mp4");
    const QString unrelated = t.makeFolder("Videos");
    const std::tuple<QStringList, QStringList, std::optional<QString>> cases[] = {
        {{root, secondRoot}, {root, secondRoot}, std::nullopt},
        {{root, loose}, {root}, std::nullopt},
        {{t / "a", t / "b/"}, {root, secondRoot}, std::nullopt}, // the drives, opened from a file manager
        {{loose}, {}, LibraryRules::onlyFilesMessage},
        {{t / "missing"}, {}, LibraryRules::onlyFilesMessage},
        {{root + "/SavedClips"}, {root + "/SavedClips"}, LibraryRules::insideDriveMessage},
        {{unrelated, root}, {unrelated, root}, LibraryRules::notRecognisedMessage},
    };
    for (const auto& [paths, folders, rejection] : cases) {
        const auto choice = LibraryRules::checkImportChoice(paths);
        EXPECT_EQ(choice.folders, folders) << paths.join(',').toStdString();
        EXPECT_EQ(choice.rejection, rejection) << paths.join(',').toStdString();
    }
}

TEST(LibraryRules, selectAllTogglesBetweenAllAndNone) {
    const std::vector<TeslaClipEvent> events = {event(ClipCategory::saved), event(ClipCategory::saved)};
    const QSet<QUuid> all{events[0].id, events[1].id};
    EXPECT_EQ(LibraryRules::toggledSelectAll(events, {}), all);
    EXPECT_EQ(LibraryRules::toggledSelectAll(events, {events[0].id}), all);
    EXPECT_EQ(LibraryRules::toggledSelectAll(events, all), QSet<QUuid>());
    // An id of another category does not count as selecting this one's events.
    EXPECT_EQ(LibraryRules::toggledSelectAll(events, {QUuid::createUuid()}), all);
    EXPECT_EQ(LibraryRules::toggledSelectAll({}, {}), QSet<QUuid>());
}

TEST(MergeRules, keptRangeStaysInsideTheItemAndAtLeastATenthLong) {
    // The time asked, the other end (and the item's length), the kept bound.
    for (auto [t, end, expected] :
         {std::tuple{50.0, 30.0, 29.9}, {-3, 30, 0}, {12.25, 30, 12.25}, {29.95, 30, 29.9}, {0.5, 0.05, 0}})
        EXPECT_NEAR(MergeRules::clampedRangeStart(t, end), expected, 1e-9) << t << " " << end;
    for (auto [t, start, total, expected] : {std::tuple{10.0, 29.9, 60.0, 30.0},
                                             {1000, 0, 60, 60},
                                             {44.5, 10, 60, 44.5},
                                             {59.95, 59.9, 60, 60},
                                             {0.5, 0, 0.05, 0.05}})
        EXPECT_NEAR(MergeRules::clampedRangeEnd(t, start, total), expected, 1e-9) << t << " " << start;
}

// The browser's rows: every card once, in order, a day never sharing a row, laid out again when
// the columns change and keeping the marks; nothing before the view sets its columns.
TEST(DatedEventRowModel, EveryCardOnceInRowsThatFitAndKeepTheirMarks) {
    std::vector<DatedEventSection> days(2);
    for (auto [day, count] : {std::pair{0, 3}, {1, 5}})
        for (int i = 0; i < count; ++i)
            days[size_t(day)].events.push_back(event(ClipCategory::saved, day * 86400 + i));
    DatedEventRowModel rows;
    rows.setSections(days);
    EXPECT_EQ(rows.count(), 0);
    const QUuid marked = days[1].events[4].id;
    rows.setMarks({{marked}, {}, {}, {}});

    // Per row: the day, whether it starts the day, and its events' start times.
    const auto layout = [&] {
        QStringList out;
        for (int r = 0; r < rows.count(); ++r) {
            const QModelIndex row = rows.index(r);
            auto* cards = rows.data(row, DatedEventRowModel::EventsRole).value<EventListModel*>();
            QString text = rows.data(row, DatedEventRowModel::StartsDayRole).toBool() ? "day:" : "";
            for (int c = 0; c < cards->count(); ++c)
                text +=
                    QString::number(cards->events()[size_t(c)].startTime) +
                    (cards->data(cards->index(c), EventListModel::IsDeleteSelectedRole).toBool() ? "*" : "") +
                    " ";
            out << text.trimmed();
        }
        return out.join(" | ");
    };
    rows.setColumns(2);
    EXPECT_EQ(layout(), "day:0 1 | 2 | day:86400 86401 | 86402 86403 | 86404*");
    rows.setColumns(3);
    EXPECT_EQ(layout(), "day:0 1 2 | day:86400 86401 86402 | 86403 86404*");
    rows.setColumns(0);
    EXPECT_EQ(rows.count(), 0);
}

namespace {

// A library view model whose import gives `events`, imported.
struct ImportedLibrary {
    AppMessages messages{QString()};
    LibraryViewModel library;

    explicit ImportedLibrary(EventsByCategory events) : library(services(std::move(events)), messages) {
        library.importTeslaCamPaths({QStringLiteral("/drive/TeslaCam")});
        EXPECT_TRUE(test::waitUntil([&] { return !library.isImporting(); }));
        library.datedEventRows()->setColumns(1);
    }
    static LibraryServices services(EventsByCategory events) {
        return {[](const QStringList& paths) {
                    return LibraryRules::ImportChoice{paths, {}};
                },
                [events](const QStringList&) { return events; },
                [](const std::vector<TeslaClipEvent>& moved) { return int(moved.size()); },
                {}}; // no hard-brake counts
    }
};

TeslaClipEvent savedFor(const char* reason, Instant start = 0) {
    TeslaClipEvent e = event(ClipCategory::saved, start);
    if (reason) {
        e.metadata = EventMetadata();
        e.metadata->reason = QString::fromLatin1(reason);
    }
    return e;
}

} // namespace

// The calendar's days and the row a chosen day lands on follow the sections' local day (here
// UTC+8, where a UTC date would be a day early): an event belongs to the day it starts, also when
// it runs past midnight, and midnight starts the day. A day without footage lands on the nearest
// day with footage, the later of two as near.
TEST(FootageCalendar, DaysMonthsAndTheRowAChosenDayLandsOn) {
    test::ScopedTimeZone zone("Asia/Shanghai");
    const auto at = [](int y, int mo, int d, int h, int mi, int s) {
        return *LocalTime::fromFields(y, mo, d, h, mi, s);
    };
    std::vector<TeslaClipEvent> saved;
    for (Instant start : {at(2023, 12, 31, 23, 59, 59), at(2024, 1, 1, 0, 0, 0), at(2024, 1, 31, 23, 30, 0),
                          at(2024, 2, 29, 12, 0, 0), at(2024, 3, 5, 0, 0, 1), at(2024, 3, 5, 23, 59, 59)})
        saved.push_back(event(ClipCategory::saved, start));
    saved[2].endTime = at(2024, 2, 1, 0, 30, 0); // across midnight
    ImportedLibrary loaded({{ClipCategory::saved, saved}});
    const LibraryViewModel& library = loaded.library;
    const FootageCalendar& calendar = *library.footageCalendar();

    // One card a row, latest day first: Mar 5 (rows 0, 1), Feb 29, Jan 31, Jan 1, Dec 31.
    const struct {
        int y, m, d;
        int events, row;
    } days[] = {
        {2024, 3, 5, 2, 0},   {2024, 2, 29, 1, 2}, {2024, 3, 1, 0, 2}, {2024, 2, 1, 0, 3},
        {2024, 1, 31, 1, 3},  {2024, 1, 16, 0, 3}, {2024, 1, 1, 1, 4}, {2023, 12, 31, 1, 5},
        {2023, 12, 30, 0, 5}, {2020, 6, 1, 0, 5},  {2031, 1, 1, 0, 0},
    };
    for (const auto& c : days) {
        EXPECT_EQ(calendar.eventCount(c.y, c.m, c.d), c.events) << c.y << "-" << c.m << "-" << c.d;
        EXPECT_EQ(library.rowOfDay(c.y, c.m, c.d), c.row) << c.y << "-" << c.m << "-" << c.d;
    }

    const auto month = [](int y, int m) { return y * 12 + m - 1; };
    EXPECT_EQ(calendar.latestMonth(), month(2024, 3));
    const struct {
        int from, previous, next, latestDay;
    } months[] = {
        {month(2024, 2), month(2024, 1), month(2024, 3), 29},
        {month(2024, 1), month(2023, 12), month(2024, 2), 31},
        {month(2023, 12), -1, month(2024, 1), 31},
        {month(2023, 6), -1, month(2023, 12), 0},
        {month(2024, 4), month(2024, 3), -1, 0},
    };
    for (const auto& c : months) {
        EXPECT_EQ(calendar.previousMonthWithFootage(c.from), c.previous) << c.from;
        EXPECT_EQ(calendar.nextMonthWithFootage(c.from), c.next) << c.from;
        EXPECT_EQ(calendar.latestDayIn(c.from), c.latestDay) << c.from;
    }
}

// The reason menu counts the category's events by reason (Sentry's shocks as one, whatever their
// g value); a reason keeps only its events, cards, days and deletion choice alike, so nothing
// hidden goes to the Trash; kept across categories, it says when it hides everything.
TEST(ReasonFilter, MenuCountsAndTheEventsAReasonKeeps) {
    std::vector<TeslaClipEvent> saved = {
        savedFor("sentry_aware_object_detection", 0),   savedFor("sentry_aware_accel_0.53", 86400),
        savedFor("sentry_aware_object_detection", 100), savedFor(" sentry_aware_accel_1.20", 2 * 86400),
        savedFor("user_interaction_honk", 3 * 86400),   savedFor(nullptr, 4 * 86400)};
    ImportedLibrary loaded(
        {{ClipCategory::saved, saved}, {ClipCategory::recent, {event(ClipCategory::recent)}}});
    LibraryViewModel& library = loaded.library;
    const auto menu = [&] {
        QStringList entries;
        for (const Choice& c : library.reasonChoices()->choices())
            entries << c.title + " " + c.description;
        return entries.join(" | ");
    };
    EXPECT_EQ(menu(),
              "全部原因 6 | 哨兵模式：检测到有物体靠近 2 | 哨兵模式：检测到车身震动 2 | 未记录原因 1 | "
              "鸣笛保存 1");

    library.startDeleteSelection();
    library.toggleSelectAllEventsForDeletion();
    library.setReasonFilter(QStringLiteral("sentry_aware_accel"));
    EXPECT_EQ(library.reasonFilterTitle(), "哨兵模式：检测到车身震动");
    const auto shown = [&] {
        QStringList ids;
        for (const TeslaClipEvent& e : library.eventsInSelectedCategory()->events())
            ids << QString::number(std::find_if(saved.begin(), saved.end(),
                                                [&](const TeslaClipEvent& s) { return s.id == e.id; }) -
                                   saved.begin());
        return ids.join(' ');
    };
    EXPECT_EQ(shown(), "1 3");
    EXPECT_EQ(library.footageCalendar()->dayCount(), 2);
    EXPECT_EQ(library.deleteSelectedCount(), 2);
    EXPECT_TRUE(library.allEventsSelectedForDeletion());
    library.toggleDeleteEvent(saved[0].id.toString()); // not shown: not markable
    EXPECT_EQ(library.deleteSelectedCount(), 2);
    EXPECT_FALSE(library.reasonFilterHidesAll());

    library.selectCategory(ClipCategory::recent);
    EXPECT_EQ(library.eventsInSelectedCategory()->count(), 0);
    EXPECT_TRUE(library.reasonFilterHidesAll());
    EXPECT_EQ(menu(), "全部原因 1 | 未记录原因 1 | 哨兵模式：检测到车身震动 0");
    library.setReasonFilter(QString());
    EXPECT_EQ(library.eventsInSelectedCategory()->count(), 1);
    EXPECT_FALSE(library.reasonFilterHidesAll());
}
