#include "FFmpegProcess.h"

#include "ChildProcess.h"
#include "ExportErrors.h"
#include "FFmpegCommands.h"

#include <QProcess>
#include <cerrno>
#include <clocale>
#include <cstring>
#include <locale.h>

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
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    // The system's texts in ffmpeg's words as systemErrorIn knows them.
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C"));
    process.setProcessEnvironment(environment);
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
        // ffmpeg's own words stay out of sight; a refused system call it names is told in the
        // system's words.
        const int error = systemErrorIn(standardError);
        throw FFmpegSegmentMergerError::commandFailed(
            error ? qt_error_string(error) : QString(FFmpegSegmentMergerError::unknownFailure), error);
    }
    cancel.check();
}

int systemErrorIn(const QByteArray& standardError) {
    // The failures of the file system and devices an export meets, as ffmpeg prints them (it runs
    // in the C locale).
    static const int errors[] = {ENOSPC, EDQUOT, EFBIG,  EROFS,  EIO,  ENXIO,
                                 ENODEV, ESTALE, ENOENT, EACCES, EPERM};
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t(nullptr));
    for (int error : errors)
        if (cLocale && standardError.contains(strerror_l(error, cLocale)))
            return error;
    return 0;
}

} // namespace orvane::FFmpegProcess
