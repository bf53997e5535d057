import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.Common
import Orvane.Preview

// An export-range button ("开始"/"结束"): its title until a time is recorded, then that time in
// white on the accent colour. `helpText` is the tooltip ("记录开始时间", "重新记录开始时间").
AbstractButton {
    id: control

    property string iconName
    property bool mirrorIcon: false
    property bool recorded: false
    property string helpText

    focusPolicy: Qt.TabFocus
    hoverEnabled: true
    opacity: enabled ? 1 : Theme.disabledOpacity
    implicitHeight: Theme.preview.rangeButtonHeight
    implicitWidth: Math.max(Theme.preview.rangeButtonMinWidth, row.implicitWidth + 2 * Theme.preview.rangeButtonPaddingH)
    Accessible.role: Accessible.Button
    Accessible.name: helpText
    Accessible.description: text
    Accessible.onPressAction: clicked()
    ToolTip.visible: hovered
    ToolTip.text: helpText
    ToolTip.delay: 600

    readonly property color foreground: recorded ? Theme.accentForeground : Theme.textPrimary

    contentItem: Item {
        RowLayout {
            id: row
            anchors.centerIn: parent
            spacing: Theme.spaceXs
            Icon {
                name: control.iconName
                size: Theme.iconSizeSmall
                color: control.foreground
                transform: Scale { xScale: control.mirrorIcon ? -1 : 1; origin.x: Theme.iconSizeSmall / 2 }
            }
            Text {
                text: control.text
                font.family: control.recorded ? Theme.monoFamily : Theme.fontFamily
                font.pixelSize: control.recorded ? Theme.captionSize : Theme.footnoteSize
                font.weight: control.recorded ? Font.DemiBold : Font.Medium
                color: control.foreground
            }
        }
    }
    background: Rectangle {
        radius: Theme.preview.rangeButtonRadius
        color: control.recorded ? (control.down ? Theme.accentPressed : Theme.accent)
             : control.down ? Theme.surfaceHover : control.hovered ? Theme.surfaceMuted : "transparent"
        border.width: control.visualFocus ? Theme.focusRingWidth : 0
        border.color: Theme.focusRing
    }
}
