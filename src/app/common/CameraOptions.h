#pragma once
// The camera choices the screens offer (the preview's tabs, the merge editor's picker): each a
// camera's raw value and its display name. Pure functions; any thread.

#include "CameraAngle.h"
#include "ChoiceListModel.h"

#include <span>
#include <vector>

namespace orvane::CameraOptions {

std::vector<Choice> list(std::span<const CameraAngle> cameras);

// The preview's tabs: the grid first ("四宫格", or "六宫格" for six cells), then the cameras
// given, in the cameras' order (every camera when none is given).
std::vector<Choice> preview(Camera::GridLayout layout = Camera::GridLayout::four,
                            std::span<const CameraAngle> cameras = Camera::physicalCases);
// The merge editor's picker: every camera, never the grid.
std::vector<Choice> merge();

} // namespace orvane::CameraOptions
