#pragma once
// Turns SIGTERM, SIGHUP and SIGINT into a Qt signal on the interface thread, so the window can
// cancel its export and clean up before it quits instead of dying half-way. Create and destroy
// it on the interface thread; one may exist at a time.

#include <QObject>

#include <array>
#include <csignal>

class QSocketNotifier;

namespace orvane {

class TerminationSignalNotifier : public QObject {
    Q_OBJECT

public:
    static constexpr std::array<int, 3> handledSignals{SIGTERM, SIGHUP, SIGINT};

    explicit TerminationSignalNotifier(QObject* parent = nullptr);
    // Restores the dispositions found at construction.
    ~TerminationSignalNotifier() override;

    // The conventional exit status of a program stopped by `signal` (143 for SIGTERM).
    static int exitCodeFor(int signal) { return 128 + signal; }

signals:
    // Once, for the first signal; a second one ends the process at once, as if unhandled.
    void received(int signal);

private:
    void readSignal();

    int pipe_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
    std::array<struct sigaction, handledSignals.size()> previous_{};
};

} // namespace orvane
