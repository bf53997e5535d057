#pragma once
// How many times the car braked hard in an event, counted from its footage's records and kept on
// disk in the user's cache folder, so a library opened again marks its cards without reading the
// footage. Blocking (lists, reads and writes files); any thread (each call stands alone).

#include "CancellationToken.h"
#include "MinuteRecord.h"
#include "TeslaClipEvent.h"
#include "TeslaVideoFile.h"

#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace orvane::HardBrakeCountCache {

using Counter =
    std::function<int(const std::vector<TeslaVideoFile>& videos, const CancellationToken& cancel)>;

// Where the counts are kept: <XDG cache folder>/orvane/hard-brakes.
QString folder();

// What names an event (its folder or file and its time window), not the state of its files: a
// file changed later replaces its entry instead of leaving a stale one beside it.
QString eventKey(const TeslaClipEvent& event);

// The preview's hard-brake marks (DriveProfile) over every minute of the footage, counted; each
// minute's record read by `reader` (the car's records in the files by default).
// Throws OperationCancelled.
int countFromFootage(const std::vector<TeslaVideoFile>& videos, const CancellationToken& cancel,
                     const MinuteRecord::FileReader& reader = {});

// The event's count as kept in `dir` when its files (paths, sizes, modification times) and the
// rule are as they were when it was kept, else `count` of its files, which is then kept (written
// whole; a damaged entry is counted again, a cache that cannot be written is passed over) unless
// the files changed or went while being read. Footage the car encrypted is counted but never
// kept. None when the event's folder cannot be listed. Throws OperationCancelled and what `count`
// throws.
std::optional<int> count(const TeslaClipEvent& event, const Counter& count,
                         const CancellationToken& cancel = {}, const QString& dir = folder());

} // namespace orvane::HardBrakeCountCache
