#include "TerminationSignals.h"

#include <QMetaObject>

#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <unistd.h>

namespace orvane {

namespace {

// Shared with the signal handler, which may only touch these.
int signalPipe[2] = {-1, -1};
volatile sig_atomic_t firstSignal = 0;
std::atomic<bool> installed{false};

extern "C" void onTerminationSignal(int signal) {
    const int savedErrno = errno;
    if (firstSignal != 0) {
        // Stopping hangs and the user insists: die as if unhandled (the signal stays blocked
        // until this handler returns, then the default action ends the process).
        ::signal(signal, SIG_DFL);
        ::raise(signal);
    } else {
        firstSignal = signal;
        const unsigned char byte = static_cast<unsigned char>(signal);
        [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    }
    errno = savedErrno;
}

} // namespace

TerminationSignals::TerminationSignals(Handler onSignal) : TerminationSignals(nullptr, std::move(onSignal)) {}

TerminationSignals::TerminationSignals(QObject* context, Handler onSignal)
    : handler_(std::move(onSignal)), context_(context) {
    if (installed.exchange(true))
        throw std::logic_error("only one TerminationSignals may exist at a time");
    firstSignal = 0;
    if (::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0 || ::pipe2(stopPipe_, O_CLOEXEC) != 0)
        throw std::runtime_error("cannot create the signal pipes");
    struct sigaction action {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < handledSignals.size(); ++i)
        ::sigaction(handledSignals[i], &action, &previous_[i]);
    watcher_ = std::thread([this] { watch(); });
}

TerminationSignals::~TerminationSignals() {
    const char stop = 0;
    [[maybe_unused]] const ssize_t written = ::write(stopPipe_[1], &stop, 1);
    watcher_.join();
    for (size_t i = 0; i < handledSignals.size(); ++i)
        ::sigaction(handledSignals[i], &previous_[i], nullptr);
    for (int* pipe : {signalPipe, stopPipe_}) {
        ::close(pipe[0]);
        ::close(pipe[1]);
        pipe[0] = pipe[1] = -1;
    }
    installed.store(false);
}

int TerminationSignals::receivedSignal() const { return firstSignal; }

void TerminationSignals::watch() {
    pollfd fds[2] = {{signalPipe[0], POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
    for (;;) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents)
            return;
        unsigned char byte = 0;
        if (!(fds[0].revents & POLLIN) || ::read(signalPipe[0], &byte, 1) != 1)
            continue;
        const int signal = byte;
        if (context_)
            QMetaObject::invokeMethod(
                context_, [handler = handler_, signal] { handler(signal); }, Qt::QueuedConnection);
        else
            handler_(signal);
    }
}

} // namespace orvane
