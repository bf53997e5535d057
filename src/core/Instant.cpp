#include "Instant.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>
#include <ctime>

namespace orvane::LocalTime {

namespace {

// tzset() stats /etc/localtime on every call, which dominated scanning large drives; re-read
// the zone only when TZ itself changes (tests and users may change it while running).
// Returns how many times this thread has seen the zone change.
unsigned refreshZone() {
    static thread_local std::string lastTz = "\x01unset";
    static thread_local unsigned changes = 0;
    const char* tz = std::getenv("TZ");
    if (tz ? lastTz != tz : lastTz != "\x02none") {
        tzset();
        lastTz = tz ? std::string(tz) : std::string("\x02none");
        ++changes;
    }
    return changes;
}

struct tm localFields(Instant instant) {
    refreshZone();
    const time_t seconds = time_t(std::floor(instant));
    struct tm fields {};
    localtime_r(&seconds, &fields);
    return fields;
}

long offsetAt(time_t t) {
    struct tm fields {};
    localtime_r(&t, &fields);
    return fields.tm_gmtoff;
}

constexpr long secondsPerDay = 86400;

// Days since 1970-01-01 of a proleptic Gregorian date.
long daysFromCivil(int y, int m, int d) {
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const long yoe = y - era * 400;
    const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

// The instant of wall-clock seconds `wall` (read as if UTC) in the system zone.
Instant localInstantOf(time_t wall) {
    const long before = offsetAt(wall - secondsPerDay), after = offsetAt(wall + secondsPerDay);
    const time_t early = wall - before, late = wall - after;
    const bool earlyValid = offsetAt(early) == before, lateValid = offsetAt(late) == after;
    if (earlyValid && lateValid)
        return Instant(std::min(early, late)); // a time that occurs twice: the earlier one
    if (earlyValid)
        return Instant(early);
    if (lateValid)
        return Instant(late);
    return Instant(early); // skipped by a clock change: moved forward by the gap
}

QString twoDigits(int v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); }

} // namespace

QString format(Instant instant, const QString& pattern) {
    const struct tm f = localFields(instant);
    QString out;
    out.reserve(pattern.size() + 8);
    for (qsizetype i = 0; i < pattern.size();) {
        auto run = [&](const char* token) {
            return pattern.mid(i, qsizetype(std::strlen(token))) == QLatin1String(token);
        };
        if (run("yyyy")) {
            out += QStringLiteral("%1").arg(f.tm_year + 1900, 4, 10, QLatin1Char('0'));
            i += 4;
        } else if (run("MM")) {
            out += twoDigits(f.tm_mon + 1);
            i += 2;
        } else if (run("dd")) {
            out += twoDigits(f.tm_mday);
            i += 2;
        } else if (run("HH")) {
            out += twoDigits(f.tm_hour);
            i += 2;
        } else if (run("mm")) {
            out += twoDigits(f.tm_min);
            i += 2;
        } else if (run("ss")) {
            out += twoDigits(f.tm_sec);
            i += 2;
        } else {
            out += pattern[i];
            ++i;
        }
    }
    return out;
}

std::optional<Instant> fromFields(int year, int month, int day, int hour, int minute, int second) {
    static constexpr int daysInMonth[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12 || day < 1 || hour > 23 || minute > 59 || second > 59 || hour < 0 ||
        minute < 0 || second < 0)
        return std::nullopt;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (day > daysInMonth[month - 1] || (month == 2 && day == 29 && !leap))
        return std::nullopt;
    // The cameras of one minute share its time: the last answer is kept for the next call.
    static thread_local struct {
        unsigned zone = 0;
        time_t wall = 0;
        Instant instant = 0;
        bool valid = false;
    } last;
    const unsigned zone = refreshZone();
    // The wall-clock fields read as if they were UTC, then corrected by the zone's offset.
    // Offsets a day either side bracket any clock change near the time.
    const time_t wall = time_t(daysFromCivil(year, month, day)) * secondsPerDay + hour * 3600 + minute * 60 + second;
    if (last.valid && last.zone == zone && last.wall == wall)
        return last.instant;
    last = {zone, wall, localInstantOf(wall), true};
    return last.instant;
}

Instant startOfDay(Instant instant) {
    const struct tm f = localFields(instant);
    auto midnight = fromFields(f.tm_year + 1900, f.tm_mon + 1, f.tm_mday, 0, 0, 0);
    return midnight ? *midnight : instant;
}

} // namespace orvane::LocalTime
