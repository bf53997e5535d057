import QtQuick
import Orvane.Common
import Orvane.Library

// The trailing mark of an event card: a chevron outside selection modes; in a selection mode an
// empty ring, a check (marked for deletion) or the place in the merge pick order.
Item {
    id: mark

    // A BrowserMode.CardSelection.
    property int mode: BrowserMode.OpenCards
    property bool marked: false
    property int order: 0

    implicitWidth: Theme.selectionMarkSize
    implicitHeight: Theme.selectionMarkSize

    Icon {
        anchors.centerIn: parent
        visible: mark.mode === BrowserMode.OpenCards
        name: "chevron_right"
        size: Theme.iconSize
        color: Theme.textTertiary
    }
    Rectangle {
        anchors.fill: parent
        visible: mark.mode !== BrowserMode.OpenCards
        radius: width / 2
        color: mark.marked ? Theme.accent : "transparent"
        border.width: mark.marked ? 0 : Theme.focusRingWidth
        border.color: Theme.textTertiary

        Icon {
            anchors.centerIn: parent
            visible: mark.marked && mark.mode === BrowserMode.DeleteCards
            name: "check"
            size: Theme.iconSizeSmall
            color: Theme.accentForeground
        }
        Text {
            anchors.centerIn: parent
            visible: mark.marked && mark.mode === BrowserMode.MergeCards
            text: mark.order
            font.family: Theme.monoFamily
            font.pixelSize: Theme.captionSize
            font.weight: Font.Bold
            color: Theme.accentForeground
        }
    }
}
