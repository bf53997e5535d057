#pragma once

// What of the footage an export asks for can be read, decided before any work from each file's
// index against its bytes on disk: a file that cannot be read at all is left out, one cut short
// gives what it holds, and each is named. A file the system refuses to read (a drive pulled out)
// fails the export instead. Blocking (opens the files); any thread.

#include "ExportErrors.h"
#include "ExportPlan.h"
#include "SkippedFootage.h"

#include <QString>
#include <optional>
#include <vector>

namespace orvane::ReadableFootage {

struct Exportable {
    double asked = 0;             // seconds the plan asked of the file (to its end: as its index says)
    std::optional<double> length; // seconds to take from the start asked (0: to the end); none: left out
    bool opens = true;            // false: the file cannot be read as video at all
};

// `trimDuration` seconds of `video` from `trimStart` (0: to its end), judged on `path` (the file
// read: the user's or a copy of it). What is left out or cut short is added to `skipped`.
// Throws GPUVideoExporterError (naming the file when the system refuses it; for the car's
// encryption, encryptedSource).
Exportable check(const TeslaVideoFile& video, const QString& path, double trimStart, double trimDuration,
                 SkippedList& skipped);

// The grid minutes without their cameras that cannot be read, each cut to the longest of its
// readable cameras; minutes with none are left out. `asked` grows by the seconds asked.
std::vector<GridExportSegment> readableGrid(const std::vector<GridExportSegment>& segments,
                                            SkippedList& skipped, double& asked);

// Adds `video` as left out for `reason`.
void leaveOut(const TeslaVideoFile& video, double asked, const QString& reason, SkippedList& skipped);

// The failure when nothing of the footage asked for could be read: the first file and why.
GPUVideoExporterError nothingReadable(const SkippedList& skipped);

// The words for data that ends early or is damaged.
QString damagedText();

// The failure for a source that cannot be read: its name and why.
GPUVideoExporterError unreadableSource(const QString& fileName, const QString& reason);

} // namespace orvane::ReadableFootage
