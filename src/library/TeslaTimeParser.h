#pragma once

#include "Instant.h"

#include <QString>

#include <optional>

namespace orvane::TeslaTimeParser {

// An event.json timestamp: internet date-time (with or without fractional seconds, "Z" or an
// offset), else a local "yyyy-MM-ddTHH:mm:ss". Surrounding white space is ignored.
std::optional<Instant> parseMetadataTimestamp(const QString& text);

// Exactly "yyyy-MM-ddTHH:mm:ss" read as local wall-clock time.
std::optional<Instant> parseLocalDateTime(const QString& text);

} // namespace orvane::TeslaTimeParser
