#pragma once
// The camera choices the screens offer (the preview's tabs, the merge editor's picker) as QML
// reads them: [{value: raw value, title: display name}]. Pure functions; any thread.

#include "CameraAngle.h"

#include <QVariantList>
#include <span>

namespace orvane::CameraOptions {

QVariantList list(std::span<const CameraAngle> cameras);

// The preview's tabs: the grid first ("四宫格", or "六宫格" for six cells), then every camera.
QVariantList preview(Camera::GridLayout layout = Camera::GridLayout::four);
// The merge editor's picker: every camera, never the grid.
QVariantList merge();

} // namespace orvane::CameraOptions
