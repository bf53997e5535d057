#pragma once
// Every feature's blocking work and desktop actions in one place, so a test replaces any of them
// before the root view model is built: each feature gets its own part. Built on the interface
// thread; see each part for where its functions run.

#include "ExportServices.h"
#include "LibraryServices.h"
#include "PreviewServices.h"
#include "UnlockViewModel.h"

namespace orvane {

struct ViewModelServices : LibraryServices, PreviewServices, ExportServices, UnlockServices {
    // The scanner, step measuring, the Trash, QDesktopServices, the exporters, real players, the
    // key service and the keyring.
    static ViewModelServices standard() {
        return {LibraryServices::standard(), PreviewServices::standard(), ExportServices::standard(),
                UnlockServices::standard()};
    }
};

} // namespace orvane
