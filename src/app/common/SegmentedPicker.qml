import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.Common

// A row of mutually exclusive choices in one rounded track. `options` is a ChoiceListModel;
// choosing one emits chosen(value) and leaves the binding of `currentValue` to the caller.
Rectangle {
    id: picker

    property ChoiceListModel options
    property var currentValue
    // What a screen reader calls the whole picker ("清晰度", "片段类型", …).
    property string accessibleName
    signal chosen(var value)

    implicitHeight: Theme.controlHeight
    implicitWidth: segments.implicitWidth + 2 * Theme.spaceXxs
    radius: Theme.radiusMedium
    color: Theme.surfaceMuted
    Accessible.role: Accessible.PageTabList
    Accessible.name: accessibleName

    RowLayout {
        id: segments
        anchors.fill: parent
        anchors.margins: Theme.spaceXxs
        spacing: Theme.spaceXxs

        Repeater {
            model: picker.options
            delegate: AbstractButton {
                id: segment
                required property var value
                required property string title
                readonly property bool selected: value === picker.currentValue

                objectName: "segment_" + value
                text: title
                checkable: false
                focusPolicy: Qt.StrongFocus
                hoverEnabled: true
                Layout.fillWidth: true
                Layout.fillHeight: true
                implicitWidth: label.implicitWidth + 2 * Theme.spaceM
                Accessible.role: Accessible.PageTab
                Accessible.name: text
                Accessible.checkable: true
                Accessible.checked: selected
                Accessible.onPressAction: clicked()
                onClicked: if (!selected) picker.chosen(value)

                contentItem: Text {
                    id: label
                    text: segment.text
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.footnoteSize
                    font.weight: segment.selected ? Font.DemiBold : Font.Normal
                    color: segment.selected ? Theme.textPrimary : Theme.textSecondary
                    horizontalAlignment: Text.AlignHCenter
                    verticalAlignment: Text.AlignVCenter
                    elide: Text.ElideRight
                }
                background: Rectangle {
                    radius: Theme.radiusSmall
                    color: segment.selected ? Theme.surface : segment.hovered ? Theme.surfaceHover : "transparent"
                    border.width: segment.visualFocus ? Theme.focusRingWidth : segment.selected ? Theme.hairline : 0
                    border.color: segment.visualFocus ? Theme.focusRing : Theme.separator
                }
            }
        }
    }
}
