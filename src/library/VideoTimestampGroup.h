#pragma once

#include "Instant.h"
#include "TeslaVideoFile.h"

#include <QString>

#include <vector>

namespace orvane {

// The files of one recorded minute across cameras, identified by their timestamp key.
struct VideoTimestampGroup {
    QString id;
    Instant startTime = distantPast; // the latest start among its files
    std::vector<TeslaVideoFile> videos; // latest first

    // Groups by timestamp key; groups latest first, stable for equal times.
    static std::vector<VideoTimestampGroup> groups(const std::vector<TeslaVideoFile>& videos);
};

} // namespace orvane
