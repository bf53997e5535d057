#pragma once
// The driving record as a table: its column names, each field of a record in column order and
// the CSV text of whole records. Pure functions; any thread.

#include "TeslaTelemetrySample.h"

#include <QString>
#include <QStringList>
#include <array>
#include <charconv>
#include <optional>
#include <span>
#include <type_traits>

namespace orvane::TelemetryCsv {

inline constexpr std::array<const char*, 16> columns = {"frameSequenceNumber",
                                                        "gear",
                                                        "speedMetersPerSecond",
                                                        "accelerator",
                                                        "steeringAngle",
                                                        "leftBlinker",
                                                        "rightBlinker",
                                                        "brakeApplied",
                                                        "version",
                                                        "autopilotState",
                                                        "latitude",
                                                        "longitude",
                                                        "heading",
                                                        "linearAccelerationX",
                                                        "linearAccelerationY",
                                                        "linearAccelerationZ"};

// Calls `visit(value)` for each column of a sample, in column order.
template <typename Visit> void forEachField(const TeslaTelemetrySample& s, Visit&& visit) {
    auto u = [](const std::optional<uint64_t>& v) -> std::optional<unsigned long long> {
        if (v)
            return static_cast<unsigned long long>(*v);
        return std::nullopt;
    };
    visit(u(s.frameSequenceNumber));
    visit(static_cast<long long>(s.gear));
    visit(s.speedMetersPerSecond);
    visit(s.accelerator);
    visit(s.steeringAngle);
    visit(s.leftBlinker);
    visit(s.rightBlinker);
    visit(s.brakeApplied);
    visit(u(s.version));
    visit(u(s.autopilotState));
    visit(s.latitude);
    visit(s.longitude);
    visit(s.heading);
    visit(s.linearAccelerationX);
    visit(s.linearAccelerationY);
    visit(s.linearAccelerationZ);
}

// Shortest text that reads back to the same value (also for "nan" and "inf"); empty for none.
template <typename T> QString text(T v) {
    if constexpr (std::is_same_v<T, bool>) {
        return v ? QStringLiteral("true") : QStringLiteral("false");
    } else {
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
        return QString::fromLatin1(buffer, int(result.ptr - buffer));
    }
}
template <typename T> QString text(const std::optional<T>& v) {
    return v ? text(*v) : QString();
}

// The header line and one line per sample, each ending in "\n"; `extraColumn` (when not empty)
// is appended to the header and `extraValues[i]` to line i.
QString table(std::span<const TeslaTelemetrySample> samples, const QString& extraColumn = {},
              const QStringList& extraValues = {});

} // namespace orvane::TelemetryCsv
