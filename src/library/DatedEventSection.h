#pragma once

#include "Instant.h"
#include "TeslaClipEvent.h"

#include <QDate>
#include <QLocale>
#include <QString>
#include <vector>

namespace orvane {

// One calendar day of the event browser.
struct DatedEventSection {
    Instant date = 0; // local midnight starting the day
    QDate day;        // the same day on the calendar
    QString title;
    std::vector<TeslaClipEvent> events; // latest first

    // Day sections, latest day first, titled in `locale` with year, month, day and weekday.
    static std::vector<DatedEventSection> sections(const std::vector<TeslaClipEvent>& events,
                                                   const QLocale& locale = QLocale());
};

} // namespace orvane
