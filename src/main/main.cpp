// Orvane: the window. Hands its folders to a copy already running (the user's only window), or
// opens the main window over the application's state with the settings kept from last time,
// imports the folders named on the command line (else the drives opened last) and checks for an
// update once the window is on screen.
//
//   Orvane [--replace] [FOLDER…]

#include "AppLanguage.h"
#include "AppSettings.h"
#include "AppVersion.h"
#include "FileName.h"
#include "InstanceChannel.h"
#include "LibraryViewModel.h"
#include "MainWindowConfigurator.h"
#include "MainWindowLoader.h"
#include "OrvaneApp.h"
#include "OrvaneModules.h"
#include "ProcessMemory.h"
#include "SingleInstance.h"
#include "TerminationSignals.h"

#include <QCommandLineParser>
#include <QDir>
#include <QGuiApplication>
#include <QIcon>
#include <QQmlApplicationEngine>
#include <QQuickWindow>
#include <cstdio>

using namespace orvane;

namespace {

struct Arguments {
    QStringList folders;
    // Ends a running copy instead of handing it the folders (the update's relaunch).
    bool replace = false;
};

// The folders are taken from the raw arguments: QCoreApplication::arguments() loses the bytes of
// names that are not valid UTF-8.
Arguments commandLine(int argc, char** argv) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QCoreApplication::translate("main", "Orvane：浏览、播放和导出 TeslaCam 行车记录"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption replace(QStringLiteral("replace"),
                                     QCoreApplication::translate("main", "结束正在运行的 Orvane 并取代它"));
    parser.addOption(replace);
    parser.addPositionalArgument(QStringLiteral("folders"),
                                 QCoreApplication::translate("main", "启动时导入的 TeslaCam 文件夹"),
                                 QStringLiteral("[FOLDER…]"));
    parser.process(QStringList{QCoreApplication::applicationFilePath()} + FileName::arguments(argc, argv));
    return {OrvaneApp::folderArguments(parser.positionalArguments(), QDir::currentPath()),
            parser.isSet(replace)};
}

// The window comes to the front, also from behind other windows or minimised.
void bringForward(QQuickWindow& window) {
    if (window.windowState() & Qt::WindowMinimized)
        window.showNormal();
    window.raise();
    window.requestActivate();
}

} // namespace

int main(int argc, char** argv) {
    ProcessMemory::limitHeaps();
    TerminationSignals::treatFileSizeLimitAsFullDisk();
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("Orvane"));
    QGuiApplication::setApplicationVersion(AppVersion::shortVersion());
    QGuiApplication::setDesktopFileName(QStringLiteral("orvane"));
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/orvane/orvane.svg")));
    // Before the first text is made: the texts and dates of the whole program follow it.
    AppLanguage::apply(AppSettings::chineseChosen(*AppSettings::standardStore()));
    const Arguments arguments = commandLine(argc, argv);

    // A copy already running takes the folders and comes forward; its export goes on.
    // Without a private folder for the channel (another account made ours), this start goes alone.
    InstanceChannel channel;
    const QString channelName = InstanceChannel::defaultName();
    if (arguments.replace)
        SingleInstance::terminateExistingInstances();
    else if (!channelName.isEmpty() && InstanceChannel::handOver(arguments.folders, channelName, 0))
        return 0;
    if (!channelName.isEmpty() && !channel.listen(channelName) &&
        InstanceChannel::handOver(arguments.folders, channelName))
        return 0; // another start holds the channel: it won a race with this one, or is busy starting

    OrvaneApp orvane;
    // After a replaced copy has gone, so what a forced one left is swept too.
    OrvaneApp::sweepLeftoversInBackground();
    orvane.settings().restore();

    QQmlApplicationEngine engine;
    QQuickWindow* window = ui::loadMainWindow(engine, orvane.viewModel(), orvane.updateController());
    if (!window) {
        std::fprintf(stderr, "Orvane: the main window could not be loaded\n");
        return 1;
    }
    // The launch check starts once the window is on screen, so a slow network never delays it.
    QObject::connect(window, &QQuickWindow::frameSwapped, &orvane.updateController(),
                     &AppUpdateController::checkOnLaunchIfNeeded, Qt::SingleShotConnection);
    QObject::connect(&channel, &InstanceChannel::foldersArrived, window, [&](const QStringList& folders) {
        if (!folders.isEmpty())
            orvane.viewModel().library()->importTeslaCamPaths(folders);
        bringForward(*window);
    });
    QObject::connect(&app, &QGuiApplication::aboutToQuit, window,
                     [&] { orvane.settings().saveWindowGeometry(window->geometry()); });
    ui::MainWindowConfigurator::present(*window, orvane.settings().windowGeometry());
    // The drives named on the command line, else those opened last that are still there.
    const QStringList drives =
        arguments.folders.isEmpty() ? orvane.settings().drivesToReopen() : arguments.folders;
    if (!drives.isEmpty())
        orvane.viewModel().library()->importTeslaCamPaths(drives);
    return app.exec();
}
