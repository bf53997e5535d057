// `telemetry`: every per-frame telemetry sample of one of the car's files, as JSON or CSV.

#include "Command.h"
#include "DriveGpx.h"
#include "EventDrive.h"
#include "FileName.h"
#include "JsonWriter.h"
#include "KeyAccess.h"
#include "MetadataParser.h"
#include "TelemetryCsv.h"
#include "TeslaTelemetryReader.h"

#include <QFileInfo>
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

// The files' minutes as one drive, its route as GPX.
int writeGpx(const QStringList& paths) {
    std::vector<TeslaVideoFile> videos;
    for (const QString& path : paths) {
        if (!QFileInfo(path).isFile() || !QFileInfo(path).isReadable()) {
            printError(QStringLiteral("文件不存在或无法读取: %1").arg(path));
            return failure;
        }
        try { // the points' times come from the recording time in the file's name
            videos.push_back(MetadataParser::parseVideo(FileName::absolute(path), std::nullopt));
        } catch (const UserFacingError& e) {
            printError(e.description());
            return failure;
        }
    }
    const DriveProfile drive = EventDrive::read(videos);
    if (!drive.hasPositions()) {
        printError(QStringLiteral("这些文件没有位置记录（车辆未写入定位，或固件较旧）"));
        return failure;
    }
    const QString creator = QStringLiteral("Orvane ") + QStringLiteral(ORVANE_VERSION);
    QTextStream out(stdout);
    out << QString::fromUtf8(DriveGpx::document(drive, QFileInfo(paths.front()).completeBaseName(), creator));
    out.flush();
    return success;
}

int telemetry(const QStringList& given) {
    const QString name = QStringLiteral("telemetry");
    QStringList args = given;
    KeyAccess keyAccess;
    if (!keyAccess.takeFrom(args))
        return missingValue(name, QStringLiteral("--token-file"));
    QStringList paths;
    QString format = QStringLiteral("json");
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--format")) {
            if (i + 1 >= args.size())
                return missingValue(name, QStringLiteral("--format"));
            format = args[++i];
        } else if (a.startsWith(QLatin1String("--"))) {
            return usage(name, QCoreApplication::translate("Cli", "多余的参数“%1”").arg(a));
        } else {
            paths << a;
        }
    }
    if (paths.isEmpty())
        return usage(name, QCoreApplication::translate("Cli", "没有给出文件"));
    const bool gpx = format == QLatin1String("gpx");
    if (!gpx && format != QLatin1String("json") && format != QLatin1String("csv"))
        return usage(name, QCoreApplication::translate("Cli", "未知的格式“%1”").arg(format));
    if (!gpx && paths.size() > 1)
        return usage(name, QCoreApplication::translate("Cli", "json 和 csv 只接受一个文件"));
    if (!keyAccess.unlock(paths))
        return failure;
    if (gpx)
        return writeGpx(paths);
    const QString& path = paths.front();

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

const CommandRegistration
    registration(QStringLiteral("telemetry"),
                 QStringLiteral("telemetry FILE… [--format json|csv|gpx] ") + tokenFileUsage,
                 QT_TRANSLATE_NOOP("Cli", "摄像头文件中每一帧的行驶记录（gpx：行驶轨迹）"), telemetry);

} // namespace
} // namespace orvane::cli
