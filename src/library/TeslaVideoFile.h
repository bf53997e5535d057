#pragma once

#include "CameraAngle.h"
#include "EventMetadata.h"
#include "Instant.h"

#include <QString>
#include <QUuid>
#include <optional>
#include <vector>

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

// The grid the files fill: six cells when a pillar camera's file is among them, else four.
Camera::GridLayout gridLayoutOf(const std::vector<TeslaVideoFile>& videos);

} // namespace orvane
