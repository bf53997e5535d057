#pragma once

// The incident report: one A4 PDF per request with each event's times, place and reason, a still
// of every camera and the car's record at the chosen moment, 30 s of speed and acceleration, and
// the source files' SHA-256. Blocking: call it from a worker thread.

#include "CancellationToken.h"
#include "DashboardReadout.h"
#include "Instant.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace orvane {

struct IncidentReportRequest {
    QStringList eventFolders;
    QString outputPath;
    // Seconds after the event's first recorded frame; none: the moment the car saved it.
    std::optional<double> moment = std::nullopt;
    // A recording time (the frame on screen); wins over `moment`.
    std::optional<Instant> at = std::nullopt;
    bool hidePlace = false; // "隐去位置": no place, coordinates or route
    DashboardReadout::SpeedUnit speedUnit = DashboardReadout::SpeedUnit::kmh;
    CancellationToken cancel = {};
    std::function<void(double)> onProgress = nullptr; // 0…1, from the calling thread
};

namespace IncidentReport {

// Writes the PDF in the program's language beside `outputPath` and moves it there whole; an
// earlier file of that name stays until the report is complete. Throws FileSystemError (a folder
// that is not an event, a file that cannot be written), OperationCancelled.
void write(const IncidentReportRequest& request);

} // namespace IncidentReport
} // namespace orvane
