#pragma once

#include "CameraAngle.h"
#include "EventMetadata.h"
#include "Instant.h"

#include <QString>
#include <QUuid>

#include <optional>

namespace orvane {

// One camera MP4 file.
struct TeslaVideoFile {
    QUuid id;
    QString url; // absolute path of the file
    QString fileName;
    Instant startTime = distantPast;
    std::optional<EventMetadata> eventMetadata;
    std::optional<CameraAngle> cameraAngle;

    // The file name without the first camera suffix that ends it (the minute's key).
    static QString timestampKey(const QString& fileName);
};

} // namespace orvane
