#pragma once
// The blocking work the library browser runs off the interface thread, replaceable in tests:
// checking and scanning the folders imported, moving events' files to the Trash and counting
// an event's hard brakes. Built on the
// interface thread; the functions themselves are safe on any thread.

#include "CancellationToken.h"
#include "LibraryRules.h"
#include "MetadataParser.h"

#include <functional>
#include <optional>
#include <vector>

namespace orvane {

struct LibraryServices {
    std::function<LibraryRules::ImportChoice(const QStringList& paths)> checkImportChoice;
    std::function<EventsByCategory(const QStringList& folders)> scanLibrary;
    std::function<int(const std::vector<TeslaClipEvent>&)> moveToTrash;
    // An event's hard brakes, counted (none when it cannot be known); throws OperationCancelled.
    std::function<std::optional<int>(const TeslaClipEvent&, const CancellationToken&)> countHardBrakes;

    // The import check, the scanner and the Trash.
    static LibraryServices standard();
};

} // namespace orvane
