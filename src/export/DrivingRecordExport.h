#pragma once
// The driving record of recorded minutes as a CSV file beside the video exports: the columns of
// the command line's telemetry table plus the wall-clock time of each frame. Blocking (reads the
// footage, writes the file): call it off the interface thread.

#include "Instant.h"
#include "MinuteRecord.h"
#include "TeslaVideoFile.h"

#include <QString>
#include <vector>

namespace orvane::DrivingRecordExport {

// "recordedAt": the local wall-clock time of a frame, "yyyy-MM-dd HH:mm:ss.zzz".
inline const QString timeColumn = QStringLiteral("recordedAt");
QString frameTimeText(Instant instant);

// The table of the minutes' records in order, each record stamped with its frame's time (the
// minute's start plus the frame's time in its file, or its index at the cameras' rate when the
// file's frame times are unknown). Minutes without records add no rows.
QString table(const std::vector<std::pair<TeslaVideoFile, MinuteRecord>>& minutes);

// Reads the record of each minute (one file of each) and writes the table into `folder` under
// `fileName`, or a free variant of it: an existing file is never replaced, and a failed write
// leaves nothing. Returns the path written. Throws FileSystemError, and UserFacingError when no minute has a
// record ("这段录像没有行车数据").
QString write(const std::vector<TeslaVideoFile>& minutes, const QString& folder, const QString& fileName,
              const MinuteRecord::FileReader& reader = {});

} // namespace orvane::DrivingRecordExport
