#pragma once
// Reads the drive of a whole event: every minute's record placed on the event's time line as the
// players lay the minutes out. Blocking (reads and measures the files); any thread.

#include "CancellationToken.h"
#include "DriveProfile.h"
#include "MinuteRecord.h"
#include "TeslaVideoFile.h"
#include "VideoSegmentPlaylist.h"

#include <vector>

namespace orvane::EventDrive {

// The event's minutes (any cameras' files of them) in order, each lasting its measured length.
// A minute without a record keeps its place with no points. Throws OperationCancelled.
DriveProfile
read(const std::vector<TeslaVideoFile>& videos, const CancellationToken& cancel = {},
     const MinuteRecord::FileReader& reader = {},
     const VideoSegmentPlaylist::DurationReader& durations = VideoSegmentPlaylist::containerDuration);

} // namespace orvane::EventDrive
