// `report EVENT… --out FILE.pdf [--moment SECONDS]`: the incident report of saved events, in the
// language of the system (or --language zh|en).

#include "Command.h"
#include "FileName.h"
#include "IncidentReport.h"
#include "JsonWriter.h"
#include "TerminationSignals.h"
#include "TextLanguage.h"
#include "UserFacingError.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cmath>

namespace orvane::cli {

namespace {

int write(IncidentReportRequest& request) {
    const TerminationSignals stopSignals([cancel = request.cancel](int) { cancel.cancel(); });
    try {
        IncidentReport::write(request);
    } catch (const OperationCancelled&) {
        const int signal = stopSignals.receivedSignal();
        return signal ? TerminationSignals::exitCodeFor(signal) : int(cancelled);
    } catch (const UserFacingError& e) {
        printError(e.description());
        return failure;
    }
    QTextStream out(stdout);
    JsonWriter json(out);
    json.beginObject();
    json.field(QStringLiteral("output"), request.outputPath);
    json.endObject();
    json.finish();
    return success;
}

int reportCommand(const QStringList& args) {
    const QString name = QStringLiteral("report");
    IncidentReportRequest request;
    QString language;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        if (a == QLatin1String("--out") && hasValue) {
            request.outputPath = FileName::absolute(args[++i]);
        } else if (a == QLatin1String("--moment") && hasValue) {
            bool ok = false;
            request.moment = args[++i].toDouble(&ok);
            if (!ok || !std::isfinite(*request.moment) || *request.moment < 0)
                return usage(name, QCoreApplication::translate("Cli", "%1 需要从事件开始算起的秒数")
                                       .arg(QStringLiteral("--moment")));
        } else if (a == QLatin1String("--hide-place")) {
            request.hidePlace = true;
        } else if (a == QLatin1String("--speed-unit") && hasValue) {
            request.speedUnit = DashboardReadout::speedUnitFromRawValue(args[++i]);
        } else if (a == QLatin1String("--language") && hasValue) {
            language = args[++i];
        } else if (a.startsWith(QLatin1String("--"))) {
            return usage(name, QCoreApplication::translate("Cli", "多余的参数“%1”").arg(a));
        } else {
            request.eventFolders << FileName::absolute(a);
        }
    }
    if (request.eventFolders.isEmpty() || request.outputPath.isEmpty())
        return usage(
            name, QCoreApplication::translate("Cli", "需要给出事件文件夹和 %1").arg(QStringLiteral("--out")));
    // The program already follows the system; --language overrides it either way.
    if (!language.isEmpty())
        TextLanguage::apply(language == QLatin1String("zh"));
    return write(request);
}

const CommandRegistration registration(
    QStringLiteral("report"),
    QStringLiteral("report EVENT… --out FILE.pdf [--moment SECONDS] [--hide-place] [--speed-unit kmh|mph] "
                   "[--language zh|en]"),
    QT_TRANSLATE_NOOP("Cli", "一份 PDF 事故报告：时间、地点、各摄像头画面、行驶记录与文件指纹"),
    reportCommand);

} // namespace
} // namespace orvane::cli
