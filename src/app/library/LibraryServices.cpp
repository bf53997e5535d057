#include "LibraryServices.h"

#include "ClipDeletionService.h"

namespace orvane {

LibraryServices LibraryServices::standard() {
    LibraryServices services;
    services.checkImportChoice = LibraryRules::checkImportChoice;
    services.scanLibrary = MetadataParser::scanLibrary;
    services.moveToTrash = [](const std::vector<TeslaClipEvent>& events) {
        return ClipDeletionService::moveSourceVideosToTrash(events);
    };
    return services;
}

} // namespace orvane
