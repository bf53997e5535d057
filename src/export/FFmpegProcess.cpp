#include "FFmpegProcess.h"

#include "ChildProcess.h"
#include "ExportErrors.h"
#include "FFmpegCommands.h"

#include <QProcess>

namespace orvane::FFmpegProcess {

void run(const QString& executable, const QStringList& arguments, double expectedDuration, const Progress& onProgress,
         const CancellationToken& cancel) {
    cancel.check();
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    const bool parseProgress = bool(onProgress) && expectedDuration > 0;
    if (!parseProgress)
        process.setStandardOutputFile(QProcess::nullDevice());
    process.setProgram(executable);
    process.setArguments(arguments);
    // A killed export must not leave ffmpeg writing files nobody will remove.
    ChildProcess::endWithParent(process);
    process.start(QIODevice::ReadOnly);
    if (!process.waitForStarted(-1))
        throw FFmpegSegmentMergerError::commandFailed(process.errorString());

    FFmpegCommands::ProgressParser parser(expectedDuration);
    QByteArray standardError;
    auto drain = [&] {
        // Draining both pipes as we go keeps a chatty ffmpeg from blocking on a full pipe.
        standardError += process.readAllStandardError();
        if (parseProgress)
            for (double p : parser.feed(process.readAllStandardOutput()))
                onProgress(p);
    };
    while (!process.waitForFinished(50)) {
        if (process.state() == QProcess::NotRunning)
            break;
        drain();
        if (cancel.isCancelled()) {
            // The result would be discarded anyway; do not leave it running behind the user's back.
            process.kill();
            process.waitForFinished(-1);
            throw OperationCancelled();
        }
    }
    drain();
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        QString message = QString::fromUtf8(standardError).trimmed();
        if (message.isEmpty())
            message = FFmpegSegmentMergerError::unknownFailure;
        throw FFmpegSegmentMergerError::commandFailed(message);
    }
    cancel.check();
}

} // namespace orvane::FFmpegProcess
