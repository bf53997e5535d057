#pragma once
// Elapsed playback time as every time label, slider and duration badge shows it.
// Pure functions; any thread.

#include <QString>

namespace orvane::PlaybackTimeFormat {

// "mm:ss" below one hour, "h:mm:ss" from one hour on (hours unpadded, unlimited); seconds are
// truncated. Negative, infinite and NaN values give "00:00".
QString format(double seconds);

} // namespace orvane::PlaybackTimeFormat
