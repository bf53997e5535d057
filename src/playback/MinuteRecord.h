#pragma once
// One minute's driving record as the dashboard reads it, and how it is found on disk.
// Blocking (touches the disk); any thread.

#include "TeslaTelemetrySample.h"
#include "TeslaVideoFile.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <utility>
#include <vector>

namespace orvane {

struct MinuteRecord {
    // Reads every sample of one file; must be safe to call from any thread.
    using FileReader = std::function<std::vector<TeslaTelemetrySample>(const QString& path)>;

    std::vector<TeslaTelemetrySample> samples; // the pedal on the percent scale
    std::vector<double> frameTimes;            // of the file holding them: record i is frame i
    QString path;                              // that file; empty without telemetry

    // The minute's samples and the frame times of their file; empty when no candidate has any.
    static MinuteRecord read(const TeslaVideoFile& video, const FileReader& reader);
    static MinuteRecord read(const TeslaVideoFile& video);
    // The files to read for a video, in order: its minute's front camera file beside it (the
    // car writes its record there first), the video itself, then the minute's other cameras'
    // files, never another minute's.
    static QStringList candidateFiles(const TeslaVideoFile& video);
    // The telemetry of the first candidate that holds some, its pedal on the percent scale, with
    // the file it came from. A file that cannot be read passes the turn to the next (every
    // camera's stream carries the record); one read whole without records ends the search (the
    // minute has none), except a front file's, which leaves the turn to the file after it.
    static std::pair<std::vector<TeslaTelemetrySample>, QString>
    firstWithTelemetry(const QStringList& candidates, const FileReader& reader);
};

} // namespace orvane
