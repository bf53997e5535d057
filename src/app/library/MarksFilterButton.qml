import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.Common
import Orvane.Library

// "筛选": a menu of the marks the browser can keep events by (hard braking, footage the car
// encrypted), each checked while on, and one entry that turns them all off.
ActionButton {
    id: control

    required property MarksFilter filter
    readonly property alias menuOpen: menu.opened

    objectName: "marksFilterButton"
    text: filter.activeCount > 0 ? qsTr("筛选（%1）").arg(filter.activeCount) : qsTr("筛选")
    iconName: "filter_list"
    kind: filter.activeCount > 0 ? ActionButton.Plain : ActionButton.Normal
    Accessible.role: Accessible.ButtonMenu
    onClicked: menu.open()

    Menu {
        id: menu
        objectName: "marksFilterMenu"
        y: control.height + Theme.spaceXs
        padding: Theme.spaceXs
        // As wide as the longest entry in either language.
        width: Math.max(hardBrakes.implicitWidth, encrypted.implicitWidth, clearAll.implicitWidth) +
               leftPadding + rightPadding
        background: Rectangle {
            radius: Theme.radiusMedium
            color: Theme.surface
            border.width: Theme.hairline
            border.color: Theme.separator
        }

        component Entry: MenuItem {
            id: entry
            property bool on: false
            property string symbol
            implicitHeight: Theme.controlHeight
            implicitWidth: contentItem.implicitWidth + leftPadding + rightPadding
            Accessible.role: Accessible.CheckBox
            Accessible.checkable: true
            Accessible.checked: on
            Accessible.name: text
            contentItem: RowLayout {
                spacing: Theme.spaceS
                Icon {
                    name: "check"
                    size: Theme.iconSizeSmall
                    color: Theme.accent
                    opacity: entry.on ? 1 : 0
                }
                Icon {
                    name: entry.symbol
                    size: Theme.iconSizeSmall
                    color: Theme.textSecondary
                }
                Text {
                    text: entry.text
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.bodySize
                    color: Theme.textPrimary
                    Layout.fillWidth: true
                }
            }
            background: Rectangle {
                radius: Theme.radiusSmall
                color: entry.highlighted ? Theme.surfaceMuted : "transparent"
            }
        }

        Entry {
            id: hardBrakes
            objectName: "marksHardBrakes"
            text: qsTr("有急刹车")
            symbol: "warning"
            on: control.filter.hardBrakesOnly
            onTriggered: control.filter.hardBrakesOnly = !control.filter.hardBrakesOnly
        }
        Entry {
            id: encrypted
            objectName: "marksEncrypted"
            text: qsTr("加密录像")
            symbol: "lock"
            on: control.filter.encryptedOnly
            onTriggered: control.filter.encryptedOnly = !control.filter.encryptedOnly
        }
        MenuItem {
            id: clearAll
            objectName: "marksClear"
            text: qsTr("显示全部")
            enabled: control.filter.activeCount > 0
            implicitHeight: Theme.controlHeight
            implicitWidth: clearText.implicitWidth + leftPadding + rightPadding
            Accessible.name: text
            onTriggered: control.filter.clear()
            contentItem: Text {
                id: clearText
                text: clearAll.text
                leftPadding: 2 * Theme.iconSizeSmall + 2 * Theme.spaceS
                font.family: Theme.fontFamily
                font.pixelSize: Theme.bodySize
                color: clearAll.enabled ? Theme.textPrimary : Theme.textTertiary
                verticalAlignment: Text.AlignVCenter
            }
            background: Rectangle {
                radius: Theme.radiusSmall
                color: clearAll.highlighted ? Theme.surfaceMuted : "transparent"
            }
        }
    }
}
