#pragma once
// The screenshot harness's real application state for the preview and merge editor scenes: a
// small drive of two saved events imported into a MainViewModel, and the moment of the drive
// worth showing. Interface thread.

#include "MainViewModel.h"

#include <QString>
#include <QVariantMap>
#include <memory>

namespace orvane::screenshots {

struct PreviewFixtures {
    std::unique_ptr<MainViewModel> viewModel;
    // eventID (the two-minute event), mergeEventIDs (both events, oldest first), driveTime (a
    // moment of its last minute at speed with a blinker on and a pedal pressed), rangeStart.
    QVariantMap values;
};

// Writes the drive under `work` and imports it (blocks until the library is read).
PreviewFixtures makePreviewFixtures(const QString& work);

} // namespace orvane::screenshots
