import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.Common
import Orvane.Window

// The sheet that unlocks the footage the car encrypted: how to copy the owner's token from the
// car maker's dashcam page, the token field, "记住", and what went wrong. State lives in `unlock`.
Popup {
    id: sheet

    required property UnlockViewModel unlock

    parent: Overlay.overlay
    anchors.centerIn: parent
    width: Math.min(Theme.dialogWidth * 1.4, (parent ? parent.width : Theme.dialogWidth) - 2 * Theme.spaceXl)
    visible: unlock !== null && unlock.isPresented
    modal: true
    dim: true
    focus: true
    closePolicy: Popup.CloseOnEscape
    padding: Theme.spaceXl
    onClosed: {
        tokenField.text = ""
        if (unlock.isPresented)
            unlock.dismiss()
    }
    onOpened: tokenField.forceActiveFocus()

    Overlay.modal: Rectangle { color: Theme.scrim }

    background: Rectangle {
        radius: Theme.radiusXl
        color: Theme.surface
        border.width: Theme.hairline
        border.color: Theme.separator
    }

    contentItem: ColumnLayout {
        Accessible.role: Accessible.Dialog
        Accessible.name: qsTr("解锁加密录像")
        spacing: Theme.spaceM

        ThemedText {
            text: qsTr("解锁加密录像")
            textStyle: ThemedText.Title2
        }
        ThemedText {
            objectName: "unlockHowTo"
            text: qsTr("这些录像由车辆加密（“加密行车记录仪录像”），解锁需要车主登录特斯拉行车记录仪网页后浏览器持有的令牌：\n1. 在浏览器中打开 dashcam.tesla.com 并用车主账号登录。\n2. 按 F12 打开开发者工具，切换到“网络”（Network），刷新网页。\n3. 点开一个发往 dashcam.tesla.com/api 的请求，在请求标头中找到 Authorization，复制 “Bearer ” 之后的整段文字。\n4. 粘贴到下面，点“解锁”。令牌只发给特斯拉的密钥服务，密钥只保存在内存中。")
            textStyle: ThemedText.Footnote
            wrapMode: Text.Wrap
            Layout.fillWidth: true
        }
        TextField {
            id: tokenField
            objectName: "tokenField"
            placeholderText: qsTr("粘贴令牌")
            echoMode: TextInput.Password
            enabled: sheet.unlock !== null && !sheet.unlock.isWorking
            font.family: Theme.fontFamily
            font.pixelSize: Theme.bodySize
            Layout.fillWidth: true
            Accessible.name: qsTr("令牌")
            onAccepted: unlockButton.clicked()
        }
        CheckBox {
            id: rememberBox
            objectName: "rememberToken"
            text: qsTr("记住")
            checked: true
            enabled: sheet.unlock !== null && !sheet.unlock.isWorking
            font.family: Theme.fontFamily
            font.pixelSize: Theme.bodySize
        }
        ThemedText {
            objectName: "unlockError"
            visible: text.length > 0
            text: sheet.unlock ? sheet.unlock.errorMessage : ""
            color: Theme.danger
            textStyle: ThemedText.Footnote
            wrapMode: Text.Wrap
            Layout.fillWidth: true
        }
        ThemedText {
            objectName: "unlockStorageNotice"
            visible: text.length > 0
            text: sheet.unlock ? sheet.unlock.storageNotice : ""
            color: Theme.warning
            textStyle: ThemedText.Footnote
            wrapMode: Text.Wrap
            Layout.fillWidth: true
        }
        RowLayout {
            spacing: Theme.spaceS
            Layout.fillWidth: true
            Spinner {
                visible: sheet.unlock !== null && sheet.unlock.isWorking
                running: visible
            }
            Item { Layout.fillWidth: true }
            ActionButton {
                objectName: "unlockCancelButton"
                text: sheet.unlock && sheet.unlock.storageNotice.length > 0 ? qsTr("好") : qsTr("取消")
                onClicked: sheet.unlock.dismiss()
            }
            ActionButton {
                id: unlockButton
                objectName: "unlockButton"
                text: qsTr("解锁")
                kind: ActionButton.Prominent
                enabled: sheet.unlock !== null && !sheet.unlock.isWorking && tokenField.text.trim().length > 0
                onClicked: sheet.unlock.unlock(tokenField.text, rememberBox.checked)
            }
        }
    }
}
