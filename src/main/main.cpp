// Orvane: the window. Makes sure it is the user's only running copy, opens the main window over
// the application's state, imports the folders named on the command line and checks for an
// update once the window is on screen.
//
//   Orvane [FOLDER…]

#include "AppVersion.h"
#include "LibraryViewModel.h"
#include "MainWindowConfigurator.h"
#include "MainWindowLoader.h"
#include "OrvaneApp.h"
#include "SingleInstance.h"
#include "TerminationSignals.h"

#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <QtQml/qqmlextensionplugin.h>
#include <cstdio>

Q_IMPORT_QML_PLUGIN(Orvane_AppPlugin)
Q_IMPORT_QML_PLUGIN(Orvane_UpdatePlugin)

using namespace orvane;

namespace {

QStringList commandLineFolders(const QGuiApplication& app) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Orvane：浏览、播放和导出 TeslaCam 行车记录"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("folders"), QStringLiteral("启动时导入的 TeslaCam 文件夹"),
                                 QStringLiteral("[FOLDER…]"));
    parser.process(app);
    return OrvaneApp::folderArguments(parser.positionalArguments(), QDir::currentPath());
}

} // namespace

int main(int argc, char** argv) {
    TerminationSignals::treatFileSizeLimitAsFullDisk();
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Orvane"));
    QGuiApplication::setApplicationVersion(AppVersion::shortVersion());
    QGuiApplication::setDesktopFileName(QStringLiteral("orvane"));
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/orvane/orvane.svg")));
    const QStringList folders = commandLineFolders(app);

    OrvaneApp orvane;
    SingleInstance::terminateExistingInstances();
    // After the other copies have gone, so what a forced one left is swept too.
    OrvaneApp::sweepLeftoversInBackground();

    QQmlApplicationEngine engine;
    QQuickWindow* window = ui::loadMainWindow(engine, orvane.viewModel(), orvane.updateController());
    if (!window) {
        std::fprintf(stderr, "Orvane: the main window could not be loaded\n");
        return 1;
    }
    // The launch check starts once the window is on screen, so a slow network never delays it.
    QObject::connect(window, &QQuickWindow::frameSwapped, &orvane.updateController(),
                     &AppUpdateController::checkOnLaunchIfNeeded, Qt::SingleShotConnection);
    ui::MainWindowConfigurator::present(*window);
    if (!folders.isEmpty())
        orvane.viewModel().library()->importTeslaCamPaths(folders);
    return app.exec();
}
