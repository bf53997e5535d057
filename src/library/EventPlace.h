#pragma once
// Where the car says an event happened (event.json's estimated place). Pure; any thread.

#include "EventMetadata.h"

#include <optional>
#include <utility>

namespace orvane {

// (latitude, longitude) when both are plain decimal numbers.
std::optional<std::pair<double, double>> eventPlace(const EventMetadata& metadata);

} // namespace orvane
