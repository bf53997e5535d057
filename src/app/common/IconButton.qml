import QtQuick
import QtQuick.Controls
import Orvane.Common

// A borderless symbol button. `accessibleName` is what screen readers and the tooltip say.
AbstractButton {
    id: control

    property string iconName
    required property string accessibleName
    property string toolTipText: accessibleName
    property color iconColor: overVideo ? Theme.videoForeground : Theme.textPrimary
    // Drawn over video or the dashboard rather than the chrome.
    property bool overVideo: false
    property int iconSize: Theme.iconSize

    implicitWidth: Theme.iconButtonSize
    implicitHeight: Theme.iconButtonSize
    focusPolicy: Qt.StrongFocus
    hoverEnabled: true
    opacity: enabled ? 1 : Theme.disabledOpacity

    Accessible.role: Accessible.Button
    Accessible.name: accessibleName
    Accessible.onPressAction: clicked()

    ToolTip.visible: hovered && toolTipText.length > 0
    ToolTip.text: toolTipText
    ToolTip.delay: 600

    contentItem: Icon {
        name: control.iconName
        size: control.iconSize
        color: control.iconColor
    }

    background: Rectangle {
        radius: Theme.radiusMedium
        color: control.down ? (control.overVideo ? Theme.overVideoPressed : Theme.surfaceHover)
             : control.hovered ? (control.overVideo ? Theme.overVideoHover : Theme.surfaceMuted)
             : "transparent"
        border.width: control.visualFocus ? Theme.focusRingWidth : 0
        border.color: Theme.focusRing
    }
}
