#pragma once
// What the dashboard strip shows for one telemetry sample: gear letter and tone, speed text,
// wheel angle, turn signals, pedals and the driver-assist badge. Interface thread (a QML object);
// the rules themselves are pure static functions, callable from any thread.

#include "DashboardReadout.h"
#include "TeslaTelemetrySample.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>
#include <cmath>
#include <cstdint>
#include <optional>

namespace orvane {

class DashboardPresentation : public QObject {
    Q_OBJECT
    QML_ELEMENT

    // Inputs: one sample's fields (hasSample false: none for the current time; autopilotState
    // negative when not recorded) and the smoothed steering angle (NaN when there is none).
    Q_PROPERTY(bool hasSample READ hasSample WRITE setHasSample NOTIFY inputChanged)
    Q_PROPERTY(int gear READ gear WRITE setGear NOTIFY inputChanged)
    Q_PROPERTY(double speedMetersPerSecond READ speedMetersPerSecond WRITE setSpeedMetersPerSecond NOTIFY
                   inputChanged)
    Q_PROPERTY(
        double acceleratorPercent READ acceleratorPercent WRITE setAcceleratorPercent NOTIFY inputChanged)
    Q_PROPERTY(
        double sampleSteeringAngle READ sampleSteeringAngle WRITE setSampleSteeringAngle NOTIFY inputChanged)
    Q_PROPERTY(double steeringAngle READ steeringAngle WRITE setSteeringAngle NOTIFY inputChanged)
    Q_PROPERTY(bool leftBlinker READ leftBlinker WRITE setLeftBlinker NOTIFY inputChanged)
    Q_PROPERTY(bool rightBlinker READ rightBlinker WRITE setRightBlinker NOTIFY inputChanged)
    Q_PROPERTY(bool brakeApplied READ brakeApplied WRITE setBrakeApplied NOTIFY inputChanged)
    Q_PROPERTY(int autopilotState READ autopilotState WRITE setAutopilotState NOTIFY inputChanged)
    Q_PROPERTY(SpeedUnit speedUnit READ speedUnit WRITE setSpeedUnit NOTIFY inputChanged)

    // Outputs, published only when they change.
    Q_PROPERTY(QString gearLetter READ gearLetter NOTIFY presentationChanged)
    Q_PROPERTY(GearTone gearTone READ gearTone NOTIFY presentationChanged)
    Q_PROPERTY(QString speedText READ speedText NOTIFY presentationChanged)
    Q_PROPERTY(int speedValue READ speedValue NOTIFY presentationChanged)
    Q_PROPERTY(QString speedUnitLabel READ speedUnitLabel NOTIFY presentationChanged)
    Q_PROPERTY(double wheelAngle READ wheelAngle NOTIFY presentationChanged)
    Q_PROPERTY(bool leftSignalOn READ leftSignalOn NOTIFY presentationChanged)
    Q_PROPERTY(bool rightSignalOn READ rightSignalOn NOTIFY presentationChanged)
    Q_PROPERTY(bool brakeOn READ brakeOn NOTIFY presentationChanged)
    Q_PROPERTY(double acceleratorProgress READ acceleratorProgress NOTIFY presentationChanged)
    Q_PROPERTY(bool assistActive READ assistActive NOTIFY presentationChanged)

public:
    // Capitalised so QML can name them (DashboardPresentation.Park …).
    enum class GearTone { Park, Reverse, Neutral, Drive, Unknown };
    Q_ENUM(GearTone)
    enum class SpeedUnit { Kmh, Mph };
    Q_ENUM(SpeedUnit)
    // "kmh" and "mph", as settings store them; anything else is km/h.
    static SpeedUnit speedUnitFromRawValue(const QString& value);
    static QString rawValue(SpeedUnit unit);
    // "km/h" or "mph", as the dashboard and the picker show it.
    static QString unitLabel(SpeedUnit unit);

    // The strip's values, as the exported dashboard draws them too.
    using State = DashboardReadout::State;
    // The state's tone as QML names it.
    static GearTone gearToneOf(const State& state);

    // The whole strip for a sample (or none) and an optional smoothed steering angle.
    static State present(const std::optional<TeslaTelemetrySample>& sample,
                         std::optional<double> steeringAngle, SpeedUnit unit = SpeedUnit::Kmh);
    // "P" "D" "R" "N", else "—".
    static QString gearLetterFor(int64_t gear);
    static GearTone gearToneFor(int64_t gear);
    // round(|v| × 3.6) (km/h) or |v| / 0.44704 (mph) half away from zero in single precision;
    // nothing when not a number.
    static std::optional<int> speedFor(float metersPerSecond, SpeedUnit unit);
    // percent / 100 within 0 … 1 (0 when not a number).
    static double acceleratorProgressFor(float percent);

    explicit DashboardPresentation(QObject* parent = nullptr);

    // Sets every input at once from C++ (none: the no-sample state).
    void setSample(const std::optional<TeslaTelemetrySample>& sample);
    // The record on screen and the smoothed steering angle, as a telemetry timeline has them.
    void show(const std::optional<TeslaTelemetrySample>& sample, std::optional<double> steeringAngle);

    bool hasSample() const { return hasSample_; }
    int gear() const { return int(sample_.gear); }
    double speedMetersPerSecond() const { return sample_.speedMetersPerSecond; }
    double acceleratorPercent() const { return sample_.accelerator; }
    double sampleSteeringAngle() const { return sample_.steeringAngle; }
    double steeringAngle() const { return steeringAngle_; }
    bool leftBlinker() const { return sample_.leftBlinker; }
    bool rightBlinker() const { return sample_.rightBlinker; }
    bool brakeApplied() const { return sample_.brakeApplied; }
    int autopilotState() const { return int(sample_.autopilotState.value_or(0)); }
    SpeedUnit speedUnit() const { return speedUnit_; }

    void setHasSample(bool value);
    void setGear(int value);
    void setSpeedMetersPerSecond(double value);
    void setAcceleratorPercent(double value);
    void setSampleSteeringAngle(double value);
    void setSteeringAngle(double value);
    void setLeftBlinker(bool value);
    void setRightBlinker(bool value);
    void setBrakeApplied(bool value);
    void setAutopilotState(int value);
    void setSpeedUnit(SpeedUnit value);

    const State& state() const { return state_; }
    QString gearLetter() const { return state_.gearLetter; }
    GearTone gearTone() const { return gearToneOf(state_); }
    QString speedText() const { return state_.speedText; }
    int speedValue() const { return state_.speedValue; }
    QString speedUnitLabel() const { return state_.speedUnitLabel; }
    double wheelAngle() const { return state_.wheelAngle; }
    bool leftSignalOn() const { return state_.leftSignalOn; }
    bool rightSignalOn() const { return state_.rightSignalOn; }
    bool brakeOn() const { return state_.brakeOn; }
    double acceleratorProgress() const { return state_.acceleratorProgress; }
    bool assistActive() const { return state_.assistActive; }

signals:
    void inputChanged();
    void presentationChanged();

private:
    template <typename T> void assign(T& field, T value);
    void update();

    bool hasSample_ = false;
    TeslaTelemetrySample sample_;
    double steeringAngle_ = std::nan("");
    SpeedUnit speedUnit_ = SpeedUnit::Kmh;
    State state_;
};

} // namespace orvane
