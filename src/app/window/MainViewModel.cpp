#include "MainViewModel.h"

#include "AppLanguage.h"
#include "AppMessages.h"
#include "AppPools.h"
#include "ClipDeletionService.h"
#include "DriveOffer.h"
#include "DriveWatcher.h"
#include "ExportViewModel.h"
#include "LibraryViewModel.h"
#include "MergeViewModel.h"
#include "PreviewViewModel.h"
#include "UnlockViewModel.h"

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
      language_(new LanguageSetting(this)), unlock_(new UnlockViewModel(services_, this)),
      drives_(new DriveOffer(*library_, *exporter_, *messages_, this)),
      driveWatcher_(new DriveWatcher(this)) {
    connectFeatures();
    connect(driveWatcher_, &DriveWatcher::drivesChanged, drives_, &DriveOffer::drivesChanged);
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

// What one feature's change means for the others. A feature knows the ones before it (merge
// knows the library and the preview, export knows the preview and merge); everything that runs
// the other way is here: what a later feature tells an earlier one, and what an earlier one asks
// of a later one.
void MainViewModel::connectFeatures() {
    connectLibrary();
    connectMinutePicking();
    connectExport();
    connectUnlocking();
}

void MainViewModel::connectLibrary() {
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
    // The cards mark the splice's pick order and the open event.
    const auto markCards = [this] {
        library_->setOtherMarks(merge_->mergeSelectedEventIDs(), preview_->selectedEventID());
    };
    connect(merge_, &MergeViewModel::mergeSelectedEventIDsChanged, library_, markCards);
    connect(preview_, &PreviewViewModel::selectedEventChanged, library_, markCards);
}

// Choosing minutes of the open event to splice: the preview's minute list asks, the merge editor
// keeps the picks, and the list marks them.
void MainViewModel::connectMinutePicking() {
    connect(preview_, &PreviewViewModel::eventPreviewClosed, merge_,
            &MergeViewModel::cancelSegmentMergeSelection);
    connect(preview_, &PreviewViewModel::minutePickingRequested, merge_, [this](bool start) {
        if (start)
            merge_->startSegmentMergeSelection();
        else
            merge_->cancelSegmentMergeSelection();
    });
    connect(preview_, &PreviewViewModel::minutePickToggleRequested, merge_,
            &MergeViewModel::toggleMergeSegment);
    connect(preview_, &PreviewViewModel::pickedMinutesMergeRequested, merge_,
            &MergeViewModel::prepareMergeEditor);
    const auto showPicks = [this] {
        preview_->setMinutePicks(merge_->isSegmentMergeSelectionMode(), merge_->mergeSelectedTimestampKeys());
    };
    connect(merge_, &MergeViewModel::isSegmentMergeSelectionModeChanged, preview_, showPicks);
    connect(merge_, &MergeViewModel::mergeSelectedTimestampKeysChanged, preview_, showPicks);
}

// The preview and the merge editor ask for exports; the export tells them when one runs and
// where files go.
// Encrypted footage: opening it tries a token already known, the lock's button asks for one, and
// the keys that arrive make the preview and the cards read it as plain footage.
void MainViewModel::connectUnlocking() {
    connect(preview_, &PreviewViewModel::lockedFilesFound, unlock_, &UnlockViewModel::unlockQuietly);
    connect(preview_, &PreviewViewModel::unlockRequested, unlock_, &UnlockViewModel::present);
    connect(unlock_, &UnlockViewModel::unlocked, preview_, &PreviewViewModel::filesUnlocked);
    connect(unlock_, &UnlockViewModel::unlocked, library_, &LibraryViewModel::filesUnlocked);
}

void MainViewModel::connectExport() {
    connect(preview_, &PreviewViewModel::exportRequested, exporter_, &ExportViewModel::startProcessing);
    connect(preview_, &PreviewViewModel::aroundEventExportRequested, exporter_,
            &ExportViewModel::startAroundEventExport);
    connect(merge_, &MergeViewModel::exportRequested, exporter_, &ExportViewModel::startProcessing);
    connect(preview_, &PreviewViewModel::decryptedCopiesRequested, exporter_,
            &ExportViewModel::saveDecryptedCopies);
    connect(preview_, &PreviewViewModel::incidentReportRequested, exporter_,
            &ExportViewModel::writeIncidentReport);
    const auto showBusy = [this] {
        preview_->setExportBusy(exporter_->isProcessing());
        merge_->setExportBusy(exporter_->isProcessing());
    };
    connect(exporter_, &ExportViewModel::isProcessingChanged, this, showBusy);
    const auto showFolder = [this] {
        preview_->setOutputFolder(exporter_->outputFolderPath(), exporter_->createsOutputFolder());
    };
    connect(exporter_, &ExportViewModel::outputDestinationChanged, this, showFolder);
    showBusy();
    showFolder();
}

} // namespace orvane
