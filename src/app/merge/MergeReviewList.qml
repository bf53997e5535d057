import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.Common
import Orvane.Merge

// The review page's items in output order, each with its kept part and buttons to move it;
// the item playing is marked.
ListView {
    id: list

    required property MergeViewModel merge
    required property MergeEditorController editor

    implicitHeight: contentHeight
    spacing: Theme.spaceXs
    clip: true
    boundsBehavior: Flickable.StopAtBounds
    model: merge.mergeItems
    ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }

    delegate: Rectangle {
        id: row
        required property int index
        required property string itemID
        required property int number
        required property string eventTitle
        required property real rangeStart
        required property real rangeEnd
        required property bool isFirst
        required property bool isLast
        readonly property bool playing: index === list.editor.reviewItemIndex

        objectName: "reviewItem_" + number
        width: ListView.view.width
        height: Theme.merge.reviewRowHeight
        radius: Theme.radiusMedium
        color: playing ? Theme.accentSoft : Theme.surface
        border.width: Theme.hairline
        border.color: playing ? Theme.accent : Theme.separator
        Accessible.role: Accessible.ListItem
        Accessible.name: list.editor.reviewItemTitle(number)

        RowLayout {
            anchors.fill: parent
            anchors.leftMargin: Theme.spaceM
            anchors.rightMargin: Theme.spaceXs
            spacing: Theme.spaceS

            Icon {
                name: row.playing ? "play_circle" : "movie"
                size: Theme.iconSize
                color: row.playing ? Theme.accent : Theme.textTertiary
            }
            ThemedText {
                text: list.editor.reviewItemTitle(row.number)
                textStyle: ThemedText.Headline
            }
            ThemedText {
                text: row.eventTitle
                secondary: true
                textStyle: ThemedText.Footnote
                elide: Text.ElideRight
                Layout.fillWidth: true
            }
            ThemedText {
                text: list.editor.keptRangeText(row.rangeStart, row.rangeEnd)
                mono: true
                secondary: true
                textStyle: ThemedText.Footnote
            }
            IconButton {
                objectName: "moveUp_" + row.number
                iconName: "arrow_upward"
                accessibleName: qsTr("上移%1").arg(list.editor.reviewItemTitle(row.number))
                focusPolicy: Qt.TabFocus
                enabled: !row.isFirst
                onClicked: list.editor.moveItemUp(row.index)
            }
            IconButton {
                objectName: "moveDown_" + row.number
                iconName: "arrow_downward"
                accessibleName: qsTr("下移%1").arg(list.editor.reviewItemTitle(row.number))
                focusPolicy: Qt.TabFocus
                enabled: !row.isLast
                onClicked: list.editor.moveItemDown(row.index)
            }
        }
    }
}
