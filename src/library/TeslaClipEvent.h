#pragma once

#include "CameraAngle.h"
#include "ClipCategory.h"
#include "EventMetadata.h"
#include "Instant.h"

#include <QString>
#include <QUuid>
#include <optional>

namespace orvane {

// One entry of the event browser: a clip folder's run of minutes, a continuous session of
// rolling recordings, or a single file.
struct TeslaClipEvent {
    QUuid id;
    QString folderURL; // absolute path of the folder holding the files
    QString folderName;
    ClipCategory category = ClipCategory::imported;
    Instant startTime = distantPast;
    std::optional<Instant> endTime;
    int videoCount = 0;
    std::optional<QString> locationLine;
    std::optional<QString> sourceFileURL;
    bool isContinuousSession = false;
    // The event.json beside the files, when there is one: the reason, the moment, the camera.
    std::optional<EventMetadata> metadata;
    // The car encrypted the event's footage (judged from the content of its first file).
    bool isEncrypted = false;

    // "HH:mm:ss", or "HH:mm:ss～HH:mm:ss" when the event ends later than it starts.
    QString timeRangeTitle() const;
    // Default name of an export of the whole event.
    QString continuousOutputFileName(CameraAngle camera) const;
    // The same for a range given in seconds from the event's start.
    QString partialContinuousOutputFileName(CameraAngle camera, double rangeStart, double rangeEnd) const;
    // A name these two make, its window's ends replaced by the recording times of the first and
    // last frames an export wrote; none for any other name.
    static std::optional<QString> retimedOutputFileName(const QString& fileName, Instant first, Instant last);
};

} // namespace orvane
