import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.Common

// A modal alert: title, message and a row of buttons. `buttons` lists {text, kind} (kind as in
// ActionButton); pressing one emits buttonClicked(index). Escape presses `cancelIndex` (-1: none).
Popup {
    id: alert

    property string title
    property string message
    property var buttons: [{ text: qsTr("好"), kind: ActionButton.Prominent }]
    property int cancelIndex: buttons.length === 1 ? 0 : -1
    signal buttonClicked(int index)

    parent: Overlay.overlay
    anchors.centerIn: parent
    width: Math.min(Theme.dialogWidth, (parent ? parent.width : Theme.dialogWidth) - 2 * Theme.spaceXl)
    modal: true
    dim: true
    focus: true
    closePolicy: Popup.NoAutoClose
    padding: Theme.spaceXl

    Overlay.modal: Rectangle { color: Theme.scrim }


    background: Rectangle {
        radius: Theme.radiusLarge
        color: Theme.surface
        border.width: Theme.hairline
        border.color: Theme.separator
    }

    contentItem: ColumnLayout {
        Accessible.role: Accessible.AlertMessage
        Accessible.name: alert.title
        spacing: Theme.spaceM
        Keys.onEscapePressed: if (alert.cancelIndex >= 0) alert.buttonClicked(alert.cancelIndex)

        ThemedText {
            text: alert.title
            textStyle: ThemedText.Title3
            wrapMode: Text.Wrap
            Layout.fillWidth: true
        }
        ThemedText {
            visible: alert.message.length > 0
            text: alert.message
            wrapMode: Text.Wrap
            secondary: true
            lineHeight: Theme.paragraphLineHeight
            Layout.fillWidth: true
        }
        RowLayout {
            spacing: Theme.spaceS
            Layout.topMargin: Theme.spaceS
            Layout.fillWidth: true
            Item { Layout.fillWidth: true }
            Repeater {
                model: alert.buttons
                delegate: ActionButton {
                    required property var modelData
                    required property int index
                    text: modelData.text
                    kind: modelData.kind ?? ActionButton.Normal
                    focus: index === alert.buttons.length - 1
                    onClicked: alert.buttonClicked(index)
                    Layout.minimumWidth: Theme.buttonMinWidth
                }
            }
        }
    }
}
