#include "PreviewWatermark.h"

#include "OverlayRenderer.h"

#include <QDateTime>

namespace orvane::PreviewWatermark {

namespace {
constexpr double millisecondsPerSecond = 1000.0;
}

Instant instant(const std::optional<PlaybackSegmentContext>& segment, const TeslaClipEvent* selectedEvent,
                Instant now) {
    if (segment)
        return segment->video.startTime + segment->localTime;
    if (selectedEvent)
        return selectedEvent->startTime;
    return now;
}

QString text(const std::optional<PlaybackSegmentContext>& segment, const TeslaClipEvent* selectedEvent,
             Instant now) {
    return OverlayRenderer::watermarkText(instant(segment, selectedEvent, now));
}

Instant currentInstant() {
    return double(QDateTime::currentMSecsSinceEpoch()) / millisecondsPerSecond;
}

} // namespace orvane::PreviewWatermark
