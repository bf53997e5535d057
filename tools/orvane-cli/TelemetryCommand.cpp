// `telemetry`: every per-frame telemetry sample of one of the car's files, as JSON or CSV.

#include "Command.h"
#include "JsonWriter.h"
#include "KeyAccess.h"
#include "TelemetryCsv.h"
#include "TeslaTelemetryReader.h"

#include <QTextStream>
#include <optional>

namespace orvane::cli {

namespace {

void writeJson(QTextStream& out, const std::vector<TeslaTelemetrySample>& samples) {
    JsonWriter json(out);
    json.beginArray();
    for (const TeslaTelemetrySample& s : samples) {
        json.beginObject();
        int column = 0;
        TelemetryCsv::forEachField(s, [&](const auto& v) {
            json.field(QString::fromLatin1(TelemetryCsv::columns[size_t(column++)]), v);
        });
        json.endObject();
    }
    json.endArray();
    json.finish();
}

void writeCsv(QTextStream& out, const std::vector<TeslaTelemetrySample>& samples) {
    out << TelemetryCsv::table(samples);
    out.flush();
}

int telemetry(const QStringList& given) {
    const QString name = QStringLiteral("telemetry");
    QStringList args = given;
    KeyAccess keyAccess;
    if (!keyAccess.takeFrom(args))
        return usage(name,
                     QCoreApplication::translate("Cli", "%1 需要一个值").arg(QStringLiteral("--token-file")));
    QString path, format = QStringLiteral("json");
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--format")) {
            if (i + 1 >= args.size())
                return usage(
                    name,
                    QCoreApplication::translate("Cli", "%1 需要一个值").arg(QStringLiteral("--format")));
            format = args[++i];
        } else if (a.startsWith(QLatin1String("--")) || !path.isEmpty()) {
            return usage(name, QCoreApplication::translate("Cli", "多余的参数“%1”").arg(a));
        } else {
            path = a;
        }
    }
    if (path.isEmpty())
        return usage(name, QCoreApplication::translate("Cli", "没有给出文件"));
    if (format != QLatin1String("json") && format != QLatin1String("csv"))
        return usage(name, QCoreApplication::translate("Cli", "未知的格式“%1”").arg(format));
    if (!keyAccess.unlock({path}))
        return failure;

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
                                       QStringLiteral("telemetry FILE [--format json|csv] ") + tokenFileUsage,
                                       QT_TRANSLATE_NOOP("Cli", "一个摄像头文件中每一帧的行驶记录"),
                                       telemetry);

} // namespace
} // namespace orvane::cli
