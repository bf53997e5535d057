import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.Common
import Orvane.Preview

// "生成事故报告": a symbol in the page's header that offers the report at the moment the car saved
// the event or at the frame on screen; choosing one emits chosen(atFrameOnScreen).
ActionButton {
    id: control

    // Whether the event says when the car saved it (else only the frame on screen is offered).
    property bool hasEventMoment: true
    readonly property alias menuOpen: menu.opened
    signal chosen(bool atFrameOnScreen)

    text: ""
    iconName: "picture_as_pdf"
    kind: ActionButton.Plain
    focusPolicy: Qt.TabFocus
    Accessible.role: Accessible.ButtonMenu
    Accessible.name: qsTr("生成事故报告")
    ToolTip.visible: hovered && !menu.opened
    ToolTip.text: qsTr("生成事故报告")
    onClicked: menu.open()

    Menu {
        id: menu
        objectName: "reportMenu"
        y: control.height + Theme.spaceXs
        padding: Theme.spaceXs
        // As wide as the longer entry in either language.
        width: Math.max(Theme.preview.reportMenuWidth, atMoment.implicitWidth, atFrame.implicitWidth) +
               leftPadding + rightPadding
        background: Rectangle {
            radius: Theme.radiusMedium
            color: Theme.surface
            border.width: Theme.hairline
            border.color: Theme.separator
        }

        component Entry: MenuItem {
            id: entry
            implicitHeight: Theme.controlHeight
            implicitWidth: contentItem.implicitWidth + leftPadding + rightPadding
            Accessible.name: text
            contentItem: Text {
                text: entry.text
                font.family: Theme.fontFamily
                font.pixelSize: Theme.bodySize
                color: Theme.textPrimary
                verticalAlignment: Text.AlignVCenter
            }
            background: Rectangle {
                radius: Theme.radiusSmall
                color: entry.highlighted ? Theme.surfaceMuted : "transparent"
            }
        }

        Entry {
            id: atMoment
            objectName: "reportAtEventMoment"
            text: qsTr("事件时刻的报告")
            enabled: control.hasEventMoment
            onTriggered: control.chosen(false)
        }
        Entry {
            id: atFrame
            objectName: "reportAtFrameOnScreen"
            text: qsTr("当前画面时刻的报告")
            onTriggered: control.chosen(true)
        }
    }
}
