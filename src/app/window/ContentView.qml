import QtQuick
import QtQuick.Controls
import QtQuick.Dialogs
import QtQuick.Layouts
import Orvane.Common
import Orvane.Preview
import Orvane.Merge
import Orvane.Export
import Orvane.Window
import Orvane.Update

// The main window's content. One screen fills it: the export progress, the export result, the
// merge editor, or the library in two columns (sidebar and event browser) with the event preview
// over it. Over any screen at most one blocking overlay (deleting, else updating), and the
// window's alerts, sheets and folder choosers. What shows when is ContentViewState's; this file
// keeps only the view state below.
FocusScope {
    id: root

    required property MainViewModel viewModel
    required property AppUpdateController updateController

    property bool showAboutSheet: false
    property bool sidebarVisible: true
    property bool showDeleteConfirmation: false
    readonly property alias screenState: screenState

    ContentViewState {
        id: screenState
        viewModel: root.viewModel
        updateController: root.updateController
    }

    LibraryColumns {
        objectName: "libraryColumns"
        anchors.fill: parent
        visible: screenState.isEventBrowserVisible
        viewModel: root.viewModel
        screenState: screenState
        sidebarVisible: root.sidebarVisible
        onToggleSidebar: root.sidebarVisible = !root.sidebarVisible
        onImportRequested: importDialog.open()
        onChangeOutputRequested: outputDialog.open()
        onAboutRequested: root.showAboutSheet = true
        onDeleteRequested: root.showDeleteConfirmation = true
    }

    // The preview page is built once, in the background after the window's first frame, and only
    // shown and hidden after that: a card's first picture does not wait for the page to be built,
    // nor the window's first frame for the page.
    FirstFrameWatch {
        id: firstFrame
        window: root.Window.window
    }
    Loader {
        objectName: "previewLoader"
        anchors.fill: parent
        asynchronous: true
        active: firstFrame.shown || screenState.isFullPagePreviewVisible
        visible: screenState.isFullPagePreviewVisible
        focus: visible
        sourceComponent: EventPreviewPage {
            preview: root.viewModel.preview
            // The merge editor may lie over the page and has its own Ctrl+E.
            exportShortcutEnabled: !root.viewModel.merge.isMergeEditorPresented
        }
    }
    Loader {
        objectName: "mergeEditorLoader"
        anchors.fill: parent
        active: screenState.screen === ContentViewState.MergeEditorScreen
        focus: active
        sourceComponent: VideoMergeEditorView { merge: root.viewModel.merge }
    }
    Loader {
        objectName: "resultLoader"
        anchors.fill: parent
        active: screenState.screen === ContentViewState.ResultScreen
        focus: active
        sourceComponent: ExportResultView {
            objectName: "exportResult"
            videoUrl: root.viewModel.exporter.exportResultURL
            outputToPhotosLibrary: root.viewModel.exporter.exportResultDestination === ExportViewModel.PhotosLibrary
            videoStartDate: root.viewModel.exporter.exportResultStartDate
            timeline: root.viewModel.exporter.exportResultTimeline
            notes: root.viewModel.exporter.exportResultNotes
            message: WindowText.resultMessage(root.viewModel.messages.successMessage)
            openOutputButtonTitle: root.viewModel.exporter.openOutputButtonTitle
            onOpenOutputRequested: root.viewModel.exporter.revealOutputLocation()
            onDoneRequested: root.viewModel.exporter.clearExportResult()
        }
    }
    Loader {
        objectName: "exportLoader"
        anchors.fill: parent
        active: screenState.screen === ContentViewState.ExportScreen
        focus: active
        sourceComponent: ExportLoadingOverlay {
            objectName: "exportOverlay"
            fileName: root.viewModel.exporter.exportingFileName
            statusMessage: root.viewModel.exporter.exportStatusMessage
            progress: root.viewModel.exporter.exportProgress
            timeLeft: root.viewModel.exporter.exportTimeLeft
            isIndeterminate: root.viewModel.exporter.exportIsIndeterminate
            onCancelRequested: root.viewModel.exporter.cancelExport()
        }
    }

    FolderDropArea {
        objectName: "folderDropArea"
        anchors.fill: parent
        enabled: screenState.screen === ContentViewState.LibraryScreen
                 && screenState.blockingOverlay === ContentViewState.NoOverlay
        onFoldersDropped: (urls) => root.viewModel.library.importTeslaCamFolders(urls)
    }

    // Escape leaves a selection mode of the browser. The pages in front of it (preview, merge
    // editor, result) take their own keys, so no key of theirs is bound twice.
    Shortcut {
        sequence: "Esc"
        enabled: screenState.isEventBrowserVisible && screenState.blockingOverlay === ContentViewState.NoOverlay
        onActivated: screenState.goBack()
    }

    FolderDialog {
        id: importDialog
        objectName: "importFolderDialog"
        title: qsTr("选择 TeslaCam 文件夹")
        acceptLabel: qsTr("选择")
        options: FolderDialog.ReadOnly
        onAccepted: root.viewModel.library.importTeslaCamFolders([selectedFolder])
    }
    FolderDialog {
        id: outputDialog
        objectName: "outputFolderDialog"
        title: qsTr("选择输出目录")
        acceptLabel: qsTr("选择")
        currentFolder: WindowText.folderUrl(root.viewModel.exporter.outputFolder)
        onAccepted: root.viewModel.exporter.setCustomOutputDirectory(selectedFolder)
    }
    Connections {
        target: root.viewModel.exporter
        function onOutputDirectoryRequested() { outputDialog.open() }
    }

    // Over any screen but the export's progress and the blocking overlays, where it would wait.
    DriveOfferBanner {
        objectName: "driveOffer"
        // Bottom right: over the footage, clear of the sidebar's controls.
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.margins: Theme.spaceL
        offer: root.viewModel.drives
        visible: offer.offered && screenState.screen !== ContentViewState.ExportScreen
                 && screenState.blockingOverlay === ContentViewState.NoOverlay
    }

    WindowAlerts {
        viewModel: root.viewModel
        updateController: root.updateController
        screenState: screenState
        aboutSheetOpen: root.showAboutSheet
        showDeleteConfirmation: root.showDeleteConfirmation
        onDeleteConfirmationAnswered: root.showDeleteConfirmation = false
    }

    UnlockSheet {
        objectName: "unlockSheet"
        unlock: root.viewModel.unlock
    }

    AboutSheet {
        objectName: "aboutSheet"
        visible: root.showAboutSheet
        updateController: root.updateController
        onDismissed: root.showAboutSheet = false
    }
}
