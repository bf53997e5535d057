import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.Common

// A text button with an optional leading symbol (and a trailing one, e.g. for links that leave
// the application). kind: ActionButton.Normal, "prominent", "plain", "danger".
AbstractButton {
    id: control

    property string iconName
    property string trailingIconName
    enum Kind { Normal, Prominent, Plain, Danger }

    property int kind: ActionButton.Normal
    property bool busy: false

    readonly property color foreground: kind === ActionButton.Prominent ? Theme.accentForeground
                                      : kind === ActionButton.Danger ? Theme.danger
                                      : kind === ActionButton.Plain ? Theme.accent
                                      : Theme.textPrimary

    implicitHeight: Theme.controlHeight
    implicitWidth: Math.max(implicitHeight, row.implicitWidth + 2 * Theme.spaceM)
    focusPolicy: Qt.StrongFocus
    hoverEnabled: true
    opacity: enabled ? 1 : Theme.disabledOpacity

    Accessible.role: Accessible.Button
    Accessible.name: text
    Accessible.onPressAction: clicked()

    contentItem: Item {
        clip: true
        RowLayout {
            id: row
            anchors.centerIn: parent
            spacing: Theme.spaceXs + 2

            Spinner {
                visible: control.busy
                size: Theme.iconSizeSmall
                color: control.foreground
            }
            Icon {
                visible: control.iconName.length > 0 && !control.busy
                name: control.iconName
                size: Theme.iconSizeSmall + 2
                color: control.foreground
            }
            Text {
                text: control.text
                font.family: Theme.fontFamily
                font.pixelSize: Theme.bodySize
                font.weight: control.kind === ActionButton.Prominent ? Font.DemiBold : Font.Medium
                color: control.foreground
            }
            Icon {
                visible: control.trailingIconName.length > 0
                name: control.trailingIconName
                size: Theme.iconSizeSmall
                color: control.foreground
            }
        }
    }

    background: Rectangle {
        radius: Theme.radiusMedium
        color: {
            if (control.kind === ActionButton.Prominent)
                return control.down ? Theme.accentPressed : Theme.accent
            if (control.kind === ActionButton.Plain)
                return control.down ? Theme.accentSoft : control.hovered ? Theme.surfaceMuted : "transparent"
            return control.down ? Theme.surfaceHover : control.hovered ? Theme.surfaceMuted : Theme.surface
        }
        border.width: control.visualFocus ? Theme.focusRingWidth
                    : (control.kind === ActionButton.Normal || control.kind === ActionButton.Danger) ? Theme.hairline : 0
        border.color: control.visualFocus ? Theme.focusRing : Theme.separator
    }
}
