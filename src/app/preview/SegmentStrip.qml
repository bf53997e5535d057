import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.Common
import Orvane.Preview

// The minutes of a multi-minute event as a row of chips: a tap plays the minute; in merge
// selection a tap picks it, and "下一步" opens the merge editor once two or more are picked.
ColumnLayout {
    id: strip

    required property PreviewViewModel preview
    required property PreviewPageController page
    readonly property PreviewSegmentList segments: page.segments

    spacing: Theme.spaceS

    RowLayout {
        spacing: Theme.spaceS
        Layout.fillWidth: true
        Layout.preferredHeight: Theme.controlHeight

        ThemedText {
            objectName: "segmentHint"
            text: strip.segments.hint
            secondary: true
            textStyle: ThemedText.Footnote
            elide: Text.ElideRight
            Layout.fillWidth: true
        }
        ThemedText {
            objectName: "segmentCount"
            visible: strip.segments.isSelecting
            text: strip.segments.countText
            textStyle: ThemedText.Footnote
        }
        ActionButton {
            objectName: "cancelSegmentSelection"
            visible: strip.segments.isSelecting
            text: qsTr("取消")
            kind: ActionButton.Plain
            focusPolicy: Qt.TabFocus
            onClicked: strip.segments.toggleSelection()
        }
        ActionButton {
            objectName: "segmentMergeNext"
            visible: strip.segments.isSelecting
            text: qsTr("下一步")
            kind: ActionButton.Prominent
            focusPolicy: Qt.TabFocus
            enabled: strip.segments.canMerge
            onClicked: strip.segments.continueMerge()
        }
        IconButton {
            objectName: "startSegmentSelection"
            visible: !strip.segments.isSelecting
            iconName: "library_add"
            accessibleName: qsTr("多选片段拼接")
            focusPolicy: Qt.TabFocus
            onClicked: strip.segments.toggleSelection()
        }
    }

    ListView {
        id: list
        objectName: "segmentList"
        orientation: ListView.Horizontal
        spacing: Theme.spaceS
        clip: true
        boundsBehavior: Flickable.StopAtBounds
        model: strip.preview.videoGroups
        Layout.fillWidth: true
        Layout.preferredHeight: Theme.preview.segmentChipHeight
        ScrollBar.horizontal: ScrollBar { policy: ScrollBar.AsNeeded }

        delegate: AbstractButton {
            id: chip
            required property string groupKey
            required property string timeTitle
            required property bool isCurrent
            required property bool isMergeSelected
            required property int mergeOrder
            required property string note
            readonly property bool selecting: strip.segments.isSelecting
            readonly property string mark: selecting ? (isMergeSelected ? "check_circle" : "radio_button_unchecked")
                                                    : (isCurrent ? "play_circle" : "radio_button_unchecked")
            readonly property bool marked: selecting ? isMergeSelected : isCurrent

            objectName: "segment_" + groupKey
            focusPolicy: Qt.TabFocus
            hoverEnabled: true
            height: ListView.view.height
            implicitWidth: chipRow.implicitWidth + 2 * Theme.spaceM
            Accessible.role: selecting ? Accessible.CheckBox : Accessible.Button
            Accessible.name: note.length > 0 ? timeTitle + qsTr("，") + note : timeTitle
            Accessible.checked: marked
            Accessible.onPressAction: clicked()
            onClicked: strip.segments.activate(groupKey)

            contentItem: Item {
                RowLayout {
                    id: chipRow
                    anchors.centerIn: parent
                    spacing: Theme.spaceS
                    Icon {
                        name: chip.mark
                        size: Theme.iconSizeSmall + 2
                        color: chip.marked ? Theme.accent : Theme.textTertiary
                    }
                    ThemedText {
                        text: chip.timeTitle
                        mono: true
                        textStyle: ThemedText.Footnote
                        font.weight: chip.isCurrent ? Font.DemiBold : Font.Normal
                    }
                    ThemedText {
                        objectName: "segmentNote"
                        visible: chip.note.length > 0
                        text: chip.note
                        textStyle: ThemedText.Caption
                        secondary: true
                    }
                    ThemedText {
                        visible: chip.selecting && chip.mergeOrder > 0
                        text: chip.mergeOrder
                        textStyle: ThemedText.Caption
                        color: Theme.accent
                        font.weight: Font.DemiBold
                    }
                }
            }
            background: Rectangle {
                radius: Theme.radiusMedium
                color: chip.marked ? Theme.accentSoft : chip.hovered ? Theme.surfaceMuted : Theme.surface
                border.width: chip.visualFocus ? Theme.focusRingWidth : Theme.hairline
                border.color: chip.visualFocus ? Theme.focusRing : chip.marked ? Theme.accent : Theme.separator
            }
        }
    }
}
