#pragma once
// The route of a drive as a GPX 1.1 document that mapping and GIS tools read.
// Pure formatting; any thread.

#include "DriveProfile.h"

#include <QByteArray>
#include <QString>

namespace orvane::DriveGpx {

// The namespace of Garmin's TrackPointExtension (v2), which carries each point's speed (m/s)
// and course (degrees clockwise from true north) in a form those tools already know.
inline const QString trackPointExtensionNamespace =
    QStringLiteral("http://www.garmin.com/xmlschemas/TrackPointExtension/v2");

// One track named `name`, one point per distinct position, each stamped with its frame's
// recording time in UTC (points whose minute's start is unknown are left out). A pause of
// more than segmentGapSeconds between points starts a new segment. `creator` names the program.
QByteArray document(const DriveProfile& profile, const QString& name, const QString& creator);

inline constexpr double segmentGapSeconds = 5;

} // namespace orvane::DriveGpx
