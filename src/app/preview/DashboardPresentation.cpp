#include "DashboardPresentation.h"

#include "DashboardReadout.h"

#include <algorithm>
#include <cmath>

namespace orvane {

namespace {

bool sameValue(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

// The view's enums name the readout's values for QML, in the same order.
static_assert(int(DashboardPresentation::GearTone::Unknown) == int(DashboardReadout::GearTone::unknown));
static_assert(int(DashboardPresentation::GearTone::Drive) == int(DashboardReadout::GearTone::drive));
static_assert(int(DashboardPresentation::SpeedUnit::Mph) == int(DashboardReadout::SpeedUnit::mph));

DashboardReadout::SpeedUnit readoutUnit(DashboardPresentation::SpeedUnit unit) {
    return DashboardReadout::SpeedUnit(int(unit));
}

} // namespace

QString DashboardPresentation::gearLetterFor(int64_t gear) {
    return DashboardReadout::gearLetterFor(gear);
}

DashboardPresentation::GearTone DashboardPresentation::gearToneFor(int64_t gear) {
    return GearTone(int(DashboardReadout::gearToneFor(gear)));
}

std::optional<int> DashboardPresentation::speedFor(float metersPerSecond, SpeedUnit unit) {
    return DashboardReadout::speedFor(metersPerSecond, readoutUnit(unit));
}

DashboardPresentation::SpeedUnit DashboardPresentation::speedUnitFromRawValue(const QString& value) {
    return SpeedUnit(int(DashboardReadout::speedUnitFromRawValue(value)));
}

QString DashboardPresentation::rawValue(SpeedUnit unit) {
    return DashboardReadout::rawValue(readoutUnit(unit));
}

QString DashboardPresentation::unitLabel(SpeedUnit unit) {
    return DashboardReadout::unitLabel(readoutUnit(unit));
}

double DashboardPresentation::acceleratorProgressFor(float percent) {
    return DashboardReadout::acceleratorProgressFor(percent);
}

DashboardPresentation::State DashboardPresentation::present(const std::optional<TeslaTelemetrySample>& sample,
                                                            std::optional<double> steeringAngle,
                                                            SpeedUnit unit) {
    return DashboardReadout::present(sample, steeringAngle, readoutUnit(unit));
}

DashboardPresentation::GearTone DashboardPresentation::gearToneOf(const State& state) {
    return GearTone(int(state.gearTone));
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
