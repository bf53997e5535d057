#pragma once

#include "CancellationToken.h"
#include "ExportErrors.h"
#include "ExportPlan.h"
#include "ExportTimeline.h"
#include "OwnedFiles.h"

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
};

using ProgressCallback = std::function<void(double)>;

namespace FFmpegGridExporter {
// Composes the segments into one 2560 × 1440 grid video in the temporary folder.
// Throws FFmpegLocatorError, FFmpegSegmentMergerError, FileSystemError, OperationCancelled.
IntermediateVideo compose(const std::vector<GridExportSegment>& segments, const ProgressCallback& onProgress,
                          const CancellationToken& cancel);
} // namespace FFmpegGridExporter

namespace FFmpegSegmentMerger {
// Cuts the segments out of their files and joins them, stream copy first.
IntermediateVideo merge(const std::vector<ContinuousExportSegment>& segments, bool forceReencode,
                        const ProgressCallback& onProgress, const CancellationToken& cancel);
} // namespace FFmpegSegmentMerger

} // namespace orvane
