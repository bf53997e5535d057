#include "MainViewModel.h"

#include "AppLanguage.h"
#include "AppMessages.h"
#include "AppPools.h"
#include "ClipDeletionService.h"
#include "ExportViewModel.h"
#include "LibraryViewModel.h"
#include "MergeViewModel.h"
#include "PreviewViewModel.h"

#include <QThreadPool>

namespace orvane {

namespace {
// How long quitting waits for a scan, load or measuring still running.
constexpr int quitWaitForFileWorkMilliseconds = 500;
} // namespace

MainViewModel::MainViewModel(QObject* parent) : MainViewModel(ViewModelServices::standard(), parent) {
    // Qt trashes into the working folder when the user's data folder is missing.
    ClipDeletionService::ensureGenericDataFolder();
}

MainViewModel::MainViewModel(ViewModelServices services, QObject* parent)
    : QObject(parent), services_(std::move(services)),
      messages_(new AppMessages(LibraryRules::startMessage, this)),
      library_(new LibraryViewModel(services_, *messages_, this)),
      preview_(new PreviewViewModel(services_, *messages_, *library_, this)),
      merge_(new MergeViewModel(services_, *messages_, *library_, *preview_, this)),
      exporter_(new ExportViewModel(services_, *messages_, *preview_, *merge_, this)),
      language_(new LanguageSetting(this)) {
    connectFeatures();
}

MainViewModel::~MainViewModel() {
    shutdown();
    // Work still running only reads the disk and holds no reference to the features; a scan of a
    // slow drive must not hold up quitting for long.
    AppPools::files()->clear();
    AppPools::files()->waitForDone(quitWaitForFileWorkMilliseconds);
}

void MainViewModel::shutdown() {
    exporter_->shutdown();
}

// What one feature's change means for the others. Features below in the list know the ones
// above them (merge knows the library and the preview, export knows the preview and merge);
// everything that runs the other way is here.
void MainViewModel::connectFeatures() {
    // A new import or a new library: nothing of the old one plays or stays open.
    connect(library_, &LibraryViewModel::importStarted, preview_, &PreviewViewModel::stopPlayers);
    connect(library_, &LibraryViewModel::libraryReplaced, preview_, &PreviewViewModel::closeEventPreview);
    // Choosing a category closes the open event and ends a merge selection outside the saved clips.
    connect(library_, &LibraryViewModel::categoryChosen, merge_, &MergeViewModel::leaveCategory);
    connect(library_, &LibraryViewModel::categoryChosen, preview_, &PreviewViewModel::closeEventPreview);
    // Choosing events to delete and choosing events to splice exclude each other.
    connect(library_, &LibraryViewModel::deleteSelectionStarted, merge_,
            &MergeViewModel::cancelMergeSelection);
    // Deleted events are no longer picked nor open.
    connect(library_, &LibraryViewModel::eventsRemoved, merge_, &MergeViewModel::forgetEvents);
    connect(library_, &LibraryViewModel::eventsRemoved, preview_, &PreviewViewModel::closeEventAmong);
    // Closing the preview ends choosing its minutes.
    connect(preview_, &PreviewViewModel::eventPreviewClosed, merge_,
            &MergeViewModel::cancelSegmentMergeSelection);
    // The cards mark the splice's pick order and the open event; the minute chips mark the picked minutes.
    const auto markCards = [this] {
        library_->setOtherMarks(merge_->mergeSelectedEventIDs(), preview_->selectedEventID());
    };
    connect(merge_, &MergeViewModel::mergeSelectedEventIDsChanged, library_, markCards);
    connect(preview_, &PreviewViewModel::selectedEventChanged, library_, markCards);
    connect(merge_, &MergeViewModel::mergeSelectedTimestampKeysChanged, preview_,
            [this] { preview_->setMergeMarks(merge_->mergeSelectedTimestampKeys()); });
}

} // namespace orvane
