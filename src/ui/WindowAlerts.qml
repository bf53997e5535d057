import QtQuick
import QtQuick.Controls
import Orvane.App
import Orvane.Ui

// The main window's alerts and blocking overlays: the delete confirmation, the error alert (with
// the photo privacy settings when the library refused), the update offer and failure, and the
// deleting / updating overlay. Each shows while its state says so.
Item {
    id: alerts

    required property MainViewModel viewModel
    required property QtObject updateController
    required property ContentViewState screenState
    // The About sheet shows its own update alerts while it is open.
    property bool aboutSheetOpen: false
    property bool showDeleteConfirmation: false
    signal deleteConfirmationAnswered()

    readonly property var update: updateController ? updateController.availableUpdate : null

    DeletingOverlay {
        objectName: "deletingOverlay"
        visible: alerts.screenState.blockingOverlay === "deleting"
        count: alerts.viewModel.deleteSelectedCount
    }
    UpdateLoadingOverlay {
        objectName: "updatingOverlay"
        visible: alerts.screenState.blockingOverlay === "updating"
        statusMessage: alerts.updateController ? alerts.updateController.updateStatusMessage : ""
    }

    AlertDialog {
        objectName: "deleteConfirmation"
        visible: alerts.showDeleteConfirmation
        title: "删除选中的视频片段？"
        message: WindowText.deleteConfirmation(alerts.viewModel.deleteSelectedCount)
        buttons: [{ text: "取消", kind: "normal" }, { text: "移到废纸篓", kind: "danger" }]
        cancelIndex: 0
        onButtonClicked: (index) => {
            alerts.deleteConfirmationAnswered()
            if (index === 1)
                alerts.viewModel.deleteSelectedEvents()
        }
    }

    AlertDialog {
        objectName: "errorAlert"
        readonly property bool offersPrivacySettings: alerts.viewModel.showPhotosPrivacySettings
        visible: alerts.viewModel.errorMessage.length > 0 || offersPrivacySettings
        title: "提示"
        message: alerts.viewModel.errorMessage
        buttons: offersPrivacySettings ? [{ text: "打开系统设置", kind: "normal" }, { text: "好", kind: "prominent" }]
                                       : [{ text: "好", kind: "prominent" }]
        cancelIndex: buttons.length - 1
        onButtonClicked: (index) => {
            if (offersPrivacySettings && index === 0)
                alerts.viewModel.openPhotosPrivacySettings()
            alerts.viewModel.showPhotosPrivacySettings = false
            alerts.viewModel.errorMessage = ""
        }
    }

    AlertDialog {
        objectName: "updateOfferAlert"
        visible: !alerts.aboutSheetOpen && !!alerts.updateController && alerts.updateController.showUpdateAlert
                 && !!alerts.update
        title: "发现新版本"
        message: alerts.update ? UiText.updateOffer(alerts.update.version, alerts.updateController.shortVersion,
                                                    alerts.update.displayReleaseNotes) : ""
        buttons: [{ text: "稍后", kind: "normal" }, { text: "立即更新", kind: "prominent" }]
        cancelIndex: 0
        onButtonClicked: (index) => index === 1 ? alerts.updateController.startUpdate()
                                                : alerts.updateController.dismissUpdate()
    }
    AlertDialog {
        objectName: "updateFailedAlert"
        visible: !!alerts.updateController && (alerts.updateController.updateErrorMessage || "").length > 0
        title: "更新失败"
        message: alerts.updateController ? (alerts.updateController.updateErrorMessage || "") : ""
        onButtonClicked: alerts.updateController.dismissUpdateError()
    }
}
