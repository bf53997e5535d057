#pragma once

// SIGINT, SIGTERM and SIGHUP turned into a cooperative cancel, so long work cleans up instead of dying
// half-way. Create and destroy on the main thread; the handler runs on a watcher thread or on the context
// object's thread.

#include <QObject>
#include <array>
#include <csignal>
#include <functional>
#include <thread>

namespace orvane {

class TerminationSignals {
public:
    using Handler = std::function<void(int signal)>;

    static constexpr std::array<int, 3> handledSignals{SIGINT, SIGTERM, SIGHUP};

    // The handler runs on the watcher thread (for a program whose main thread is busy).
    explicit TerminationSignals(Handler onSignal);
    // The handler is queued to `context`'s thread (the window's interface thread); the
    // context must outlive this object.
    TerminationSignals(QObject* context, Handler onSignal);
    // Restores the earlier dispositions. Only one object may exist at a time.
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

    // The first signal received, 0 before any. A second signal while the first is being
    // handled ends the process at once, as if nothing handled it.
    int receivedSignal() const;

    // The conventional exit status of a program stopped by `signal` (130 for SIGINT, 143
    // for SIGTERM, 129 for SIGHUP).
    static int exitCodeFor(int signal) { return 128 + signal; }

    // A write past a file-size limit (ulimit -f) sends SIGXFSZ, which would end the process
    // half-way with its temporary files left behind. Ignored (here and in the child processes,
    // which inherit it), the write fails with EFBIG and is reported and cleaned up as on a
    // full disk. Call once at start-up.
    static void treatFileSizeLimitAsFullDisk() { std::signal(SIGXFSZ, SIG_IGN); }

private:
    void watch();

    Handler handler_;
    QObject* context_ = nullptr;
    int stopPipe_[2] = {-1, -1};
    struct sigaction previous_[handledSignals.size()] = {};
    std::thread watcher_;
};

} // namespace orvane
