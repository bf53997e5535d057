#pragma once
// The blocking work behind the preview and the merge editor's player, replaceable in tests:
// loading an event's files, measuring minutes, and the players with their timers. Built on the
// interface thread; loadVideos and measureSteps block and are run off it.

#include "MetadataParser.h"
#include "PlaybackStep.h"
#include "PreviewEnvironment.h"

#include <functional>
#include <vector>

namespace orvane {

struct PreviewServices {
    std::function<std::vector<TeslaVideoFile>(const TeslaClipEvent&, CameraAngle)> loadVideos;
    std::function<std::vector<double>(const std::vector<PlaybackStep>&)> measureSteps;
    PreviewEnvironment preview;

    // The scanner's file loading, step measuring and real players on the application's file pool.
    static PreviewServices standard();
};

} // namespace orvane
