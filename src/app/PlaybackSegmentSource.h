#pragma once
// What a preview page's telemetry timeline asks of the object that knows the open playlist
// (the main view model implements it). Called on the interface thread only.

#include "VideoSegmentPlaylist.h"

#include <optional>

namespace orvane {

class PlaybackSegmentSource {
public:
    virtual ~PlaybackSegmentSource() = default;
    // The file and local time for a global playback time; none when nothing is playing.
    virtual std::optional<PlaybackSegmentContext> playbackSegment(double time) const = 0;
    // The start of the following step, for reading its telemetry ahead of time.
    virtual std::optional<PlaybackSegmentContext> nextPlaybackSegment(double time) const = 0;

protected:
    PlaybackSegmentSource() = default;
    PlaybackSegmentSource(const PlaybackSegmentSource&) = default;
    PlaybackSegmentSource& operator=(const PlaybackSegmentSource&) = default;
};

} // namespace orvane
