import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.Common
import Orvane.Preview

// A labelled row of mutually exclusive camera choices: the preview's tabs and the merge
// editor's picker. `options` is a ChoiceListModel; choosing one emits picked(value).
RowLayout {
    id: tabs

    property string label: qsTr("机位")
    property ChoiceListModel options
    property string current
    signal picked(string value)

    spacing: Theme.spaceS
    Accessible.role: Accessible.PageTabList
    Accessible.name: label

    ThemedText {
        text: tabs.label
        secondary: true
        textStyle: ThemedText.Footnote
    }

    Rectangle {
        implicitWidth: row.implicitWidth + 2 * Theme.spaceXxs
        implicitHeight: Theme.controlHeight
        radius: Theme.radiusMedium
        color: Theme.surfaceMuted

        Row {
            id: row
            anchors.centerIn: parent
            spacing: Theme.spaceXxs

            Repeater {
                model: tabs.options
                delegate: AbstractButton {
                    id: tab
                    required property var value
                    required property string title
                    objectName: "cameraTab_" + value
                    readonly property bool selected: value === tabs.current

                    text: title
                    checkable: false
                    focusPolicy: Qt.TabFocus
                    hoverEnabled: true
                    implicitHeight: Theme.controlHeight - 2 * Theme.spaceXxs
                    implicitWidth: label.implicitWidth + 2 * Theme.spaceM
                    Accessible.role: Accessible.PageTab
                    Accessible.name: text
                    Accessible.checked: selected
                    Accessible.onPressAction: clicked()
                    onClicked: if (!selected) tabs.picked(value)

                    contentItem: Text {
                        id: label
                        text: tab.text
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.footnoteSize
                        font.weight: tab.selected ? Font.DemiBold : Font.Normal
                        color: tab.selected ? Theme.textPrimary : Theme.textSecondary
                        horizontalAlignment: Text.AlignHCenter
                        verticalAlignment: Text.AlignVCenter
                    }
                    background: Rectangle {
                        radius: Theme.radiusSmall
                        color: tab.selected ? Theme.surface : tab.hovered ? Theme.surfaceHover : "transparent"
                        border.width: tab.visualFocus ? Theme.focusRingWidth : tab.selected ? Theme.hairline : 0
                        border.color: tab.visualFocus ? Theme.focusRing : Theme.separator
                    }
                }
            }
        }
    }
}
