import QtQuick
import QtQuick.Controls
import Orvane.Common
import Orvane.Library
import Orvane.Window
import Orvane.Update

// The main window's alerts and blocking overlays: the delete confirmation, the error alert (with
// the photo privacy settings when the library refused), the update offer and failure, and the
// deleting / updating overlay. Each shows while its state says so.
Item {
    id: alerts

    required property MainViewModel viewModel
    required property AppUpdateController updateController
    required property ContentViewState screenState
    // The About sheet shows its own update alerts while it is open.
    property bool aboutSheetOpen: false
    property bool showDeleteConfirmation: false
    signal deleteConfirmationAnswered()

    readonly property var update: updateController.availableUpdate

    DeletingOverlay {
        objectName: "deletingOverlay"
        visible: alerts.screenState.blockingOverlay === ContentViewState.DeletingOverlay
        count: alerts.viewModel.library.deleteSelectedCount
    }
    UpdateLoadingOverlay {
        objectName: "updatingOverlay"
        visible: alerts.screenState.blockingOverlay === ContentViewState.UpdatingOverlay
        statusMessage: alerts.updateController.updateStatusMessage
    }

    AlertDialog {
        objectName: "deleteConfirmation"
        visible: alerts.showDeleteConfirmation
        title: qsTr("删除选中的视频片段？")
        message: LibraryText.deleteConfirmation(alerts.viewModel.library.deleteSelectedCount)
        buttons: [{ text: qsTr("取消"), kind: ActionButton.Normal }, { text: qsTr("移到废纸篓"), kind: ActionButton.Danger }]
        cancelIndex: 0
        onButtonClicked: (index) => {
            alerts.deleteConfirmationAnswered()
            if (index === 1)
                alerts.viewModel.library.deleteSelectedEvents()
        }
    }

    AlertDialog {
        objectName: "errorAlert"
        readonly property bool offersPrivacySettings: alerts.viewModel.exporter.showPhotosPrivacySettings
        visible: alerts.viewModel.messages.errorMessage.length > 0 || offersPrivacySettings
        title: qsTr("提示")
        message: alerts.viewModel.messages.errorMessage
        buttons: offersPrivacySettings ? [{ text: qsTr("打开系统设置"), kind: ActionButton.Normal }, { text: qsTr("好"), kind: ActionButton.Prominent }]
                                       : [{ text: qsTr("好"), kind: ActionButton.Prominent }]
        cancelIndex: buttons.length - 1
        onButtonClicked: (index) => {
            if (offersPrivacySettings && index === 0)
                alerts.viewModel.exporter.openPhotosPrivacySettings()
            alerts.viewModel.exporter.showPhotosPrivacySettings = false
            alerts.viewModel.messages.errorMessage = ""
        }
    }

    AlertDialog {
        objectName: "updateOfferAlert"
        visible: !alerts.aboutSheetOpen && alerts.updateController.showUpdateAlert && !!alerts.update
        title: qsTr("发现新版本")
        message: alerts.update ? UiText.updateOffer(alerts.update.version, alerts.updateController.shortVersion,
                                                    alerts.update.displayReleaseNotes,
                                                    alerts.updateController.updatedByPackageManager) : ""
        // The package manager's copy is updated by it: the offer only tells.
        buttons: alerts.updateController.updatedByPackageManager
                 ? [{ text: qsTr("好"), kind: ActionButton.Prominent }]
                 : [{ text: qsTr("稍后"), kind: ActionButton.Normal }, { text: qsTr("立即更新"), kind: ActionButton.Prominent }]
        cancelIndex: 0
        onButtonClicked: (index) => index === 1 ? alerts.updateController.startUpdate()
                                                : alerts.updateController.dismissUpdate()
    }
    AlertDialog {
        objectName: "updateFailedAlert"
        visible: alerts.updateController.updateErrorMessage.length > 0
        title: qsTr("更新失败")
        message: alerts.updateController.updateErrorMessage
        onButtonClicked: alerts.updateController.dismissUpdateError()
    }
}
