#pragma once

#include <QVideoFrame>

#include <functional>
#include <optional>

namespace orvane::test {

// Processes events until `done` holds or `timeoutMs` passes; returns whether it held.
bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000);

// The frame index drawn into a video frame's luma plane, if readable.
std::optional<int> patternFrame(QVideoFrame frame);

} // namespace orvane::test
