#pragma once
// What a preview page's telemetry timeline asks of the object that knows the open playlist (the
// preview view model is one). A QObject, so the timeline can hold it by a guarded, typed
// pointer. Interface thread only.

#include "VideoSegmentPlaylist.h"

#include <QObject>
#include <QtQml/qqmlregistration.h>
#include <optional>

namespace orvane {

class PlaybackSegmentSource : public QObject {
    Q_OBJECT
    QML_ANONYMOUS

public:
    // The file and local time for a global playback time; none when nothing is playing.
    virtual std::optional<PlaybackSegmentContext> playbackSegment(double time) const = 0;
    // The start of the following step, for reading its telemetry ahead of time.
    virtual std::optional<PlaybackSegmentContext> nextPlaybackSegment(double time) const = 0;

protected:
    using QObject::QObject;
};

} // namespace orvane
