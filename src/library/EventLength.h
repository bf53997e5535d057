#pragma once

// How long a recorded minute and an event last: the one rule behind the event's card, the
// single view's and the grid's time lines and the exports' plans. Blocking where it looks at
// the disk and measures files (call it off the interface thread); any thread.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace orvane::EventLength {

// A file's duration in seconds, or nothing when it cannot be read.
using DurationReader = std::function<std::optional<double>(const QString& path)>;

// What a minute counts when none of its files can be measured: one dashcam file.
inline constexpr double unmeasuredMinute = 60.0;

// The camera files recorded in the same minute as `path` that lie beside it (same folder, same
// minute in the name): the front camera's first, then the others in camera order, each only
// when it is a regular file; `path` itself always. A file without a camera in its name stands
// alone.
QStringList minuteFiles(const QString& path);

// A minute lasts as long as the longest of its cameras' files that can be measured (those
// given and those beside them), so one camera cut short or unreadable neither shortens nor
// stretches it; unmeasuredMinute when none can be.
double ofMinute(const QStringList& files, const DurationReader& reader);

// The sum of the minutes' lengths.
double ofEvent(const std::vector<QStringList>& minutes, const DurationReader& reader);

// The container's duration (MediaProbe).
std::optional<double> containerDuration(const QString& path);

} // namespace orvane::EventLength
