import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.Common
import Orvane.Preview

// The playback-rate menu: the current rate ("1×") opens the list of `rates` (a ChoiceListModel),
// the current one checked; choosing one emits chosen(rate).
AbstractButton {
    id: control

    property ChoiceListModel rates
    property real currentRate: 1
    property string title: "1×"
    readonly property alias menuOpen: menu.opened
    signal chosen(real rate)

    focusPolicy: Qt.TabFocus
    hoverEnabled: true
    opacity: enabled ? 1 : Theme.disabledOpacity
    implicitHeight: Theme.controlHeight
    implicitWidth: row.implicitWidth + 2 * Theme.spaceS
    Accessible.role: Accessible.ButtonMenu
    Accessible.name: qsTr("播放速度 %1").arg(title)
    Accessible.onPressAction: clicked()
    onClicked: menu.open()

    contentItem: Item {
        RowLayout {
            id: row
            anchors.centerIn: parent
            spacing: Theme.spaceXs
            Icon {
                name: "fast_forward"
                size: Theme.iconSizeSmall
                color: Theme.textSecondary
            }
            Text {
                text: control.title
                font.family: Theme.monoFamily
                font.pixelSize: Theme.headlineSize
                font.weight: Font.DemiBold
                color: Theme.textPrimary
            }
        }
    }
    background: Rectangle {
        radius: Theme.radiusMedium
        color: control.down || menu.opened ? Theme.surfaceHover : control.hovered ? Theme.surfaceMuted : "transparent"
        border.width: control.visualFocus ? Theme.focusRingWidth : 0
        border.color: Theme.focusRing
    }

    Menu {
        id: menu
        objectName: "rateMenu"
        y: -implicitHeight - Theme.spaceXs
        padding: Theme.spaceXs
        background: Rectangle {
            implicitWidth: Theme.preview.menuWidth
            radius: Theme.radiusMedium
            color: Theme.surface
            border.width: Theme.hairline
            border.color: Theme.separator
        }

        // Items a model makes are put into the menu by hand: a Repeater would stack them as
        // siblings, which the menu's own list of items is not.
        Instantiator {
            model: control.rates
            onObjectAdded: (index, object) => menu.insertItem(index, object)
            onObjectRemoved: (index, object) => menu.removeItem(object)
            delegate: MenuItem {
                id: entry
                required property var value
                required property string title
                objectName: "rate_" + value
                text: title
                implicitHeight: Theme.controlHeight
                Accessible.name: text
                onTriggered: control.chosen(value)
                contentItem: RowLayout {
                    spacing: Theme.spaceS
                    Icon {
                        name: "check"
                        size: Theme.iconSizeSmall
                        color: Theme.accent
                        opacity: entry.value === control.currentRate ? 1 : 0
                    }
                    Text {
                        text: entry.text
                        font.family: Theme.monoFamily
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
        }
    }
}
