#include "Instant.h"

#include <cmath>
#include <cstring>
#include <ctime>

namespace orvane::LocalTime {

namespace {

struct tm localFields(Instant instant) {
    tzset(); // tests and users may change TZ while running
    const time_t seconds = time_t(std::floor(instant));
    struct tm fields {};
    localtime_r(&seconds, &fields);
    return fields;
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
    tzset();
    auto attempt = [&](int isDst, bool& exact) {
        struct tm f {};
        f.tm_year = year - 1900;
        f.tm_mon = month - 1;
        f.tm_mday = day;
        f.tm_hour = hour;
        f.tm_min = minute;
        f.tm_sec = second;
        f.tm_isdst = isDst;
        const time_t t = mktime(&f);
        exact = f.tm_hour == hour && f.tm_min == minute && f.tm_mday == day && f.tm_mon == month - 1;
        return t;
    };
    // Both readings of an ambiguous time round-trip; prefer the earlier one.
    bool exactStd = false, exactDst = false, exactAny = false;
    const time_t standard = attempt(0, exactStd);
    const time_t daylight = attempt(1, exactDst);
    if (exactStd && exactDst)
        return Instant(std::min(standard, daylight));
    if (exactStd)
        return Instant(standard);
    if (exactDst)
        return Instant(daylight);
    return Instant(attempt(-1, exactAny));
}

Instant startOfDay(Instant instant) {
    const struct tm f = localFields(instant);
    auto midnight = fromFields(f.tm_year + 1900, f.tm_mon + 1, f.tm_mday, 0, 0, 0);
    return midnight ? *midnight : instant;
}

} // namespace orvane::LocalTime
