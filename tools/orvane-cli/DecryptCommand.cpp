// `decrypt PATH… --out DIR`: plain copies of the car's encrypted footage, laid out as a plain drive.

#include "Command.h"
#include "DecryptedCopies.h"
#include "JsonWriter.h"
#include "KeyAccess.h"
#include "TerminationSignals.h"
#include "UserFacingError.h"

#include <QSet>
#include <QTextStream>
#include <cmath>

namespace orvane::cli {

namespace {

using Failures = std::vector<std::pair<QString, QString>>;

void writeCopies(JsonWriter& json, const QString& name, const std::vector<DecryptedCopies::Copy>& copies) {
    json.key(name);
    json.beginArray();
    for (const DecryptedCopies::Copy& copy : copies) {
        json.beginObject();
        json.field(QStringLiteral("source"), copy.source);
        json.field(QStringLiteral("output"), copy.target);
        json.endObject();
    }
    json.endArray();
}

void printSummary(const DecryptedCopies::Outcome& outcome, const QSet<QString>& clipSources,
                  const Failures& failures) {
    std::vector<DecryptedCopies::Copy> clips, sidecars;
    for (const DecryptedCopies::Copy& copy : outcome.written)
        (clipSources.contains(copy.source) ? clips : sidecars).push_back(copy);
    QTextStream out(stdout);
    JsonWriter json(out);
    json.beginObject();
    writeCopies(json, QStringLiteral("decrypted"), clips);
    writeCopies(json, QStringLiteral("copied"), sidecars);
    json.key(QStringLiteral("failures"));
    json.beginArray();
    for (const auto& [path, reason] : failures) {
        json.beginObject();
        json.field(QStringLiteral("path"), path);
        json.field(QStringLiteral("reason"), reason);
        json.endObject();
    }
    json.endArray();
    json.endObject();
    json.finish();
}

// The clips whose key could not be had, with why (the service's failure said once on its own).
Failures keyFailures(const keys::KeyFetchResult& keys) {
    if (keys.serviceError) {
        const bool missing = keys.serviceError->kind() == keys::KeyServiceError::Kind::tokenMissing;
        printError(missing ? keys.serviceError->description() + QLatin1Char('\n') + tokenHint()
                           : keys.serviceError->description());
    }
    Failures failures;
    for (const keys::FileKeyFailure& failure : keys.failures)
        failures.emplace_back(failure.path, failure.error.description());
    return failures;
}

int run(const QStringList& paths, const QString& out, const KeyAccess& keyAccess) {
    CancellationToken cancel;
    const TerminationSignals stopSignals([cancel](int) { cancel.cancel(); });
    try {
        DecryptedCopies::Plan plan = DecryptedCopies::plan(paths, out);
        QSet<QString> clipSources;
        QStringList sources;
        for (const DecryptedCopies::Copy& clip : plan.clips) {
            clipSources.insert(clip.source);
            sources << clip.source;
        }
        bool tokenFileFailed = false;
        const keys::KeyFetchResult keys = keyAccess.fetch(sources, tokenFileFailed);
        if (tokenFileFailed)
            return failure;
        Failures failures = keyFailures(keys);
        QSet<QString> locked;
        for (const auto& [path, reason] : failures)
            locked.insert(path);
        std::erase_if(plan.clips, [&](const DecryptedCopies::Copy& c) { return locked.contains(c.source); });
        int lastPercent = -1;
        const DecryptedCopies::Outcome outcome = DecryptedCopies::write(plan, cancel, [&](double p) {
            if (const int percent = int(std::floor(p * 100)); percent != lastPercent)
                QTextStream(stderr) << "progress " << (lastPercent = percent) << "%\n";
        });
        failures.insert(failures.end(), outcome.failures.begin(), outcome.failures.end());
        printSummary(outcome, clipSources, failures);
        return failures.empty() ? success : failure;
    } catch (const OperationCancelled&) {
        QTextStream(stderr) << QCoreApplication::translate("Cli", "已取消解密") << "\n";
        return stopSignals.receivedSignal() ? TerminationSignals::exitCodeFor(stopSignals.receivedSignal())
                                            : cancelled;
    } catch (const UserFacingError& e) {
        printError(e.description());
        return failure;
    }
}

int decrypt(const QStringList& given) {
    const QString name = QStringLiteral("decrypt");
    QStringList args = given;
    KeyAccess keyAccess;
    if (!keyAccess.takeFrom(args))
        return missingValue(name, QStringLiteral("--token-file"));
    QStringList paths;
    QString out;
    for (int i = 0; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--out")) {
            if (i + 1 >= args.size())
                return missingValue(name, QStringLiteral("--out"));
            out = args[++i];
        } else if (args[i].startsWith(QLatin1String("--"))) {
            return usage(name, QCoreApplication::translate("Cli", "多余的参数“%1”").arg(args[i]));
        } else {
            paths << args[i];
        }
    }
    if (paths.isEmpty() || out.isEmpty())
        return usage(name, QCoreApplication::translate("Cli", "需要 PATH 和 --out"));
    return run(paths, out, keyAccess);
}

const CommandRegistration
    registration(QStringLiteral("decrypt"), QStringLiteral("decrypt PATH… --out DIR ") + tokenFileUsage,
                 QT_TRANSLATE_NOOP("Cli", "把车辆加密的录像解密为普通副本，按 U 盘的结构写入 DIR"), decrypt);

} // namespace
} // namespace orvane::cli
