import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.Common
import Orvane.Library

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
    // The car encrypted the footage (a lock on the picture); why the car saved it, in words.
    property bool isEncrypted: false
    // … and the session holds its keys: it plays as plain footage.
    property bool isUnlocked: false
    property string reasonText: ""
    // Times the car braked hard; -1 while not known (nothing is shown then, nor for none).
    property int hardBrakeCount: -1
    // A BrowserMode.CardSelection.
    property int selectionMode: BrowserMode.OpenCards
    signal activated()

    readonly property bool marked: selectionMode === BrowserMode.DeleteCards ? isDeleteSelected
                                 : selectionMode === BrowserMode.MergeCards ? isMergeSelected : false

    objectName: "eventCard_" + eventID
    focusPolicy: Qt.StrongFocus
    hoverEnabled: true
    padding: Theme.spaceS
    implicitHeight: implicitContentHeight + topPadding + bottomPadding
    Accessible.role: selectionMode !== BrowserMode.OpenCards ? Accessible.CheckBox : Accessible.Button
    Accessible.name: timeRangeTitle + (isEncrypted ? qsTr("，已加密") : "")
                     + (hardBrakeCount > 0 ? qsTr("，") + brakeText.text : "") + (reasonText.length > 0 ? qsTr("，") + reasonText : "")
                     + (locationLine.length > 0 ? qsTr("，") + locationLine : "")
    Accessible.checkable: selectionMode !== BrowserMode.OpenCards
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

            Rectangle {
                objectName: "lockBadge"
                visible: card.isEncrypted
                anchors.top: parent.top
                anchors.left: parent.left
                anchors.margins: Theme.spaceS
                width: lockRow.implicitWidth + 2 * Theme.watermarkPaddingH
                height: lockRow.implicitHeight + 2 * Theme.watermarkPaddingV
                radius: Theme.radiusSmall
                color: Theme.videoBox
                Row {
                    id: lockRow
                    anchors.centerIn: parent
                    spacing: Theme.spaceXxs
                    Icon {
                        name: card.isUnlocked ? "lock_open" : "lock"
                        size: Theme.iconSizeSmall
                        color: Theme.videoForeground
                    }
                    Text {
                        text: card.isUnlocked ? qsTr("已解锁") : qsTr("已加密")
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.captionSize
                        color: Theme.videoForeground
                    }
                }
            }
            Rectangle {
                objectName: "hardBrakeBadge"
                visible: card.hardBrakeCount > 0
                anchors.top: parent.top
                anchors.right: parent.right
                anchors.margins: Theme.spaceS
                width: brakeRow.implicitWidth + 2 * Theme.watermarkPaddingH
                height: brakeRow.implicitHeight + 2 * Theme.watermarkPaddingV
                radius: Theme.radiusSmall
                color: Theme.videoBox
                Row {
                    id: brakeRow
                    anchors.centerIn: parent
                    spacing: Theme.spaceXxs
                    Icon {
                        name: "warning"
                        size: Theme.iconSizeSmall
                        color: Theme.dashboard.brake
                    }
                    Text {
                        id: brakeText
                        text: qsTr("急刹车 %n", "", card.hardBrakeCount)
                        font.family: Theme.fontFamily
                        font.pixelSize: Theme.captionSize
                        color: Theme.videoForeground
                    }
                }
            }
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
                    textStyle: ThemedText.Headline
                    mono: true
                    elide: Text.ElideRight
                    Layout.fillWidth: true
                }
                ThemedText {
                    objectName: "cardLocation"
                    // Why, then where; keeps the card's height when there is neither.
                    text: [card.reasonText, card.locationLine].filter(t => t.length > 0).join(" · ") || " "
                    textStyle: ThemedText.Footnote
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
