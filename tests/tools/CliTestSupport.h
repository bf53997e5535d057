#pragma once
// What the command-line tests share: camera files named as the car names them.
// Test thread only.

#include "SampleDrive.h"
#include "TestSupport.h"

namespace orvane::test {

// A loose camera file in `tmp` named as the car names it, so its recording time is known.
inline QString writeCarClip(const TempFolder& tmp, const QString& name, double seconds = 1, int width = 160,
                            int height = 120) {
    sample::ClipSpec clip;
    clip.path = tmp / name;
    clip.width = width;
    clip.height = height;
    clip.seconds = seconds;
    sample::writeClip(clip);
    return clip.path;
}

} // namespace orvane::test
