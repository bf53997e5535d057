#include "TelemetryInterpolation.h"

#include <algorithm>
#include <cmath>

namespace orvane::TelemetryInterpolator {

namespace {
constexpr double nearestThreshold = 0.5;

double frameOf(const TeslaTelemetrySample& s) {
    return double(*s.frameSequenceNumber);
}

// Lower bound of `target` over the frame numbers; none when a probed sample has no number
// before the search has narrowed to one index.
std::optional<int> firstFrameNotBelow(std::span<const TeslaTelemetrySample> samples, double target) {
    int lo = 0, hi = int(samples.size()) - 1;
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (!samples[size_t(mid)].frameSequenceNumber)
            break;
        if (target > frameOf(samples[size_t(mid)]))
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo != hi)
        return std::nullopt;
    return lo;
}
} // namespace

double progress(double localTime, double duration) {
    if (!std::isfinite(duration) || duration <= 0)
        return 0;
    const double p = localTime / duration;
    return p > 0 ? std::min(p, 1.0) : 0;
}

double progressByFrames(double localTime, std::span<const double> frameTimes, double duration) {
    if (frameTimes.size() < 2 || !std::isfinite(localTime))
        return progress(localTime, duration);
    const auto after = std::upper_bound(frameTimes.begin(), frameTimes.end(), localTime);
    if (after == frameTimes.begin())
        return 0;
    if (after == frameTimes.end())
        return 1;
    const double shown = double(after - frameTimes.begin() - 1);
    const double from = *(after - 1), until = *after;
    const double within = until > from ? (localTime - from) / (until - from) : 0;
    return std::clamp((shown + within) / double(frameTimes.size() - 1), 0.0, 1.0);
}

std::optional<TelemetryInterpolation> byFrameNumber(std::span<const TeslaTelemetrySample> samples, double p) {
    if (samples.empty() || !samples.front().frameSequenceNumber || !samples.back().frameSequenceNumber)
        return std::nullopt;
    const double first = frameOf(samples.front()), last = frameOf(samples.back());
    if (!(last > first))
        return std::nullopt;
    const double target = first + p * (last - first);
    const std::optional<int> found = firstFrameNotBelow(samples, target);
    if (!found || !samples[size_t(*found)].frameSequenceNumber)
        return std::nullopt;
    const int i = *found, lower = std::max(i - 1, 0);
    const double upperFrame = frameOf(samples[size_t(i)]);
    const double lowerFrame =
        samples[size_t(lower)].frameSequenceNumber ? frameOf(samples[size_t(lower)]) : upperFrame;
    const double fraction = upperFrame > lowerFrame
                                ? std::clamp((target - lowerFrame) / (upperFrame - lowerFrame), 0.0, 1.0)
                                : 0.0;
    return TelemetryInterpolation{lower, i, fraction};
}

TelemetryInterpolation byIndex(int count, double p) {
    const double position = p * double(count - 1);
    const int lower = std::min(int(position), count - 1);
    const int upper = std::min(lower + 1, count - 1);
    return {lower, upper, position - lower};
}

std::optional<TelemetryInterpolation> interpolate(std::span<const TeslaTelemetrySample> samples, double p) {
    if (samples.empty())
        return std::nullopt;
    if (samples.size() == 1)
        return TelemetryInterpolation{0, 0, 0};
    if (auto byFrame = byFrameNumber(samples, p))
        return byFrame;
    return byIndex(int(samples.size()), p);
}

const TeslaTelemetrySample& nearestSample(std::span<const TeslaTelemetrySample> samples,
                                          const TelemetryInterpolation& at) {
    return samples[size_t(at.fraction < nearestThreshold ? at.lower : at.upper)];
}

double steeringAngle(std::span<const TeslaTelemetrySample> samples, const TelemetryInterpolation& at) {
    const double from = samples[size_t(at.lower)].steeringAngle, to = samples[size_t(at.upper)].steeringAngle;
    return from + (to - from) * at.fraction;
}

std::optional<int> shownIndex(std::span<const TeslaTelemetrySample> samples,
                              std::span<const double> frameTimes, double localTime, double duration) {
    const auto at = interpolate(samples, progressByFrames(localTime, frameTimes, duration));
    if (!at)
        return std::nullopt;
    // With the file's frame times the lower record is the frame on screen; without them the
    // nearest record is the best guess.
    if (frameTimes.size() >= 2)
        return at->fraction >= 1 ? at->upper : at->lower;
    return int(&nearestSample(samples, *at) - samples.data());
}

std::optional<ShownRecord> shownRecord(std::span<const TeslaTelemetrySample> samples,
                                       std::span<const double> frameTimes, double localTime,
                                       double duration) {
    const auto index = shownIndex(samples, frameTimes, localTime, duration);
    if (!index)
        return std::nullopt;
    const auto at = *interpolate(samples, progressByFrames(localTime, frameTimes, duration));
    return ShownRecord{at, samples[size_t(*index)], steeringAngle(samples, at)};
}

double recordTime(std::span<const TeslaTelemetrySample> samples, std::span<const double> frameTimes,
                  int index, double duration) {
    if (samples.size() < 2)
        return 0;
    const TeslaTelemetrySample& first = samples.front();
    const TeslaTelemetrySample& last = samples.back();
    const TeslaTelemetrySample& own = samples[size_t(index)];
    double p = double(index) / double(samples.size() - 1);
    if (first.frameSequenceNumber && last.frameSequenceNumber && own.frameSequenceNumber &&
        frameOf(last) > frameOf(first))
        p = std::clamp((frameOf(own) - frameOf(first)) / (frameOf(last) - frameOf(first)), 0.0, 1.0);
    if (frameTimes.size() < 2)
        return p * (std::isfinite(duration) && duration > 0 ? duration : 0);
    const double position = p * double(frameTimes.size() - 1);
    const size_t lower = std::min(size_t(position), frameTimes.size() - 2);
    return frameTimes[lower] + (position - double(lower)) * (frameTimes[lower + 1] - frameTimes[lower]);
}

} // namespace orvane::TelemetryInterpolator
