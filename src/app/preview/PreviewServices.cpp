#include "PreviewServices.h"

#include "AppPools.h"
#include "VideoSegmentPlaylist.h"

namespace orvane {

PreviewServices PreviewServices::standard() {
    PreviewServices services;
    services.loadVideos = MetadataParser::loadVideos;
    services.measureSteps = [](const std::vector<PlaybackStep>& steps) {
        return VideoSegmentPlaylist::loadStepDurations(steps);
    };
    services.preview = PreviewEnvironment::standard(AppPools::files());
    return services;
}

} // namespace orvane
