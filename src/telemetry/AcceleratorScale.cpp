#include "AcceleratorScale.h"

#include <algorithm>

namespace orvane::AcceleratorScaling {

namespace {
constexpr float percentPerFraction = 100.0f;
}

AcceleratorScale detect(std::span<const TeslaTelemetrySample> samples) {
    // NaN fails both comparisons, so a file holding one stays on the percent scale.
    const bool allWithinFraction = std::all_of(samples.begin(), samples.end(), [](const TeslaTelemetrySample& s) {
        return s.accelerator >= 0.0f && s.accelerator <= 1.0f;
    });
    const bool anyPressed = std::any_of(samples.begin(), samples.end(),
                                        [](const TeslaTelemetrySample& s) { return s.accelerator > 0.0f; });
    return allWithinFraction && anyPressed ? AcceleratorScale::fraction : AcceleratorScale::percent;
}

void normalizeToPercent(std::vector<TeslaTelemetrySample>& samples) {
    if (detect(samples) != AcceleratorScale::fraction)
        return;
    for (TeslaTelemetrySample& s : samples)
        s.accelerator *= percentPerFraction;
}

} // namespace orvane::AcceleratorScaling
