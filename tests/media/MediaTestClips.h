#pragma once

#include "SampleDrive.h"

#include <QImage>
#include <QString>

#include <optional>

namespace orvane::test {

// A sample clip (frame pattern in every picture) written under `folder`.
QString writeTestClip(const QString& folder, const QString& name, double seconds = 2, int width = 160, int height = 120,
                      sample::Damage damage = sample::Damage::none, CameraAngle camera = CameraAngle::front);

// A clip whose first frame carries the timestamp `firstFrame` / fps (pattern numbers start there).
QString writeOffsetClip(const QString& path, int firstFrame, int frames, int fps = 36);

// The frame index drawn into a picture (any size, upright), if readable.
std::optional<int> patternFrame(const QImage& image);

} // namespace orvane::test
