import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.App

// A text button with an optional leading symbol (and a trailing one, e.g. for links that leave
// the application). kind: "normal", "prominent", "plain", "danger".
AbstractButton {
    id: control

    property string iconName
    property string trailingIconName
    property string kind: "normal"
    property bool busy: false

    readonly property color foreground: kind === "prominent" ? Theme.accentForeground
                                      : kind === "danger" ? Theme.danger
                                      : kind === "plain" ? Theme.accent
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
                font.weight: control.kind === "prominent" ? Font.DemiBold : Font.Medium
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
            if (control.kind === "prominent")
                return control.down ? Theme.accentPressed : Theme.accent
            if (control.kind === "plain")
                return control.down ? Theme.accentSoft : control.hovered ? Theme.surfaceMuted : "transparent"
            return control.down ? Theme.surfaceHover : control.hovered ? Theme.surfaceMuted : Theme.surface
        }
        border.width: control.visualFocus ? Theme.focusRingWidth
                    : (control.kind === "normal" || control.kind === "danger") ? Theme.hairline : 0
        border.color: control.visualFocus ? Theme.focusRing : Theme.separator
    }
}
