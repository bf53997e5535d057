#include "DashboardReadout.h"

#include <algorithm>
#include <cmath>

namespace orvane::DashboardReadout {

namespace {
constexpr float metersPerSecondToKmh = 3.6f;
constexpr float metersPerMile = 1609.344f;
constexpr float secondsPerHour = 3600.0f;
// Beyond any car's speed; keeps a corrupt value from overflowing the integer.
constexpr float largestShownSpeed = 9999.0f;
} // namespace

QString gearLetterFor(int64_t gear) {
    switch (gear) {
    case 0:
        return QStringLiteral("P");
    case 1:
        return QStringLiteral("D");
    case 2:
        return QStringLiteral("R");
    case 3:
        return QStringLiteral("N");
    default:
        return QStringLiteral("—");
    }
}

GearTone gearToneFor(int64_t gear) {
    switch (gear) {
    case 0:
        return GearTone::park;
    case 1:
        return GearTone::drive;
    case 2:
        return GearTone::reverse;
    case 3:
        return GearTone::neutral;
    default:
        return GearTone::unknown;
    }
}

std::optional<int> speedFor(float metersPerSecond, SpeedUnit unit) {
    if (!std::isfinite(metersPerSecond))
        return std::nullopt;
    const float factor = unit == SpeedUnit::mph ? secondsPerHour / metersPerMile : metersPerSecondToKmh;
    const float shown = std::min(std::fabs(metersPerSecond) * factor, largestShownSpeed);
    return int(std::lround(shown)); // lround rounds halves away from zero
}

double acceleratorProgressFor(float percent) {
    if (!std::isfinite(percent))
        return 0;
    return std::clamp(double(percent) / 100.0, 0.0, 1.0);
}

SpeedUnit speedUnitFromRawValue(const QString& value) {
    return value == QLatin1String("mph") ? SpeedUnit::mph : SpeedUnit::kmh;
}

QString rawValue(SpeedUnit unit) {
    return unit == SpeedUnit::mph ? QStringLiteral("mph") : QStringLiteral("kmh");
}

QString unitLabel(SpeedUnit unit) {
    return unit == SpeedUnit::mph ? QStringLiteral("mph") : QStringLiteral("km/h");
}

State present(const std::optional<TeslaTelemetrySample>& sample, std::optional<double> steeringAngle,
              SpeedUnit unit) {
    State state;
    state.speedUnitLabel = unitLabel(unit);
    if (steeringAngle && std::isfinite(*steeringAngle))
        state.wheelAngle = *steeringAngle;
    else if (sample && std::isfinite(sample->steeringAngle))
        state.wheelAngle = sample->steeringAngle;
    if (!sample)
        return state;
    state.gearLetter = gearLetterFor(sample->gear);
    state.gearTone = gearToneFor(sample->gear);
    if (const std::optional<int> speed = speedFor(sample->speedMetersPerSecond, unit)) {
        state.speedText = QString::number(*speed);
        state.speedValue = *speed;
    }
    state.leftSignalOn = sample->leftBlinker;
    state.rightSignalOn = sample->rightBlinker;
    state.brakeOn = sample->brakeApplied;
    state.acceleratorProgress = acceleratorProgressFor(sample->accelerator);
    state.assistActive = sample->autopilotState.value_or(0) != 0;
    return state;
}

} // namespace orvane::DashboardReadout
