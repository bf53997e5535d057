// GoogleTest entry for the application's tests: a QGuiApplication with the compiled-in QML
// modules, off screen unless the target puts windows on the X server (ORVANE_TEST_ON_SCREEN) and
// there is one (xvfb-run). Tests must not depend on the desktop they run on: light chrome, and the
// Chinese texts and dates the tests read whatever the machine's locale (a test of English sets it),
// and no map tiles.

#include "AppLanguage.h"
#include "OrvaneModules.h"

#include <QGuiApplication>
#include <gtest/gtest.h>

// libx265 keeps a few small buffers of every encoder it opens until the process ends; they are
// not ours to free. Read by LeakSanitizer in sanitizer builds, unused otherwise.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libx265.so\n";
}

int main(int argc, char** argv) {
#ifdef ORVANE_TEST_ON_SCREEN
    const bool offscreen = qEnvironmentVariableIsEmpty("DISPLAY");
#else
    const bool offscreen = true;
#endif
    if (offscreen && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("ORVANE_COLOR_SCHEME", "light");
    // No map tiles from the Internet: a test that wants tiles serves them on this machine.
    if (qEnvironmentVariableIsEmpty("ORVANE_MAP_TILES"))
        qputenv("ORVANE_MAP_TILES", "none");
    QGuiApplication app(argc, argv);
    orvane::AppLanguage::apply(true);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
