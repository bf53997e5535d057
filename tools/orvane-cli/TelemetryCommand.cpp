// `telemetry`: every per-frame telemetry sample of one of the car's files, as JSON or CSV.

#include "Command.h"
#include "JsonWriter.h"
#include "TeslaTelemetryReader.h"

#include <QTextStream>
#include <charconv>
#include <optional>

namespace orvane::cli {

namespace {

const char* const columns[] = {"frameSequenceNumber",
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

// Shortest text that reads back to the same value (also for "nan" and "inf").
template <typename T> QString csvText(T v) {
    if constexpr (std::is_same_v<T, bool>) {
        return v ? QStringLiteral("true") : QStringLiteral("false");
    } else {
        char buffer[64];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, v);
        return QString::fromLatin1(buffer, int(result.ptr - buffer));
    }
}
template <typename T> QString csvText(const std::optional<T>& v) {
    return v ? csvText(*v) : QString();
}

void writeJson(QTextStream& out, const std::vector<TeslaTelemetrySample>& samples) {
    JsonWriter json(out);
    json.beginArray();
    for (const TeslaTelemetrySample& s : samples) {
        json.beginObject();
        int column = 0;
        forEachField(s, [&](const auto& v) { json.field(QString::fromLatin1(columns[column++]), v); });
        json.endObject();
    }
    json.endArray();
    json.finish();
}

void writeCsv(QTextStream& out, const std::vector<TeslaTelemetrySample>& samples) {
    bool first = true;
    for (const char* name : columns) {
        out << (first ? "" : ",") << name;
        first = false;
    }
    out << "\n";
    for (const TeslaTelemetrySample& s : samples) {
        first = true;
        forEachField(s, [&](const auto& v) {
            out << (first ? "" : ",") << csvText(v);
            first = false;
        });
        out << "\n";
    }
    out.flush();
}

int telemetry(const QStringList& args) {
    const QString name = QStringLiteral("telemetry");
    QString path, format = QStringLiteral("json");
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--format")) {
            if (i + 1 >= args.size())
                return usage(name, QStringLiteral("--format needs a value"));
            format = args[++i];
        } else if (a.startsWith(QLatin1String("--")) || !path.isEmpty()) {
            return usage(name, QStringLiteral("unexpected argument '%1'").arg(a));
        } else {
            path = a;
        }
    }
    if (path.isEmpty())
        return usage(name, QStringLiteral("no file given"));
    if (format != QLatin1String("json") && format != QLatin1String("csv"))
        return usage(name, QStringLiteral("unknown format '%1'").arg(format));

    std::vector<TeslaTelemetrySample> samples;
    try {
        samples = TeslaTelemetryReader::read(path);
    } catch (const UserFacingError& e) {
        printError(e.description());
        return failure;
    }
    QTextStream out(stdout);
    if (format == QLatin1String("csv"))
        writeCsv(out, samples);
    else
        writeJson(out, samples);
    return success;
}

const CommandRegistration registration(QStringLiteral("telemetry"),
                                       QStringLiteral("telemetry FILE [--format json|csv]"), telemetry);

} // namespace
} // namespace orvane::cli
