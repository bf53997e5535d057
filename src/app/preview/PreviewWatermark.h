#pragma once
// The recording time the preview lays over its video, printed exactly as exports burn it in.
// Pure functions; any thread.

#include "Instant.h"
#include "TeslaClipEvent.h"
#include "VideoSegmentPlaylist.h"

#include <QString>
#include <optional>

namespace orvane::PreviewWatermark {

// The instant on screen: the resolved file's start plus the time inside it; else the selected
// event's start (a position in a gap of the playlist shows the event, not the nearest file);
// else `now`.
Instant instant(const std::optional<PlaybackSegmentContext>& segment, const TeslaClipEvent* selectedEvent,
                Instant now);

// That instant in the exporter's own watermark form ("yyyy-MM-dd HH:mm:ss", local time).
QString text(const std::optional<PlaybackSegmentContext>& segment, const TeslaClipEvent* selectedEvent,
             Instant now);

// The system clock as an instant, for `now`.
Instant currentInstant();

} // namespace orvane::PreviewWatermark
