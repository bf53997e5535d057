// GoogleTest entry for the screen tests: a QGuiApplication on the X server when there is one
// (xvfb-run), else offscreen so the tests can still be listed, where they skip.

#include <QGuiApplication>
#include <QtQml/qqmlextensionplugin.h>

#include <gtest/gtest.h>

Q_IMPORT_QML_PLUGIN(Orvane_UiPlugin)
Q_IMPORT_QML_PLUGIN(Orvane_AppPlugin)

// libx265 keeps a few small buffers of every encoder it opens until the process ends.
extern "C" const char* __lsan_default_suppressions() { return "leak:libx265.so\n"; }

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Tests must not depend on the desktop they run on.
    qputenv("ORVANE_COLOR_SCHEME", "light");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
