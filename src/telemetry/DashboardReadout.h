#pragma once
// What the dashboard shows for one telemetry record: gear letter and tone, speed in a unit,
// wheel angle, turn signals, pedals and the driver-assist badge. Pure functions; any thread.

#include "TeslaTelemetrySample.h"

#include <QString>
#include <cstdint>
#include <optional>

namespace orvane::DashboardReadout {

enum class GearTone { park, reverse, neutral, drive, unknown };
enum class SpeedUnit { kmh, mph };

struct State {
    QString gearLetter = QStringLiteral("—");
    GearTone gearTone = GearTone::unknown;
    QString speedText = QStringLiteral("—");
    int speedValue = 0; // 0 without a sample
    QString speedUnitLabel = QStringLiteral("km/h");
    double wheelAngle = 0; // degrees, clockwise on screen
    bool leftSignalOn = false;
    bool rightSignalOn = false;
    bool brakeOn = false;
    double acceleratorProgress = 0; // 0 … 1
    bool assistActive = false;
    bool operator==(const State&) const = default;
};

// The whole strip for a record (or none) and an optional smoothed steering angle.
State present(const std::optional<TeslaTelemetrySample>& sample, std::optional<double> steeringAngle,
              SpeedUnit unit = SpeedUnit::kmh);
// "P" "D" "R" "N", else "—".
QString gearLetterFor(int64_t gear);
GearTone gearToneFor(int64_t gear);
// round(|v| × 3.6) (km/h) or |v| / 0.44704 (mph) half away from zero in single precision;
// nothing when not a number.
std::optional<int> speedFor(float metersPerSecond, SpeedUnit unit);
// percent / 100 within 0 … 1 (0 when not a number).
double acceleratorProgressFor(float percent);
// "kmh" and "mph", as settings store them; anything else is km/h.
SpeedUnit speedUnitFromRawValue(const QString& value);
QString rawValue(SpeedUnit unit);
// "km/h" or "mph".
QString unitLabel(SpeedUnit unit);

} // namespace orvane::DashboardReadout
