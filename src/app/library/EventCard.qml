import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.App

// One event of the browser: its thumbnail, its time range and place, and the trailing mark.
// Clicking (or Space/Enter) emits activated(); what that does depends on the selection mode.
AbstractButton {
    id: card

    required property string eventID
    required property string timeRangeTitle
    required property string locationLine
    required property string thumbnailSource
    required property bool isDeleteSelected
    required property bool isMergeSelected
    required property int mergeOrder
    // "", "delete" or "merge"
    property int selectionMode: ContentViewState.OpenCards
    signal activated()

    readonly property bool marked: selectionMode === ContentViewState.DeleteCards ? isDeleteSelected
                                 : selectionMode === ContentViewState.MergeCards ? isMergeSelected : false

    objectName: "eventCard_" + eventID
    focusPolicy: Qt.StrongFocus
    hoverEnabled: true
    padding: Theme.spaceS
    implicitHeight: implicitContentHeight + topPadding + bottomPadding
    Accessible.role: selectionMode !== ContentViewState.OpenCards ? Accessible.CheckBox : Accessible.Button
    Accessible.name: timeRangeTitle + (locationLine.length > 0 ? "，" + locationLine : "")
    Accessible.checkable: selectionMode !== ContentViewState.OpenCards
    Accessible.checked: marked
    Accessible.onPressAction: clicked()
    Keys.onReturnPressed: clicked()
    Keys.onEnterPressed: clicked()
    onClicked: activated()

    contentItem: ColumnLayout {
        spacing: Theme.spaceS

        EventThumbnailView {
            objectName: "cardThumbnail"
            source: card.thumbnailSource
            cornerColor: card.background.color
            Layout.fillWidth: true
            Layout.preferredHeight: Math.round(width * 9 / 16)
        }
        RowLayout {
            spacing: Theme.spaceS
            Layout.fillWidth: true
            Layout.leftMargin: Theme.spaceXs
            Layout.rightMargin: Theme.spaceXxs
            Layout.bottomMargin: Theme.spaceXxs

            ColumnLayout {
                spacing: Theme.spaceXxs
                Layout.fillWidth: true
                ThemedText {
                    objectName: "cardTitle"
                    text: card.timeRangeTitle
                    textStyle: "headline"
                    mono: true
                    elide: Text.ElideRight
                    Layout.fillWidth: true
                }
                ThemedText {
                    objectName: "cardLocation"
                    // Keeps the card's height when there is no place.
                    text: card.locationLine.length > 0 ? card.locationLine : " "
                    textStyle: "footnote"
                    secondary: true
                    elide: Text.ElideRight
                    maximumLineCount: 1
                    Layout.fillWidth: true
                }
            }
            SelectionMark {
                objectName: "selectionMark"
                mode: card.selectionMode
                marked: card.marked
                order: card.mergeOrder
            }
        }
    }

    background: Rectangle {
        radius: Theme.radiusLarge
        color: card.down ? Theme.surfaceHover : card.hovered ? Theme.surfaceMuted : Theme.surface
        border.width: card.visualFocus || card.marked ? Theme.focusRingWidth : Theme.hairline
        border.color: card.visualFocus || card.marked ? Theme.focusRing : Theme.separator
    }
}
