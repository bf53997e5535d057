#pragma once
// One entry of the merge editor: a saved event or one minute of an event on the merge camera,
// with the part of it the user keeps. Plain value; any thread.

#include "PlaybackStep.h"
#include "TeslaClipEvent.h"
#include "TeslaVideoFile.h"

#include <QUuid>
#include <numeric>
#include <vector>

namespace orvane {

struct VideoMergeItem {
    QUuid id; // the event's id for an event merge; new for each minute of a minute merge
    TeslaClipEvent event;
    std::vector<TeslaVideoFile> videos;      // the merge camera's files
    std::vector<PlaybackStep> playlistSteps; // VideoSegmentPlaylist::singleCamera(videos).steps
    std::vector<double> stepDurations;       // measured, never 0
    double rangeStart = 0;
    double rangeEnd = 0;

    double totalDuration() const { return std::accumulate(stepDurations.begin(), stepDurations.end(), 0.0); }
    double keptDuration() const { return rangeEnd - rangeStart; }
};

} // namespace orvane
