#pragma once
// The blocking work and the desktop actions the main view model uses, replaceable in tests:
// every function here except openUrl blocks and is run by the view model off the interface
// thread. Built on the interface thread; the functions themselves are safe on any thread.

#include "ExportJobRunner.h"
#include "LibraryRules.h"
#include "MetadataParser.h"
#include "PreviewEnvironment.h"

#include <QUrl>
#include <functional>
#include <vector>

namespace orvane {

struct ViewModelServices {
    std::function<LibraryRules::ImportChoice(const QStringList& paths)> checkImportChoice;
    std::function<EventsByCategory(const QStringList& folders)> scanLibrary;
    std::function<std::vector<TeslaVideoFile>(const TeslaClipEvent&, CameraAngle)> loadVideos;
    std::function<std::vector<double>(const std::vector<PlaybackStep>&)> measureSteps;
    std::function<int(const std::vector<TeslaClipEvent>&)> moveToTrash;
    // Opens a folder or address with the desktop (interface thread).
    std::function<void(const QUrl&)> openUrl;
    ExportEngine exportEngine;
    PreviewEnvironment preview;
    // Lets the export overlay appear before work starts; a cancel within it runs nothing.
    int exportStartDelayMilliseconds = 80;
    // How long shutdown waits for a cancelled export to clean up.
    int shutdownWaitMilliseconds = 10000;

    // The scanner, step measuring, the Trash, QDesktopServices, the exporters and real players.
    static ViewModelServices standard();
};

} // namespace orvane
