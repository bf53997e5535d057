import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.Common

// A card over a dimmed window that takes every click and key while it is open: long work the
// user must wait for. Put the card's content inside; `busy` adds a spinner on top.
Popup {
    id: overlay

    property bool busy: true
    default property alias content: column.data

    parent: Overlay.overlay
    anchors.centerIn: parent
    width: Math.min(Theme.overlayCardWidth, (parent ? parent.width : Theme.overlayCardWidth) - 2 * Theme.spaceXl)
    modal: true
    dim: true
    focus: true
    closePolicy: Popup.NoAutoClose
    padding: Theme.spaceXl
    topPadding: Theme.spaceXxl
    bottomPadding: Theme.spaceXxl

    Overlay.modal: Rectangle { color: Theme.scrim }

    background: Rectangle {
        radius: Theme.radiusXl
        color: Theme.surface
        border.width: Theme.hairline
        border.color: Theme.separator
    }

    contentItem: ColumnLayout {
        spacing: Theme.spaceM
        Spinner {
            visible: overlay.busy
            size: Theme.iconSizeMedium
            color: Theme.accent
            Layout.alignment: Qt.AlignHCenter
            Layout.bottomMargin: Theme.spaceXs
        }
        ColumnLayout {
            id: column
            spacing: Theme.spaceS
            Layout.fillWidth: true
        }
    }
}
