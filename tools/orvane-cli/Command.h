#pragma once

#include <QCoreApplication>
#include <QString>
#include <QStringList>
#include <functional>
#include <map>

namespace orvane::cli {

// Exit codes shared by every command.
enum ExitCode { success = 0, failure = 1, usageError = 2, cancelled = 130 };

// A sub-command: gets its own arguments (after the command name) and returns an exit code.
using CommandFunction = std::function<int(const QStringList& arguments)>;

struct CommandInfo {
    QString usage;       // one line shown by `orvane-cli --help`
    const char* summary; // what the command does, marked with QT_TRANSLATE_NOOP("Cli", …)
    CommandFunction run;
};

std::map<QString, CommandInfo>& commands();

// Each command file registers itself with a static CommandRegistration.
struct CommandRegistration {
    CommandRegistration(const QString& name, const QString& usage, const char* summary, CommandFunction run) {
        commands()[name] = {usage, summary, std::move(run)};
    }
};

// Prints a user-facing failure on standard error.
void printError(const QString& description);
// Prints a usage error with the command's usage line; returns usageError.
int usage(const QString& command, const QString& problem);
// A usage error for `option` given without its value; returns usageError.
int missingValue(const QString& command, const QString& option);

} // namespace orvane::cli
