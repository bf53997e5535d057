#pragma once
// Reads the accelerator pedal of a whole file on the scale its firmware wrote it in.
// Pure functions; any thread.

#include "TeslaTelemetrySample.h"

#include <span>
#include <vector>

namespace orvane {

// Firmware versions differ: some write the pedal as a fraction, others as a percentage.
enum class AcceleratorScale { percent, fraction };

namespace AcceleratorScaling {

// A file is on the fraction scale when every value lies within 0…1 and one is above 0; a file
// of zeros (or with no samples) reads the same on either scale and counts as percent.
AcceleratorScale detect(std::span<const TeslaTelemetrySample> samples);

// Rewrites a fraction-scale file's pedal values as percent, so everything downstream sees
// 0…100 whichever firmware recorded the file.
void normalizeToPercent(std::vector<TeslaTelemetrySample>& samples);

} // namespace AcceleratorScaling
} // namespace orvane
