// The stateless rules behind the main view model, as tables: categories, import refusals, card
// titles, the export's camera, selections and merge ranges; and the browser's rows of cards.

#include "EventListModel.h"
#include "LibraryRules.h"
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
