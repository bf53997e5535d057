#include "DatedEventSection.h"

#include <QDateTime>
#include <algorithm>
#include <map>

namespace orvane {

std::vector<DatedEventSection> DatedEventSection::sections(const std::vector<TeslaClipEvent>& events,
                                                           const QLocale& locale) {
    std::map<Instant, std::vector<TeslaClipEvent>, std::greater<>> byDay;
    for (const TeslaClipEvent& event : events)
        byDay[LocalTime::startOfDay(event.startTime)].push_back(event);
    std::vector<DatedEventSection> result;
    result.reserve(byDay.size());
    for (auto& [day, dayEvents] : byDay) {
        std::stable_sort(
            dayEvents.begin(), dayEvents.end(),
            [](const TeslaClipEvent& a, const TeslaClipEvent& b) { return a.startTime > b.startTime; });
        // The calendar day as the local clock shows it at noon, so a zone change cannot shift it.
        const QDate date = QDateTime::fromSecsSinceEpoch(qint64(day) + 12 * 3600).date();
        result.push_back({day, date, locale.toString(date, QLocale::LongFormat), std::move(dayEvents)});
    }
    return result;
}

} // namespace orvane
