#include "TerminationSignals.h"

#include <QCoreApplication>
#include <QObject>
#include <QThread>
#include <csignal>
#include <future>
#include <gtest/gtest.h>

using namespace orvane;

namespace {

// Each signal's exit status is checked end to end by the window's entry and the command line.
TEST(TerminationSignalsTest, ASignalBecomesOneCallOffItsThreadAndTheDispositionComesBack) {
    std::promise<int> handled;
    std::thread::id handlerThread;
    {
        TerminationSignals watcher([&](int signal) {
            handlerThread = std::this_thread::get_id();
            handled.set_value(signal);
        });
        EXPECT_EQ(watcher.receivedSignal(), 0);
        raise(SIGHUP);
        auto future = handled.get_future();
        ASSERT_EQ(future.wait_for(std::chrono::seconds(5)), std::future_status::ready);
        EXPECT_EQ(future.get(), SIGHUP);
        EXPECT_EQ(watcher.receivedSignal(), SIGHUP);
        EXPECT_NE(handlerThread, std::this_thread::get_id()) << "never inside the signal handler's thread";
    }
    struct sigaction now {};
    sigaction(SIGHUP, nullptr, &now);
    EXPECT_EQ(now.sa_handler, SIG_DFL) << "the earlier disposition comes back";
}

// The window's entry hands the signal to an object on its own (interface) thread.
TEST(TerminationSignalsContextTest, RunsOnTheContextObjectsThread) {
    int argc = 0;
    QCoreApplication app(argc, nullptr);
    QThread worker;
    QObject context;
    context.moveToThread(&worker);
    worker.start();
    std::promise<QThread*> ranOn;
    {
        TerminationSignals watcher(&context, [&](int) { ranOn.set_value(QThread::currentThread()); });
        raise(SIGTERM);
        auto future = ranOn.get_future();
        ASSERT_EQ(future.wait_for(std::chrono::seconds(5)), std::future_status::ready);
        EXPECT_EQ(future.get(), &worker);
    }
    worker.quit();
    worker.wait();
}

// When stopping hangs, a second signal ends the process as if nothing handled it.
TEST(TerminationSignalsDeathTest, SecondSignalEndsTheProcess) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::promise<void> first;
            TerminationSignals watcher([&](int) { first.set_value(); });
            raise(SIGTERM);
            first.get_future().wait();
            raise(SIGTERM);
            std::this_thread::sleep_for(std::chrono::seconds(5));
            _exit(0);
        },
        ::testing::KilledBySignal(SIGTERM), "");
}

} // namespace
