// GoogleTest entry for the main window's tests: a real window on the X server when there is one
// (xvfb-run), otherwise off screen, with the compiled-in QML modules.

#include <QGuiApplication>
#include <QtQml/qqmlextensionplugin.h>

#include <gtest/gtest.h>

Q_IMPORT_QML_PLUGIN(Orvane_UiPlugin)
Q_IMPORT_QML_PLUGIN(Orvane_AppPlugin)

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Tests must not depend on the desktop they run on.
    qputenv("ORVANE_COLOR_SCHEME", "light");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
