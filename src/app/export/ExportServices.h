#pragma once
// What the export runs and opens, replaceable in tests: the exporters and the desktop's opening of
// folders. Built on the interface thread; the export engine blocks and is run off it, openUrl runs
// on the interface thread.

#include "ExportJobRunner.h"

#include <QUrl>
#include <functional>

namespace orvane {

struct ExportServices {
    ExportEngine exportEngine;
    // Opens a folder or address with the desktop (interface thread); false when no program
    // could open it.
    std::function<bool(const QUrl&)> openUrl;
    // Lets the export overlay appear before work starts; a cancel within it runs nothing.
    int exportStartDelayMilliseconds = 80;
    // How long shutdown waits for a cancelled export to clean up.
    int shutdownWaitMilliseconds = 10000;

    // The exporters and QDesktopServices.
    static ExportServices standard();
};

} // namespace orvane
