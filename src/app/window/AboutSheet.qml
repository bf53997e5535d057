import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.Common
import Orvane.Window
import Orvane.Update

// The About sheet: name, version, feedback link, manual update check with its outcome alerts,
// and the keyboard shortcuts. `updateController` is the AppUpdateController.
Popup {
    id: sheet

    required property AppUpdateController updateController
    signal dismissed()

    readonly property string currentVersion: updateController.shortVersion
    readonly property var update: updateController.availableUpdate
    readonly property var shortcuts: [
        { keys: qsTr("空格"), action: qsTr("播放 / 暂停") },
        { keys: "← / →", action: qsTr("后退 / 前进 5 秒") },
        { keys: ", / .", action: qsTr("上一帧 / 下一帧") },
        { keys: "[ / ]", action: qsTr("记录开始点 / 结束点") },
        { keys: "Esc", action: qsTr("返回") },
        { keys: "Ctrl+E", action: qsTr("导出") }
    ]

    parent: Overlay.overlay
    anchors.centerIn: parent
    width: Math.min(Theme.dialogWidth, (parent ? parent.width : Theme.dialogWidth) - 2 * Theme.spaceXl)
    modal: true
    dim: true
    focus: true
    closePolicy: Popup.CloseOnEscape
    padding: Theme.spaceXl
    topPadding: Theme.spaceXxl
    onClosed: dismissed()

    Overlay.modal: Rectangle { color: Theme.scrim }

    background: Rectangle {
        radius: Theme.radiusXl
        color: Theme.surface
        border.width: Theme.hairline
        border.color: Theme.separator
    }

    contentItem: ColumnLayout {
        Accessible.role: Accessible.Dialog
        Accessible.name: qsTr("关于 Orvane")
        spacing: Theme.spaceM

        ThemedText {
            text: "Orvane"
            textStyle: ThemedText.Title1
            Layout.alignment: Qt.AlignHCenter
        }
        ThemedText {
            objectName: "aboutVersion"
            text: qsTr("版本 %1").arg(sheet.currentVersion)
            secondary: true
            Layout.alignment: Qt.AlignHCenter
            Layout.topMargin: -Theme.spaceS
        }
        ThemedText {
            objectName: "aboutVideoDecoding"
            // Read each time the sheet opens: the path is known once a video has played.
            text: sheet.visible ? UiText.videoDecoding() : ""
            textStyle: ThemedText.Footnote
            secondary: true
            Layout.alignment: Qt.AlignHCenter
        }
        ThemedText {
            objectName: "aboutVideoEncoding"
            // Known once the first export chose its encoder.
            text: sheet.visible ? UiText.videoEncoding() : ""
            textStyle: ThemedText.Footnote
            secondary: true
            Layout.alignment: Qt.AlignHCenter
        }

        ActionButton {
            objectName: "feedbackLink"
            text: qsTr("留言反馈")
            iconName: "chat_bubble_outline"
            trailingIconName: "open_in_new"
            kind: ActionButton.Plain
            Layout.alignment: Qt.AlignHCenter
            Layout.topMargin: Theme.spaceS
            onClicked: Qt.openUrlExternally(UiText.feedbackUrl)
        }
        ActionButton {
            objectName: "checkForUpdatesButton"
            text: qsTr("检查更新")
            iconName: "sync"
            busy: sheet.updateController.isCheckingForUpdates
            enabled: !sheet.updateController.isCheckingForUpdates && !sheet.updateController.isUpdating
            Layout.alignment: Qt.AlignHCenter
            Layout.minimumWidth: Theme.sheetButtonMinWidth
            onClicked: sheet.updateController.checkForUpdates(false)
        }

        Rectangle {
            Layout.fillWidth: true
            Layout.topMargin: Theme.spaceS
            implicitHeight: shortcutColumn.implicitHeight + 2 * Theme.spaceM
            radius: Theme.radiusMedium
            color: Theme.surfaceMuted

            ColumnLayout {
                id: shortcutColumn
                anchors.fill: parent
                anchors.margins: Theme.spaceM
                spacing: Theme.spaceXs + 2

                ThemedText {
                    text: qsTr("键盘快捷键")
                    textStyle: ThemedText.Footnote
                    font.weight: Font.DemiBold
                    secondary: true
                    Layout.bottomMargin: Theme.spaceXxs
                }
                Repeater {
                    model: sheet.shortcuts
                    delegate: RowLayout {
                        required property var modelData
                        spacing: Theme.spaceM
                        Layout.fillWidth: true
                        ThemedText {
                            text: modelData.keys
                            mono: true
                            textStyle: ThemedText.Footnote
                            Layout.preferredWidth: Theme.shortcutKeyWidth
                        }
                        ThemedText {
                            text: modelData.action
                            textStyle: ThemedText.Footnote
                            secondary: true
                            Layout.fillWidth: true
                        }
                    }
                }
            }
        }

        ActionButton {
            objectName: "closeAboutButton"
            text: qsTr("关闭")
            Layout.alignment: Qt.AlignRight
            Layout.topMargin: Theme.spaceS
            Layout.minimumWidth: Theme.buttonMinWidth
            onClicked: sheet.close()
        }
    }

    AlertDialog {
        objectName: "updateOfferAlert"
        visible: sheet.visible && sheet.updateController.showUpdateAlert && !!sheet.update
        title: qsTr("发现新版本")
        message: sheet.update ? UiText.updateOffer(sheet.update.version, sheet.currentVersion, sheet.update.displayReleaseNotes,
                                                   sheet.updateController.updatedByPackageManager) : ""
        buttons: sheet.updateController.updatedByPackageManager
                 ? [{ text: qsTr("好"), kind: ActionButton.Prominent }]
                 : [{ text: qsTr("稍后"), kind: ActionButton.Normal }, { text: qsTr("立即更新"), kind: ActionButton.Prominent }]
        cancelIndex: 0
        onButtonClicked: (index) => index === 1 ? sheet.updateController.startUpdate() : sheet.updateController.dismissUpdate()
    }
    AlertDialog {
        objectName: "upToDateAlert"
        visible: sheet.visible && sheet.updateController.showUpToDateAlert
        title: qsTr("已是最新版本")
        message: UiText.upToDate(sheet.currentVersion)
        onButtonClicked: sheet.updateController.showUpToDateAlert = false
    }
    AlertDialog {
        objectName: "checkFailedAlert"
        visible: sheet.visible && sheet.updateController.manualCheckErrorMessage.length > 0
        title: qsTr("检查更新失败")
        message: sheet.updateController.manualCheckErrorMessage
        onButtonClicked: sheet.updateController.dismissManualCheckError()
    }
}
