#include "DashboardPresentation.h"

#include <algorithm>
#include <cmath>

namespace orvane {

namespace {

constexpr float metersPerSecondToKmh = 3.6f;
constexpr float metersPerMile = 1609.344f;
constexpr float secondsPerHour = 3600.0f;
// Beyond any car's speed; keeps a corrupt value from overflowing the integer.
constexpr float largestShownSpeed = 9999.0f;

bool sameValue(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

} // namespace

QString DashboardPresentation::gearLetterFor(int64_t gear) {
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

DashboardPresentation::GearTone DashboardPresentation::gearToneFor(int64_t gear) {
    switch (gear) {
    case 0:
        return GearTone::Park;
    case 1:
        return GearTone::Drive;
    case 2:
        return GearTone::Reverse;
    case 3:
        return GearTone::Neutral;
    default:
        return GearTone::Unknown;
    }
}

std::optional<int> DashboardPresentation::speedFor(float metersPerSecond, SpeedUnit unit) {
    if (!std::isfinite(metersPerSecond))
        return std::nullopt;
    const float factor = unit == SpeedUnit::Mph ? secondsPerHour / metersPerMile : metersPerSecondToKmh;
    const float shown = std::min(std::fabs(metersPerSecond) * factor, largestShownSpeed);
    return int(std::lround(shown)); // lround rounds halves away from zero
}

DashboardPresentation::SpeedUnit DashboardPresentation::speedUnitFromRawValue(const QString& value) {
    return value == QLatin1String("mph") ? SpeedUnit::Mph : SpeedUnit::Kmh;
}

QString DashboardPresentation::rawValue(SpeedUnit unit) {
    return unit == SpeedUnit::Mph ? QStringLiteral("mph") : QStringLiteral("kmh");
}

QString DashboardPresentation::unitLabel(SpeedUnit unit) {
    return unit == SpeedUnit::Mph ? QStringLiteral("mph") : QStringLiteral("km/h");
}

double DashboardPresentation::acceleratorProgressFor(float percent) {
    if (!std::isfinite(percent))
        return 0;
    return std::clamp(double(percent) / 100.0, 0.0, 1.0);
}

DashboardPresentation::State DashboardPresentation::present(const std::optional<TeslaTelemetrySample>& sample,
                                                            std::optional<double> steeringAngle,
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

DashboardPresentation::DashboardPresentation(QObject* parent) : QObject(parent) {}

void DashboardPresentation::setSample(const std::optional<TeslaTelemetrySample>& sample) {
    const bool has = sample.has_value();
    const TeslaTelemetrySample value = sample.value_or(TeslaTelemetrySample{});
    if (has == hasSample_ && value == sample_)
        return;
    hasSample_ = has;
    sample_ = value;
    emit inputChanged();
    update();
}

void DashboardPresentation::show(const std::optional<TeslaTelemetrySample>& sample,
                                 std::optional<double> steeringAngle) {
    setSample(sample);
    setSteeringAngle(sample ? steeringAngle.value_or(std::nan("")) : std::nan(""));
}

template <typename T> void DashboardPresentation::assign(T& field, T value) {
    if constexpr (std::is_floating_point_v<T>) {
        if (sameValue(field, value))
            return;
    } else if (field == value) {
        return;
    }
    field = value;
    emit inputChanged();
    update();
}

void DashboardPresentation::setHasSample(bool value) {
    assign(hasSample_, value);
}
void DashboardPresentation::setGear(int value) {
    assign(sample_.gear, int64_t(value));
}
void DashboardPresentation::setSpeedMetersPerSecond(double value) {
    assign(sample_.speedMetersPerSecond, float(value));
}
void DashboardPresentation::setAcceleratorPercent(double value) {
    assign(sample_.accelerator, float(value));
}
void DashboardPresentation::setSampleSteeringAngle(double value) {
    assign(sample_.steeringAngle, float(value));
}
void DashboardPresentation::setSteeringAngle(double value) {
    assign(steeringAngle_, value);
}
void DashboardPresentation::setLeftBlinker(bool value) {
    assign(sample_.leftBlinker, value);
}
void DashboardPresentation::setRightBlinker(bool value) {
    assign(sample_.rightBlinker, value);
}
void DashboardPresentation::setBrakeApplied(bool value) {
    assign(sample_.brakeApplied, value);
}
void DashboardPresentation::setAutopilotState(int value) {
    // Negative: the record has no autopilot field (TelemetryTimeline::notRecorded).
    const std::optional<uint64_t> state =
        value <= 0 ? std::nullopt : std::optional<uint64_t>(uint64_t(value));
    assign(sample_.autopilotState, state);
}
void DashboardPresentation::setSpeedUnit(SpeedUnit value) {
    assign(speedUnit_, value);
}

void DashboardPresentation::update() {
    const std::optional<double> smoothed =
        std::isnan(steeringAngle_) ? std::nullopt : std::optional(steeringAngle_);
    const State next = present(hasSample_ ? std::optional(sample_) : std::nullopt, smoothed, speedUnit_);
    if (next == state_)
        return;
    state_ = next;
    emit presentationChanged();
}

} // namespace orvane
