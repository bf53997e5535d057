#include "TestSupport.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <future>
#include <stdexcept>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace orvane::test {

bool waitUntil(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

TempFolder::TempFolder() : dir_(QDir::tempPath() + QStringLiteral("/orvane-test-XXXXXX")) {
    if (!dir_.isValid())
        throw std::runtime_error("cannot create a temporary folder");
}

QString TempFolder::makeFolder(const QString& relative) const {
    const QString p = *this / relative;
    QDir().mkpath(p);
    return p;
}

QString TempFolder::writeFile(const QString& relative, const QByteArray& content) const {
    const QString p = *this / relative;
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(content) != content.size())
        throw std::runtime_error(("cannot write " + p).toStdString());
    return p;
}

QString makeFifo(const QString& path) {
    if (mkfifo(QFile::encodeName(path).constData(), 0600) != 0)
        throw std::runtime_error(("cannot make a FIFO at " + path).toStdString());
    return path;
}

bool makeSocket(const QString& path) {
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray encoded = QFile::encodeName(path);
    if (fd < 0 || size_t(encoded.size()) >= sizeof address.sun_path) {
        if (fd >= 0)
            close(fd);
        return false;
    }
    std::copy(encoded.begin(), encoded.end(), address.sun_path);
    const bool bound = bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return bound;
}

qint64 endedProcessId() {
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    waitpid(child, nullptr, 0);
    return child;
}

QStringList entries(const QString& folder) {
    QStringList names =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.removeIf([](const QString& name) { return name.startsWith(QLatin1String("runtime-")); });
    return names;
}

QByteArray digest(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256).toHex();
}

bool returnsPromptly(const std::function<void()>& call, const QString& fifo) {
    using namespace std::chrono_literals;
    auto done = std::make_shared<std::promise<void>>();
    std::future<void> finished = done->get_future();
    std::thread worker([call, done] {
        call();
        done->set_value();
    });
    if (finished.wait_for(5s) == std::future_status::ready) {
        worker.join();
        return true;
    }
    // A blocked writer would get SIGPIPE once this side closes.
    std::signal(SIGPIPE, SIG_IGN);
    const int fd = ::open(QFile::encodeName(fifo).constData(), O_RDWR | O_NONBLOCK);
    char sink[4096];
    for (int i = 0; i < 10 && finished.wait_for(50ms) != std::future_status::ready; ++i)
        while (fd >= 0 && ::read(fd, sink, sizeof sink) > 0) {
        }
    if (fd >= 0)
        ::close(fd); // a blocked reader now sees the end of the data
    if (finished.wait_for(10s) == std::future_status::ready)
        worker.join();
    else
        worker.detach();
    return false;
}

std::optional<QByteArray> runProgram(const QString& program, const QStringList& arguments, int* exitCode,
                                     QByteArray* standardError) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForStarted(10000))
        return std::nullopt;
    process.closeWriteChannel();
    if (!process.waitForFinished(120000))
        return std::nullopt;
    if (exitCode)
        *exitCode = process.exitCode();
    if (standardError)
        *standardError = process.readAllStandardError();
    const QByteArray out = process.readAllStandardOutput();
    if (!exitCode && (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0))
        return std::nullopt;
    return out;
}

} // namespace orvane::test
