#pragma once

// Points in time and their local wall-clock reading (the car names files in local time).
// Any thread may call these; the time zone is re-read when TZ changes.

#include <QString>

#include <optional>

namespace orvane {

// Absolute instants are seconds since 1970-01-01 UTC, double precision.
using Instant = double;

// Year 1 in the proleptic Gregorian calendar: the "distant past" used for unknown start times.
inline constexpr Instant distantPast = -62135596800.0;

namespace LocalTime {

// Formats an instant in the system time zone (TZ honoured). Supported pattern letters:
// yyyy MM dd HH mm ss; everything else is copied.
QString format(Instant instant, const QString& pattern);

// Local wall-clock fields to an instant. A time that occurs twice (clocks turned back) is
// the earlier instant; a time skipped by a clock change is moved forward by the gap.
// Nothing for fields out of range.
std::optional<Instant> fromFields(int year, int month, int day, int hour, int minute, int second);

// The instant of local midnight at the start of the instant's day.
Instant startOfDay(Instant instant);

} // namespace LocalTime
} // namespace orvane
