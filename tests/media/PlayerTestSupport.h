#pragma once

#include "TestSupport.h"

#include <QVideoFrame>

#include <optional>

namespace orvane::test {

// The frame index drawn into a video frame's luma plane, if readable.
std::optional<int> patternFrame(QVideoFrame frame);

} // namespace orvane::test
