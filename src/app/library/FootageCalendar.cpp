#include "FootageCalendar.h"

#include <QCoreApplication>
#include <QLocale>
#include <algorithm>

namespace orvane {

namespace {
constexpr int monthsPerYear = 12;

QDate firstOfMonth(int month) {
    return QDate(month / monthsPerYear, month % monthsPerYear + 1, 1);
}
} // namespace

FootageCalendar::FootageCalendar(QObject* parent) : QObject(parent) {}

void FootageCalendar::setSections(const std::vector<DatedEventSection>& sections) {
    std::vector<Day> days;
    days.reserve(sections.size());
    for (const DatedEventSection& section : sections)
        days.push_back({section.day, int(section.events.size())});
    std::sort(days.begin(), days.end(), [](const Day& a, const Day& b) { return a.date < b.date; });
    if (days == days_)
        return;
    days_ = std::move(days);
    emit daysChanged();
}

std::vector<FootageCalendar::Day>::const_iterator FootageCalendar::firstOnOrAfter(QDate date) const {
    return std::lower_bound(days_.begin(), days_.end(), date,
                            [](const Day& d, QDate value) { return d.date < value; });
}

int FootageCalendar::latestMonth() const {
    return monthIndex(days_.empty() ? QDate::currentDate() : days_.back().date);
}

int FootageCalendar::eventCount(int year, int month, int day) const {
    const QDate date(year, month, day);
    const auto found = firstOnOrAfter(date);
    return found != days_.end() && found->date == date ? found->events : 0;
}

int FootageCalendar::previousMonthWithFootage(int month) const {
    const QDate first = firstOfMonth(month);
    const auto after = firstOnOrAfter(first);
    return after == days_.begin() ? -1 : monthIndex(std::prev(after)->date);
}

int FootageCalendar::nextMonthWithFootage(int month) const {
    const QDate next = firstOfMonth(month + 1);
    const auto found = firstOnOrAfter(next);
    return found == days_.end() ? -1 : monthIndex(found->date);
}

int FootageCalendar::latestDayIn(int month) const {
    const auto next = firstOnOrAfter(firstOfMonth(month + 1));
    return next == days_.begin() || monthIndex(std::prev(next)->date) != month ? 0
                                                                               : std::prev(next)->date.day();
}

QString FootageCalendar::monthTitle(int month) const {
    //: A QLocale date format of a month and its year, as a calendar's title.
    return QLocale().toString(firstOfMonth(month),
                              QCoreApplication::translate("FootageCalendar", "yyyy年M月"));
}

QString FootageCalendar::dayDescription(int year, int month, int day) const {
    const QDate date(year, month, day);
    const QString title = QLocale().toString(date, QLocale::LongFormat);
    const int events = eventCount(year, month, day);
    return events > 0
               ? QCoreApplication::translate("FootageCalendar", "%1，%n 个片段", nullptr, events).arg(title)
               : QCoreApplication::translate("FootageCalendar", "%1，无录像").arg(title);
}

std::optional<QDate> FootageCalendar::nearestDay(QDate date) const {
    if (days_.empty())
        return std::nullopt;
    const auto later = firstOnOrAfter(date);
    if (later == days_.begin())
        return later->date;
    if (later == days_.end())
        return days_.back().date;
    const QDate before = std::prev(later)->date;
    return before.daysTo(date) < date.daysTo(later->date) ? before : later->date;
}

} // namespace orvane
