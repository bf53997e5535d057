#include "LibraryServices.h"

#include "ClipDeletionService.h"
#include "HardBrakeCounts.h"

namespace orvane {

LibraryServices LibraryServices::standard() {
    LibraryServices services;
    services.checkImportChoice = LibraryRules::checkImportChoice;
    services.scanLibrary = MetadataParser::scanLibrary;
    services.moveToTrash = [](const std::vector<TeslaClipEvent>& events) {
        return ClipDeletionService::moveSourceVideosToTrash(events);
    };
    services.countHardBrakes = HardBrakeCounts::standardReader();
    return services;
}

} // namespace orvane
