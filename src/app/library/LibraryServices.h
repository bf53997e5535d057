#pragma once
// The blocking work the library browser runs off the interface thread, replaceable in tests:
// checking and scanning the folders imported and moving events' files to the Trash. Built on the
// interface thread; the functions themselves are safe on any thread.

#include "LibraryRules.h"
#include "MetadataParser.h"

#include <functional>
#include <vector>

namespace orvane {

struct LibraryServices {
    std::function<LibraryRules::ImportChoice(const QStringList& paths)> checkImportChoice;
    std::function<EventsByCategory(const QStringList& folders)> scanLibrary;
    std::function<int(const std::vector<TeslaClipEvent>&)> moveToTrash;

    // The import check, the scanner and the Trash.
    static LibraryServices standard();
};

} // namespace orvane
