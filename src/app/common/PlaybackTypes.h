#pragma once
// The preview players of the playback library as QML types, so screens take them as typed
// properties (`property PreviewController player`). Uncreatable: the view models own them.
// Registration only.

#include "MultiCameraPreviewController.h"
#include "PreviewController.h"
#include "VideoPreviewController.h"

#include <QtQml/qqml.h>

namespace orvane {

struct PreviewControllerForeign {
    Q_GADGET
    QML_FOREIGN(orvane::PreviewController)
    QML_NAMED_ELEMENT(PreviewController)
    QML_UNCREATABLE("Players belong to the view models")
};

struct VideoPreviewControllerForeign {
    Q_GADGET
    QML_FOREIGN(orvane::VideoPreviewController)
    QML_NAMED_ELEMENT(VideoPreviewController)
    QML_UNCREATABLE("Players belong to the view models")
};

struct MultiCameraPreviewControllerForeign {
    Q_GADGET
    QML_FOREIGN(orvane::MultiCameraPreviewController)
    QML_NAMED_ELEMENT(MultiCameraPreviewController)
    QML_UNCREATABLE("Players belong to the view models")
};

} // namespace orvane
