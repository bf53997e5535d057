#pragma once
// Sample-drive clips for the tests that read real video (their target links orvane_sample_drive).

#include "SampleDrive.h"

namespace orvane::test {

// Writes `spec` (H.264 with a frame pattern, the camera and the time in every picture, and
// telemetry before every frame) and returns its path.
inline QString writeClip(const sample::ClipSpec& spec) {
    sample::writeClip(spec);
    return spec.path;
}

} // namespace orvane::test
