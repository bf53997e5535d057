#pragma once

#include "Instant.h"
#include "TeslaClipEvent.h"

#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace orvane::EventThumbnailLoader {

// The largest picture a card gets (aspect kept).
inline constexpr QSize maximumImageSize{760, 428};

// The event's MP4 files (absolute paths) grouped by minute, oldest minute first. Throws
// FileSystemError when the event's folder cannot be listed.
std::vector<QStringList> videoGroups(const TeslaClipEvent& event);

// The front camera's file of a minute, else the file that sorts first by name.
std::optional<QString> preferredVideoURL(const QStringList& urls);

// The local time a camera file name carries ("2024-05-01_10-20-30-front.mp4").
std::optional<Instant> fileNameDate(const QString& name);

// The first frame of the event's first minute, upright and within maximumImageSize. Blocks
// (run it off the interface thread); throws a std::exception subclass when there is no file
// or it cannot be decoded.
QImage image(const TeslaClipEvent& event);

// The event's length by EventLength::ofEvent (the one rule of the time lines and exports);
// 0 when its folder cannot be listed. Blocks.
double duration(const TeslaClipEvent& event);

} // namespace orvane::EventThumbnailLoader
