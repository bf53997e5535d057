#pragma once
// Turns what the user has selected (a file, a minute's grid, a run of minutes, or the merge
// editor's items, with the export range) into an export plan, and names and places its output.
// Plans go through ExportPlanner, as the command line's do. Pure functions; any thread.

#include "ExportPlan.h"
#include "ExportPlanner.h"
#include "ExportSettings.h"
#include "ProcessingJob.h"
#include "TeslaClipEvent.h"
#include "VideoMergeItem.h"

#include <QString>
#include <optional>
#include <vector>

namespace orvane {

// Everything of the view model's state an export reads.
struct ExportSelection {
    CameraAngle cameraFilter = CameraAngle::front;
    std::vector<TeslaVideoFile> videos; // the open event's files, all cameras
    std::optional<TeslaVideoFile> selectedVideo;
    std::optional<QString> selectedTimestampKey;
    std::optional<TeslaClipEvent> selectedEvent;
    std::vector<PlaybackStep> continuousPlaylistSteps;
    std::vector<double> continuousStepDurations;
    std::optional<double> rangeStart;
    std::optional<double> rangeEnd;
    bool isMergeEditorPresented = false;
    std::vector<VideoMergeItem> mergeItems;
    CameraAngle mergeCameraAngle = CameraAngle::front;
    double multiCameraDuration = 0; // the grid preview's length, 0 before it is known
    std::optional<ProcessingJob> job;
};

namespace ExportOrchestration {

// A grid minute whose length the preview does not know yet counts as a whole dashcam file.
inline constexpr double fallbackGridDuration = 60.0;

// Both ends set and start before end.
bool isRangeValid(const ExportSelection& s);
// The camera exported: the camera filter.
CameraAngle exportCameraAngle(const ExportSelection& s);
// The files a continuous export takes its minutes from (one camera).
std::vector<TeslaVideoFile> exportVideos(const ExportSelection& s);

ExportPlan buildExportPlan(const ExportSelection& s);
std::vector<ContinuousExportSegment> buildContinuousExportSegments(const ExportSelection& s,
                                                                   const std::vector<TeslaVideoFile>& videos);
// Every item's kept range; a minute already taken (by this or an earlier item) is not repeated.
std::vector<ContinuousExportSegment> buildMergeExportSegments(const std::vector<VideoMergeItem>& items);
std::vector<GridExportSegment> buildGridExportSegments(const ExportSelection& s);

// "Around the event": every minute of the open event, of the chosen camera or the grid (the
// range is set once the minutes are measured, ExportPlanner::rangeAround).
ExportRequest aroundEventRequest(const ExportSelection& s);
// Its output's name, after the wall-clock window it covers.
QString aroundEventFileName(const TeslaClipEvent& event, CameraAngle camera, Instant from, Instant until);

// Why an empty plan exports nothing, in the user's words.
QString emptyPlanMessage(const ExportSelection& s);

// The name the overlay shows and a folder export is saved under.
QString exportingFileName(const ExportSelection& s);
// The output's name: a single file's own name + "_watermarked.mp4", else exportingFileName.
QString outputFileName(const ExportPlan& plan, const QString& exportingFileName);
// Where the exporter writes: the destination folder, or for the photo library a staging file
// in `stagingFolder` under the same name, so the library's copy keeps it.
QString outputPath(const ExportPlan& plan, const OutputDestination& destination,
                   const QString& exportingFileName, const QString& stagingFolder);

} // namespace ExportOrchestration
} // namespace orvane
