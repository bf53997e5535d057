#include "PlaybackTimeFormat.h"

#include <cmath>
#include <cstdint>

namespace orvane::PlaybackTimeFormat {

namespace {
constexpr int64_t secondsPerMinute = 60;
constexpr int64_t secondsPerHour = 3600;
// Beyond this a double no longer converts to int64; such lengths are nonsense anyway.
constexpr double largestFormattable = 9.0e18;

QString twoDigits(int64_t v) { return QStringLiteral("%1").arg(v, 2, 10, QLatin1Char('0')); }
} // namespace

QString format(double seconds) {
    if (!std::isfinite(seconds) || seconds < 0)
        return QStringLiteral("00:00");
    const auto total = int64_t(std::floor(std::min(seconds, largestFormattable)));
    const int64_t h = total / secondsPerHour;
    const int64_t m = total % secondsPerHour / secondsPerMinute;
    const int64_t s = total % secondsPerMinute;
    if (total < secondsPerHour)
        return twoDigits(m) + QLatin1Char(':') + twoDigits(s);
    return QString::number(h) + QLatin1Char(':') + twoDigits(m) + QLatin1Char(':') + twoDigits(s);
}

} // namespace orvane::PlaybackTimeFormat
