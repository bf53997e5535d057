#include <QCoreApplication>
#include <gtest/gtest.h>

// The update service needs an event loop (network replies, continuations on the GUI thread).
int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
