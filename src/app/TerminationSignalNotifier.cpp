#include "TerminationSignalNotifier.h"

#include <QSocketNotifier>

#include <fcntl.h>
#include <unistd.h>

namespace orvane {

namespace {

// The write end of the live notifier's pipe; the handler may only do async-signal-safe work.
volatile sig_atomic_t writeEnd = -1;

void onSignal(int signal) {
    const int fd = writeEnd;
    if (fd < 0)
        return;
    const unsigned char byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(fd, &byte, 1);
}

void restoreDefaults() {
    for (const int signal : TerminationSignalNotifier::handledSignals)
        ::signal(signal, SIG_DFL);
}

} // namespace

TerminationSignalNotifier::TerminationSignalNotifier(QObject* parent) : QObject(parent) {
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0)
        return; // no pipe: the signals keep their default effect
    writeEnd = pipe_[1];
    notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignalNotifier::readSignal);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < handledSignals.size(); ++i)
        ::sigaction(handledSignals[i], &action, &previous_[i]);
}

TerminationSignalNotifier::~TerminationSignalNotifier() {
    if (pipe_[0] < 0)
        return;
    for (size_t i = 0; i < handledSignals.size(); ++i)
        ::sigaction(handledSignals[i], &previous_[i], nullptr);
    writeEnd = -1;
    ::close(pipe_[0]);
    ::close(pipe_[1]);
}

void TerminationSignalNotifier::readSignal() {
    unsigned char byte = 0;
    if (::read(pipe_[0], &byte, 1) != 1)
        return;
    notifier_->setEnabled(false);
    restoreDefaults();
    emit received(byte);
}

} // namespace orvane
