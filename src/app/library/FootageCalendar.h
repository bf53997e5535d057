#pragma once
// The days of the browser's events that hold footage, for the jump-to-day calendar: the days it
// marks, the months it steps to, and the day a chosen one lands on. Interface thread only.

#include "DatedEventSection.h"

#include <QDate>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <optional>
#include <vector>

namespace orvane {

class FootageCalendar : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The library view model owns the calendar")
    // How many days hold footage; a binding asking about a day reads it to follow new footage.
    Q_PROPERTY(int dayCount READ dayCount NOTIFY daysChanged)
    // The month the calendar opens on: that of the latest day with footage, else this month.
    Q_PROPERTY(int latestMonth READ latestMonth NOTIFY daysChanged)

public:
    // A month as one number, year * 12 + month - 1, so stepping is adding; QML's month (0–11)
    // is its remainder by 12.
    static int monthIndex(QDate date) { return date.year() * 12 + date.month() - 1; }

    explicit FootageCalendar(QObject* parent = nullptr);

    // The browser's day sections (by the sections' own day rule).
    void setSections(const std::vector<DatedEventSection>& sections);

    int dayCount() const { return int(days_.size()); }
    int latestMonth() const;
    // How many events start on that day (month 1–12); 0 for a day without footage.
    Q_INVOKABLE int eventCount(int year, int month, int day) const;
    // The nearest month before (after) `month` holding footage; -1 when there is none.
    Q_INVOKABLE int previousMonthWithFootage(int month) const;
    Q_INVOKABLE int nextMonthWithFootage(int month) const;
    // The day of the month of `month`'s latest day with footage; 0 when it has none.
    Q_INVOKABLE int latestDayIn(int month) const;
    // The month as its title reads: "2024年5月", "May 2024".
    Q_INVOKABLE QString monthTitle(int month) const;
    // What a screen reader says of a day (month 1–12): its date and its events, or that it has none.
    Q_INVOKABLE QString dayDescription(int year, int month, int day) const;
    // The day with footage nearest to `date`, the later of two as near; none without footage.
    std::optional<QDate> nearestDay(QDate date) const;

signals:
    void daysChanged();

private:
    struct Day {
        QDate date;
        int events;
        bool operator==(const Day&) const = default;
    };
    std::vector<Day>::const_iterator firstOnOrAfter(QDate date) const;

    std::vector<Day> days_; // earliest first
};

} // namespace orvane
