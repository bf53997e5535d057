#pragma once

#include "CancellationToken.h"
#include "ExportErrors.h"

#include <QString>
#include <QStringList>

#include <functional>

namespace orvane::FFmpegProcess {

using Progress = std::function<void(double)>;

// Runs ffmpeg and waits for it. With a progress callback and an expected duration above 0,
// standard output is read as "-progress" output. A non-zero exit throws
// FFmpegSegmentMergerError with ffmpeg's trimmed standard error (or "未知错误"); a program
// that cannot start throws it with the system's reason. Cancelling stops the process and
// throws OperationCancelled. ffmpeg dies with this process, also when it is killed outright;
// the calling thread waits for it, as the kernel ties the child to that thread.
void run(const QString& executable, const QStringList& arguments, double expectedDuration, const Progress& onProgress,
         const CancellationToken& cancel);

} // namespace orvane::FFmpegProcess
