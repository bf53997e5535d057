#pragma once
// The features of a main view model by name, for tests that act on several of them:
//   auto [library, preview, merge, exporter, messages] = test::features(vm);
// Interface thread.

#include "AppMessages.h"
#include "ExportViewModel.h"
#include "LibraryViewModel.h"
#include "MainViewModel.h"
#include "MergeViewModel.h"
#include "PreviewViewModel.h"

namespace orvane::test {

struct Features {
    LibraryViewModel& library;
    PreviewViewModel& preview;
    MergeViewModel& merge;
    ExportViewModel& exporter;
    AppMessages& messages;
};

inline Features features(MainViewModel& vm) {
    return {*vm.library(), *vm.preview(), *vm.merge(), *vm.exporter(), *vm.messages()};
}

} // namespace orvane::test
