#include "KeyAccess.h"

#include "Command.h"
#include "ContainerError.h"
#include "RegularFile.h"

#include <QCoreApplication>

namespace orvane::cli {

namespace {

constexpr char tokenVariable[] = "ORVANE_DASHCAM_TOKEN";
// A token is a few kilobytes at most; a larger file is not a token file.
constexpr int64_t maximumTokenFileBytes = 64 * 1024;

} // namespace

QString tokenHint() {
    return QCoreApplication::translate("Cli",
                                       "读取加密录像需要车主的令牌：设置环境变量 ORVANE_DASHCAM_TOKEN，"
                                       "或用 --token-file FILE 给出存有令牌的文件");
}

bool KeyAccess::takeFrom(QStringList& args) {
    const qsizetype at = args.indexOf(QStringLiteral("--token-file"));
    if (at < 0)
        return true;
    if (at + 1 >= args.size())
        return false;
    tokenFile = args[at + 1];
    args.remove(at, 2);
    return true;
}

bool KeyAccess::tokenGiven() const {
    return tokenFile || !qEnvironmentVariable(tokenVariable).trimmed().isEmpty();
}

std::optional<QString> KeyAccess::token(bool& failed) const {
    failed = false;
    if (tokenFile) {
        const auto bytes = RegularFile::readSmallFile(*tokenFile, maximumTokenFileBytes);
        if (!bytes) {
            printError(QCoreApplication::translate("Cli", "无法读取令牌文件: ") + *tokenFile);
            failed = true;
            return std::nullopt;
        }
        return QString::fromUtf8(*bytes).trimmed();
    }
    const QString fromEnvironment = qEnvironmentVariable(tokenVariable).trimmed();
    return fromEnvironment.isEmpty() ? std::nullopt : std::optional(fromEnvironment);
}

keys::KeyFetchResult KeyAccess::fetch(const QStringList& paths, bool& tokenFileFailed) const {
    const QStringList needing = keys::filesNeedingKeys(paths);
    if (needing.isEmpty())
        return {};
    const std::optional<QString> given = token(tokenFileFailed);
    if (tokenFileFailed)
        return {};
    return keys::fetchKeys(needing, given.value_or(QString()));
}

bool KeyAccess::unlock(const QStringList& paths) const {
    bool tokenFileFailed = false;
    const keys::KeyFetchResult result = fetch(paths, tokenFileFailed);
    if (tokenFileFailed)
        return false;
    if (result.serviceError && result.serviceError->kind() == keys::KeyServiceError::Kind::tokenMissing) {
        printError(crypto::ContainerError::lockedText() + QLatin1Char('\n') + tokenHint());
        return false;
    }
    if (result.serviceError) {
        printError(result.serviceError->description());
        return false;
    }
    for (const keys::FileKeyFailure& failure : result.failures)
        printError(failure.error.description());
    return result.failures.empty();
}

} // namespace orvane::cli
