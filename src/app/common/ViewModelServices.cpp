#include "ViewModelServices.h"

#include "AppPools.h"
#include "ClipDeletionService.h"
#include "VideoSegmentPlaylist.h"

#include <QDesktopServices>

namespace orvane {

ViewModelServices ViewModelServices::standard() {
    ViewModelServices services;
    services.checkImportChoice = LibraryRules::checkImportChoice;
    services.scanLibrary = MetadataParser::scanLibrary;
    services.loadVideos = MetadataParser::loadVideos;
    services.measureSteps = [](const std::vector<PlaybackStep>& steps) {
        return VideoSegmentPlaylist::loadStepDurations(steps);
    };
    services.moveToTrash = [](const std::vector<TeslaClipEvent>& events) {
        return ClipDeletionService::moveSourceVideosToTrash(events);
    };
    services.openUrl = [](const QUrl& url) { QDesktopServices::openUrl(url); };
    services.exportEngine = ExportEngine::standard();
    services.preview = PreviewEnvironment::standard(AppPools::files());
    return services;
}

} // namespace orvane
