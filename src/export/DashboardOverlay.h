#pragma once
// The preview's dashboard strip drawn into exported frames: what it shows for a record, and
// the record of each frame of an export. Any thread; one DashboardTrack per export.

#include "DashboardReadout.h"
#include "ExportTimeline.h"
#include "MinuteRecord.h"
#include "OverlayRenderer.h"
#include "TelemetryInterpolation.h"
#include "TeslaVideoFile.h"

#include <QRect>
#include <optional>
#include <vector>

namespace orvane {

namespace DashboardOverlay {

// The strip for a frame and where its speed digits sit, in frame pixels.
struct PlacedStrip {
    OverlayRenderer::PlacedImage placed;
    QRect speedDigits;
};

// The strip drawn at a size proportional to the frame, centred in its lower part just above the
// time box, on a semi-transparent background.
PlacedStrip place(const DashboardReadout::State& state, int frameWidth, int frameHeight);

} // namespace DashboardOverlay

// Which record each frame of an exported file shows: the frame's piece of the timeline names
// its minute (`minutes[i]` is the recording of piece i), and within that minute the record of the
// source frame, as the preview picks it. Keeps one minute's record at a time.
class DashboardTrack {
public:
    DashboardTrack(ExportTimeline timeline, std::vector<TeslaVideoFile> minutes,
                   DashboardReadout::SpeedUnit unit, MinuteRecord::FileReader reader = {});

    // The strip's content for the frame at `fileTime` seconds into the file; none when its minute
    // has no telemetry (counted in framesWithout()).
    std::optional<DashboardReadout::State> stateAt(double fileTime);
    // The record the frame at `fileTime` shows, with the steering angle between records; none
    // when its minute has no telemetry.
    std::optional<TelemetryInterpolator::ShownRecord> recordAt(double fileTime);
    int64_t framesWithout() const { return framesWithout_; }

private:
    const MinuteRecord& minuteOf(size_t piece);

    ExportTimeline timeline_;
    std::vector<TeslaVideoFile> minutes_;
    DashboardReadout::SpeedUnit unit_;
    MinuteRecord::FileReader reader_;
    std::optional<size_t> loadedPiece_;
    MinuteRecord loaded_;
    int64_t framesWithout_ = 0;
};

} // namespace orvane
