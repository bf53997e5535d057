// `verify EXPORT [--drive PATH…]`: whether an export is still what its manifest says, and with
// the drive, whether it is an unaltered cut of the car's files.

#include "Command.h"
#include "ExportVerifier.h"
#include "FileName.h"
#include "JsonWriter.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QTextStream>

namespace orvane::cli {

namespace {

void printVerdict(const QString& exportPath, const std::vector<VerificationCheck>& checks) {
    QTextStream out(stdout);
    JsonWriter json(out);
    json.beginObject();
    json.field(QStringLiteral("export"), exportPath);
    json.field(QStringLiteral("verified"), ExportVerifier::allHold(checks));
    json.key(QStringLiteral("checks"));
    json.beginArray();
    for (const VerificationCheck& c : checks) {
        json.beginObject();
        json.field(QStringLiteral("check"), c.name);
        if (!c.subject.isEmpty())
            json.field(QStringLiteral("file"), c.subject);
        json.field(QStringLiteral("ok"), c.ok);
        if (!c.ok)
            json.field(QStringLiteral("message"), c.message);
        json.endObject();
    }
    json.endArray();
    json.endObject();
    json.finish();
}

int verifyCommand(const QStringList& args) {
    const QString name = QStringLiteral("verify");
    QString exportPath;
    QStringList drives;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--drive")) {
            if (i + 1 >= args.size())
                return missingValue(name, QStringLiteral("--drive"));
            drives << FileName::absolute(args[++i]);
        } else if (args[i].startsWith(QLatin1String("--")) || !exportPath.isEmpty()) {
            return usage(name, QCoreApplication::translate("Cli", "多余的参数“%1”").arg(args[i]));
        } else {
            exportPath = FileName::absolute(args[i]);
        }
    }
    if (exportPath.isEmpty())
        return usage(name, QCoreApplication::translate("Cli", "没有给出文件"));
    if (!QFileInfo(exportPath).isFile()) {
        printError(QStringLiteral("找不到导出的视频：") + exportPath);
        return failure;
    }
    const std::vector<VerificationCheck> checks = ExportVerifier::verify(exportPath, drives);
    for (const VerificationCheck& c : checks)
        if (!c.ok)
            printError(c.message);
    printVerdict(exportPath, checks);
    return ExportVerifier::allHold(checks) ? success : failure;
}

const CommandRegistration registration(QStringLiteral("verify"),
                                       QStringLiteral("verify EXPORT [--drive PATH…]"),
                                       QT_TRANSLATE_NOOP("Cli", "核对导出的视频与其清单和原始文件是否一致"),
                                       verifyCommand);

} // namespace
} // namespace orvane::cli
