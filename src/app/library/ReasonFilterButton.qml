import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.Common
import Orvane.Library

// The browser header's reason filter: shows the reason chosen ("全部原因" at first) and opens the
// reasons of the category's events with their counts; the chosen one is checked.
AbstractButton {
    id: control

    required property LibraryViewModel library
    readonly property alias menuOpen: menu.opened

    objectName: "reasonFilterButton"
    focusPolicy: Qt.StrongFocus
    hoverEnabled: true
    enabled: library.reasonChoices.count > 1
    opacity: enabled ? 1 : Theme.disabledOpacity
    implicitHeight: Theme.controlHeight
    implicitWidth: Math.min(row.implicitWidth, Theme.finder.reasonMenuWidth) + 2 * Theme.spaceS
    Accessible.role: Accessible.ButtonMenu
    Accessible.name: qsTr("按保存原因筛选：%1").arg(library.reasonFilterTitle)
    Accessible.onPressAction: clicked()
    onClicked: menu.open()

    contentItem: Item {
        RowLayout {
            id: row
            anchors.fill: parent
            anchors.leftMargin: Theme.spaceS
            anchors.rightMargin: Theme.spaceS
            spacing: Theme.spaceXs
            Icon {
                name: "filter_list"
                size: Theme.iconSizeSmall
                color: control.library.reasonFilter.length > 0 ? Theme.accent : Theme.textSecondary
            }
            Text {
                text: control.library.reasonFilterTitle
                font.family: Theme.fontFamily
                font.pixelSize: Theme.bodySize
                font.weight: Font.Medium
                color: control.library.reasonFilter.length > 0 ? Theme.accent : Theme.textPrimary
                elide: Text.ElideRight
                Layout.fillWidth: true
            }
            Icon {
                name: "expand_more"
                size: Theme.iconSizeSmall
                color: Theme.textSecondary
            }
        }
    }
    background: Rectangle {
        radius: Theme.radiusMedium
        color: control.down || menu.opened ? Theme.surfaceHover
             : control.library.reasonFilter.length > 0 ? Theme.accentSoft
             : control.hovered ? Theme.surfaceMuted : "transparent"
        border.width: control.visualFocus ? Theme.focusRingWidth : 0
        border.color: Theme.focusRing
    }

    Menu {
        id: menu
        objectName: "reasonMenu"
        y: control.height + Theme.spaceXs
        padding: Theme.spaceXs
        background: Rectangle {
            implicitWidth: Theme.finder.reasonMenuWidth
            radius: Theme.radiusMedium
            color: Theme.surface
            border.width: Theme.hairline
            border.color: Theme.separator
        }

        // Items a model makes are put into the menu by hand: a Repeater would stack them as
        // siblings, which the menu's own list of items is not.
        Instantiator {
            model: control.library.reasonChoices
            onObjectAdded: (index, object) => menu.insertItem(index, object)
            onObjectRemoved: (index, object) => menu.removeItem(object)
            delegate: MenuItem {
                id: entry
                required property var value
                required property string title
                required property string description
                readonly property bool isChosen: value === control.library.reasonFilter
                objectName: "reason_" + (value.length > 0 ? value : "all")
                text: title
                implicitHeight: Theme.controlHeight
                Accessible.name: qsTr("%1，%n 个", "", Number(description)).arg(title)
                onTriggered: control.library.setReasonFilter(value)
                contentItem: RowLayout {
                    spacing: Theme.spaceS
                    Icon {
                        name: "check"
                        size: Theme.iconSizeSmall
                        color: Theme.accent
                        opacity: entry.isChosen ? 1 : 0
                    }
                    Text {
                        text: entry.text
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.bodySize
                        font.weight: entry.isChosen ? Font.DemiBold : Font.Normal
                        color: Theme.textPrimary
                        elide: Text.ElideRight
                        Layout.fillWidth: true
                    }
                    Text {
                        text: entry.description
                        font.family: Theme.monoFamily
                        font.pixelSize: Theme.footnoteSize
                        color: Theme.textSecondary
                    }
                }
                background: Rectangle {
                    radius: Theme.radiusSmall
                    color: entry.highlighted ? Theme.surfaceMuted : "transparent"
                }
            }
        }
    }
}
