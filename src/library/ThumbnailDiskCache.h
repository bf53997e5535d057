#pragma once
// Event pictures kept on disk in the user's cache folder, so a library opened again shows its
// cards without decoding their videos. Any thread (each call stands alone).

#include "TeslaClipEvent.h"

#include <QImage>
#include <QString>
#include <functional>

namespace orvane::ThumbnailDiskCache {

// Where the pictures are kept: <XDG cache folder>/orvane/thumbnails.
QString folder();

// The event's picture from the cache when its files are unchanged since it was kept, else
// `make(event)`, which is then kept (a cache that cannot be written is passed over). Pictures of
// footage the car encrypted are never kept. Throws what `make` throws.
QImage image(const TeslaClipEvent& event, const std::function<QImage(const TeslaClipEvent&)>& make);

} // namespace orvane::ThumbnailDiskCache
