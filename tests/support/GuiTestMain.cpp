// GoogleTest entry for tests that need a QGuiApplication (video sinks, frames, overlay drawing) or
// an event loop (network replies); runs headless.

#include <QGuiApplication>
#include <gtest/gtest.h>

// libx265 keeps a few small buffers of every encoder it opens until the process ends; they are
// not ours to free. Read by LeakSanitizer in sanitizer builds, unused otherwise.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libx265.so\n";
}

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
