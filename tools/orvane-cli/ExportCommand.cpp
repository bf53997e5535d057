// `export`: a single file, consecutive minutes of one camera, or a four-camera grid, re-encoded
// with the recording time (and, asked for, the dashboard) burned in.

#include "Command.h"
#include "ExportPlanner.h"
#include "FileName.h"
#include "GPUVideoExporter.h"
#include "JsonWriter.h"
#include "KeyAccess.h"
#include "MetadataParser.h"
#include "TerminationSignals.h"

#include <QFileInfo>
#include <QTextStream>
#include <algorithm>
#include <cmath>

namespace orvane::cli {

namespace {

struct Options {
    QString mode;
    QStringList files;
    QString out;
    std::optional<double> start, duration, rangeStart, rangeEnd;
    ExportQuality quality = ExportQuality::balanced;
    bool showTime = true;
    bool showDashboard = false;
    bool showMap = false;
    std::optional<QString> mapTiles;
    int speed = 1;
    DashboardReadout::SpeedUnit speedUnit = DashboardReadout::SpeedUnit::kmh;
};

std::optional<double> number(const QString& text) {
    bool ok = false;
    const double v = text.toDouble(&ok);
    return ok && std::isfinite(v) ? std::optional<double>(v) : std::nullopt;
}

TeslaVideoFile videoFor(const QString& path) {
    return MetadataParser::parseVideo(FileName::absolute(path), std::nullopt);
}

// The request the window would make for the same files: steps, their lengths and the cut
// come from ExportPlanner, as they do for the preview.
ExportRequest requestFor(const Options& o) {
    std::vector<TeslaVideoFile> videos;
    for (const QString& f : o.files)
        videos.push_back(videoFor(f));
    // Ties in recording time keep the names' order.
    std::sort(videos.begin(), videos.end(),
              [](const TeslaVideoFile& a, const TeslaVideoFile& b) { return a.fileName < b.fileName; });
    if (o.mode == QLatin1String("single")) {
        const double start = o.start.value_or(0);
        return ExportRequest::singleFile(videos.front(), o.start,
                                         o.duration ? std::optional(start + *o.duration) : std::nullopt);
    }
    if (o.mode == QLatin1String("continuous"))
        return ExportRequest::continuous(std::move(videos), o.rangeStart, o.rangeEnd);
    return ExportRequest::grid(std::move(videos), o.rangeStart, o.rangeEnd);
}

ExportResult exportPlan(ExportRequest::Kind kind, const ExportPlan& plan, const QString& out,
                        const WatermarkSettings& settings, const ExportCallbacks& callbacks) {
    if (kind == ExportRequest::Kind::grid)
        return GPUVideoExporter::exportGrid(plan.gridSegments, out, settings, callbacks);
    if (kind == ExportRequest::Kind::continuous)
        return GPUVideoExporter::exportContinuous(plan.segments, out, settings, callbacks);
    const ContinuousExportSegment& piece = plan.segments.front();
    return GPUVideoExporter::exportSync(piece.video, piece.video.url, out, settings, piece.trimStart,
                                        piece.trimDuration, callbacks);
}

void warn(const QString& text) {
    QTextStream(stderr) << QCoreApplication::translate("Cli", "警告: ") << text << "\n";
}

void printTime(JsonWriter& json, const QString& seconds, const QString& local, std::optional<Instant> at) {
    json.field(seconds, at);
    json.field(local, at ? std::optional(LocalTime::format(*at, QStringLiteral("yyyy-MM-ddTHH:mm:ss")))
                         : std::nullopt);
}

// Each camera file left out (it cannot be read) or cut short, and why.
void printSkipped(JsonWriter& json, const SkippedList& skipped) {
    json.key(QStringLiteral("skipped"));
    json.beginArray();
    for (const SkippedFootage& s : skipped) {
        json.beginObject();
        json.field(QStringLiteral("file"), s.video.fileName);
        json.field(QStringLiteral("path"), s.video.url);
        json.field(QStringLiteral("camera"), s.video.cameraAngle
                                                 ? std::optional(Camera::rawValue(*s.video.cameraAngle))
                                                 : std::nullopt);
        printTime(json, QStringLiteral("startTime"), QStringLiteral("start"), s.video.startTime);
        json.field(QStringLiteral("kind"), s.kind == SkippedFootage::Kind::leftOut ? "leftOut" : "cutShort");
        json.field(QStringLiteral("askedSeconds"), s.askedSeconds);
        json.field(QStringLiteral("keptSeconds"), s.keptSeconds);
        json.field(QStringLiteral("reason"), s.reason);
        json.endObject();
    }
    json.endArray();
}

void printResult(const ExportResult& result) {
    for (const QString& line : result.skippedLines())
        warn(line);
    if (result.truncated && result.skipped.empty())
        warn(result.truncationWarning());
    if (const QString notice = result.dashboardNotice(); !notice.isEmpty())
        warn(notice);
    QTextStream stdoutStream(stdout);
    JsonWriter json(stdoutStream);
    json.beginObject();
    json.field(QStringLiteral("output"), result.path);
    printTime(json, QStringLiteral("startTime"), QStringLiteral("start"), result.startDate());
    printTime(json, QStringLiteral("endTime"), QStringLiteral("end"), result.endDate);
    json.field(QStringLiteral("requestedLength"), result.requestedLength);
    json.field(QStringLiteral("exportedLength"), result.exportedLength);
    json.field(QStringLiteral("truncated"), result.truncated);
    json.field(QStringLiteral("encoder"), result.encoder);
    json.field(QStringLiteral("framesWithoutDashboard"), double(result.framesWithoutDashboard));
    printSkipped(json, result.skipped);
    json.endObject();
    json.finish();
}

int cancelledBy(int signal) {
    QTextStream(stderr) << QCoreApplication::translate("Cli", "已取消导出") << "\n";
    return signal ? TerminationSignals::exitCodeFor(signal) : cancelled;
}

int run(const Options& o) {
    WatermarkSettings settings;
    settings.exportQuality = o.quality;
    settings.showTime = o.showTime;
    settings.showDashboard = o.showDashboard;
    settings.showMap = o.showMap;
    settings.mapTiles = o.mapTiles.value_or(QString());
    settings.speedUnit = o.speedUnit;
    settings.speed = o.speed;

    ExportCallbacks callbacks;
    int lastPercent = -1;
    callbacks.onProgress = [&](double p) {
        const int percent = int(std::floor(p * 100));
        if (percent != lastPercent) {
            lastPercent = percent;
            QTextStream(stderr) << "progress " << percent << "%\n";
        }
    };
    // SIGINT, SIGTERM and SIGHUP cancel the export, which then removes what it made.
    const TerminationSignals stopSignals([cancel = callbacks.cancel](int) { cancel.cancel(); });
    try {
        const QString out = FileName::absolute(o.out);
        settings.outputDestination = OutputDestination::inFolder(QFileInfo(out).path());
        const ExportRequest request = requestFor(o);
        printResult(exportPlan(request.kind, ExportPlanner::plan(request), out, settings, callbacks));
        return success;
    } catch (const OperationCancelled&) {
        return cancelledBy(stopSignals.receivedSignal());
    } catch (const UserFacingError& e) {
        if (stopSignals.receivedSignal())
            return cancelledBy(stopSignals.receivedSignal());
        printError(e.description());
        return failure;
    }
}

// An option the mode would ignore, or a length that is not above 0, is a mistake to point at.
QString misusedOption(const Options& o) {
    if (o.mapTiles && !o.showMap)
        return QCoreApplication::translate("Cli", "--map-tiles 只和 --map 一起用");
    if (o.mode == QLatin1String("single")) {
        if (o.rangeStart)
            return QCoreApplication::translate(
                "Cli", "--range 只用于 continuous 和 grid 导出；请用 --start 和 --duration");
        if (o.start && *o.start < 0)
            return QCoreApplication::translate("Cli", "--start 不能为负数");
        if (o.duration && *o.duration <= 0)
            return QCoreApplication::translate("Cli", "--duration 必须大于 0");
        return {};
    }
    if (o.start || o.duration)
        return QCoreApplication::translate("Cli", "%1 只用于 single 导出；请用 --range")
            .arg(o.start ? "--start" : "--duration");
    if (o.rangeStart && *o.rangeStart < 0)
        return QCoreApplication::translate("Cli", "--range 的开始不能早于 0");
    if (o.rangeStart && *o.rangeEnd <= *o.rangeStart)
        return QCoreApplication::translate("Cli", "--range 的结束必须晚于开始");
    return {};
}

int exportCommand(const QStringList& given) {
    const QString name = QStringLiteral("export");
    QStringList args = given;
    KeyAccess keyAccess;
    if (!keyAccess.takeFrom(args))
        return missingValue(name, QStringLiteral("--token-file"));
    Options o;
    if (args.isEmpty())
        return usage(name,
                     QCoreApplication::translate("Cli", "没有给出导出方式（single、continuous 或 grid）"));
    o.mode = args.first();
    if (o.mode != QLatin1String("single") && o.mode != QLatin1String("continuous") &&
        o.mode != QLatin1String("grid"))
        return usage(name, QCoreApplication::translate("Cli", "未知的导出方式“%1”").arg(o.mode));
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        auto value = [&]() -> std::optional<QString> {
            if (i + 1 >= args.size())
                return std::nullopt;
            return args[++i];
        };
        auto numberValue = [&](std::optional<double>& into) {
            const auto text = value();
            into = text ? number(*text) : std::nullopt;
            return bool(into);
        };
        bool ok = true;
        if (a == QLatin1String("--out")) {
            const auto v = value();
            ok = bool(v);
            o.out = v.value_or(QString());
        } else if (a == QLatin1String("--start")) {
            ok = numberValue(o.start);
        } else if (a == QLatin1String("--duration")) {
            ok = numberValue(o.duration);
        } else if (a == QLatin1String("--range")) {
            ok = numberValue(o.rangeStart) && numberValue(o.rangeEnd);
        } else if (a == QLatin1String("--quality")) {
            const auto v = value();
            const auto q = v ? Quality::fromRawValue(*v) : std::nullopt;
            ok = bool(q);
            if (q)
                o.quality = *q;
        } else if (a == QLatin1String("--speed")) {
            const auto v = value();
            o.speed = v ? v->toInt(&ok) : 0;
            ok = ok && std::find(exportSpeeds.begin(), exportSpeeds.end(), o.speed) != exportSpeeds.end();
        } else if (a == QLatin1String("--no-time")) {
            o.showTime = false;
        } else if (a == QLatin1String("--dashboard")) {
            o.showDashboard = true;
        } else if (a == QLatin1String("--map")) {
            o.showMap = true;
        } else if (a == QLatin1String("--map-tiles")) {
            o.mapTiles = value();
            ok = o.mapTiles && !o.mapTiles->trimmed().isEmpty();
        } else if (a == QLatin1String("--speed-unit")) {
            const auto v = value();
            ok = v == QLatin1String("kmh") || v == QLatin1String("mph");
            o.speedUnit = DashboardReadout::speedUnitFromRawValue(v.value_or(QString()));
        } else if (a.startsWith(QLatin1String("--"))) {
            return usage(name, QCoreApplication::translate("Cli", "多余的参数“%1”").arg(a));
        } else {
            o.files << a;
        }
        if (!ok)
            return usage(name, QCoreApplication::translate("Cli", "%1 需要一个有效的值").arg(a));
    }
    if (o.files.isEmpty() || o.out.isEmpty())
        return usage(name, QCoreApplication::translate("Cli", "需要文件和 --out"));
    if (o.mode == QLatin1String("single") && o.files.size() != 1)
        return usage(name, QCoreApplication::translate("Cli", "single 只接受一个文件"));
    if (const QString misuse = misusedOption(o); !misuse.isEmpty())
        return usage(name, misuse);
    if (!keyAccess.unlock(o.files))
        return failure;
    return run(o);
}

const CommandRegistration registration(
    QStringLiteral("export"),
    QStringLiteral("export single FILE | continuous FILE… | grid FILE… --out OUT [--start S --duration D] "
                   "[--range S E] [--quality original|balanced] [--speed 1|2|4|8|16|30|60] [--no-time] "
                   "[--dashboard [--speed-unit kmh|mph]] [--map [--map-tiles URL|none]] ") +
        tokenFileUsage,
    QT_TRANSLATE_NOOP("Cli", "导出一个文件、连续的几分钟或多摄像头画面，每一帧带录制时间"), exportCommand);

} // namespace

} // namespace orvane::cli
