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
// FFmpegSegmentMergerError with the system's words for a refused system call ffmpeg reports (a
// full disk, a pulled drive) and its errno, else "未知错误"; a program that cannot start throws
// it with the system's reason. Cancelling stops the process and
// throws OperationCancelled. ffmpeg dies with this process, also when it is killed outright;
// the calling thread waits for it, as the kernel ties the child to that thread.
void run(const QString& executable, const QStringList& arguments, double expectedDuration, const Progress& onProgress,
         const CancellationToken& cancel);

// The errno whose C-locale text ffmpeg's standard error holds, among the failures of files and
// devices; 0 for none.
int systemErrorIn(const QByteArray& standardError);

} // namespace orvane::FFmpegProcess
