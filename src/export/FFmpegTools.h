#pragma once

#include "CancellationToken.h"
#include "ExportErrors.h"
#include "ExportPlan.h"
#include "ExportSettings.h"
#include "ExportTimeline.h"
#include "OwnedFiles.h"
#include "SkippedFootage.h"
#include "Transcoder.h"

#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace orvane {

// An intermediate file made by ffmpeg in the temporary folder and, for every piece in it,
// where it sits and when it was recorded. The file is removed with the last copy of this value.
struct IntermediateVideo {
    QString path;
    ExportTimeline timeline;
    // A source ended before its index said (cut short while being read): the file is shorter.
    bool sourceCutShort = false;
    std::shared_ptr<OwnedFile> file;
    // From the video's start to the first frame asked for: a copied cut begins at the key frame
    // before it, and the encoding pass skips this much.
    double lead = 0;
    // The footage left out (it cannot be read) or cut short, by file.
    SkippedList skipped = {};
    // The recording each piece was cut from, in piece order.
    std::vector<TeslaVideoFile> minutes = {};
    // Seconds the segments asked for.
    double asked = 0;
};

using ProgressCallback = std::function<void(double)>;

namespace FFmpegGridExporter {
// A grid (FFmpegCommands::gridCanvas) as raw pictures at the export's size, composed by ffmpeg
// minute by minute into a pipe the burn-in encoder reads as they come: one encoding pass for the
// whole export. Made, read and finished on one thread; its own thread runs ffmpeg.
class GridFeed {
public:
    // Starts composing. Throws FFmpegLocatorError, FileSystemError.
    // A timelapse (`speed` above 1) composes only the frames it takes, and ffmpeg decodes only
    // the stretches between key frames that hold them.
    GridFeed(std::vector<GridExportSegment> segments, Camera::GridLayout layout, ExportQuality quality,
             const CancellationToken& cancel, int speed = 1);
    // Stops ffmpeg when the reader went away early.
    ~GridFeed();
    GridFeed(const GridFeed&) = delete;
    GridFeed& operator=(const GridFeed&) = delete;

    // The pipe to read (ends when every minute was written or composing failed).
    media::RawVideoStream stream() const;
    QString pipePath() const;
    // When each minute of the stream was recorded, known before the first picture.
    const ExportTimeline& timeline() const;
    // Once the reader stopped (at the end, or failing): closes the pipe, waits for ffmpeg and
    // throws what ended composing before then (the minute's footage named). Returns whether a
    // source ended before its index said.
    bool finish();

private:
    void stopReading();
    struct State;
    std::unique_ptr<State> d;
};
} // namespace FFmpegGridExporter

namespace FFmpegSegmentMerger {
// Cuts the segments out of their files and joins them, stream copy first. A file that cannot be
// read at all is left out, one cut short gives what it holds (ReadableFootage), each named in the
// result; nothing readable at all fails. Throws FFmpegLocatorError, FFmpegSegmentMergerError,
// FileSystemError, OperationCancelled, GPUVideoExporterError.
IntermediateVideo merge(const std::vector<ContinuousExportSegment>& segments, bool forceReencode,
                        const ProgressCallback& onProgress, const CancellationToken& cancel);
} // namespace FFmpegSegmentMerger

} // namespace orvane
