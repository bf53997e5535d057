// orvane-cli: the headless face of Orvane's core (scan, videos and more), printing JSON.

#include "Command.h"
#include "FileName.h"
#include "TerminationSignals.h"
#include "TextLanguage.h"

#include <QGuiApplication>
#include <QTextStream>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace orvane::cli {

std::map<QString, CommandInfo>& commands() {
    static std::map<QString, CommandInfo> registry;
    return registry;
}

void printError(const QString& description) {
    QTextStream err(stderr);
    err << FileName::display(description) << "\n"; // names that are not UTF-8 shown readably
}

int usage(const QString& command, const QString& problem) {
    QTextStream err(stderr);
    if (!problem.isEmpty())
        err << "orvane-cli " << command << ": " << problem << "\n";
    auto it = commands().find(command);
    if (it != commands().end())
        err << QCoreApplication::translate("Cli", "用法: ") << "orvane-cli " << it->second.usage << "\n";
    return usageError;
}

int missingValue(const QString& command, const QString& option) {
    return usage(command, QCoreApplication::translate("Cli", "%1 需要一个值").arg(option));
}

namespace {

// A closed standard stream would be taken by the next file opened (an export's output, say)
// and written into: each gets /dev/null instead. Returns whether standard output was open.
bool guardStandardStreams() {
    bool outputOpen = true;
    for (int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}) {
        if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        outputOpen = outputOpen && fd != STDOUT_FILENO;
        const int null = ::open("/dev/null", fd == STDIN_FILENO ? O_RDONLY : O_WRONLY);
        if (null >= 0 && null != fd) {
            ::dup2(null, fd);
            ::close(null);
        }
    }
    return outputOpen;
}

void reportStandardOutputFailure(int error) {
    printError(QCoreApplication::translate("Cli", "无法写入标准输出: ") + qt_error_string(error));
}

// The commands, each with what it does; the keys of the JSON they print are the same in every language.
void printHelp(QTextStream& out) {
    out << QCoreApplication::translate("Cli", "用法:") << "\n";
    for (const auto& [name, info] : commands())
        out << "  orvane-cli " << info.usage << "\n      " << QCoreApplication::translate("Cli", info.summary)
            << "\n";
    out << "\n"
        << QCoreApplication::translate(
               "Cli", "每个命令在标准输出上打印 JSON。失败时在标准错误上说明原因并以 1 退出，"
                      "用法错误以 2 退出。详见 man orvane-cli。")
        << "\n";
}

// Everything printed must have reached standard output (a full disk, /dev/full).
bool standardOutputWritten() {
    const bool flushed = std::fflush(stdout) == 0;
    const int error = errno;
    if (flushed && !std::ferror(stdout))
        return true;
    reportStandardOutputFailure(flushed ? EIO : error);
    return false;
}

} // namespace

} // namespace orvane::cli

int main(int argc, char** argv) {
    using namespace orvane::cli;
    orvane::TerminationSignals::treatFileSizeLimitAsFullDisk();
    const bool outputOpen = guardStandardStreams();
    // Burned-in times and labels are drawn with fonts, which need a GUI application; the
    // command line must still work without a display.
    // Qt's own warnings (such as a missing XDG_RUNTIME_DIR) mean nothing to a user here and
    // would mix with progress on standard error.
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& message) {
        if (type == QtCriticalMsg || type == QtFatalMsg)
            QTextStream(stderr) << message << "\n";
    });
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("orvane-cli"));
    orvane::TextLanguage::apply(orvane::TextLanguage::isChinese());
    if (!outputOpen) {
        reportStandardOutputFailure(EBADF);
        return failure;
    }
    QStringList args = orvane::FileName::arguments(argc, argv); // the file system's bytes kept
    if (args.isEmpty() || args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
        QTextStream out(args.isEmpty() ? stderr : stdout);
        printHelp(out);
        return args.isEmpty() ? usageError : success;
    }
    const QString name = args.takeFirst();
    auto it = commands().find(name);
    if (it == commands().end()) {
        QTextStream(stderr) << "orvane-cli: "
                            << QCoreApplication::translate("Cli", "未知的命令“%1”").arg(name) << "\n";
        return usageError;
    }
    const int code = it->second.run(args);
    return standardOutputWritten() ? code : std::max(code, int(failure));
}
