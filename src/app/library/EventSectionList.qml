import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.App

// The events of the selected category by day, latest day first: a day title with its count, then
// that day's cards in as many columns as fit.
ListView {
    id: list

    required property LibraryViewModel library
    required property ContentViewState screenState

    readonly property int columns: Math.max(1, Math.floor((width + Theme.cardSpacing) / (Theme.cardMinWidth + Theme.cardSpacing)))
    readonly property real cardWidth: Math.floor((width - (columns - 1) * Theme.cardSpacing) / columns)

    // Scrolls just enough to show `item` (a card that took the keyboard focus).
    function ensureVisible(item) {
        const top = item.mapToItem(list.contentItem, 0, 0).y
        if (top < list.contentY)
            list.contentY = top - Theme.spaceM
        else if (top + item.height > list.contentY + list.height)
            list.contentY = top + item.height - list.height + Theme.spaceM
    }

    objectName: "eventSections"
    model: library.datedEventSections
    spacing: Theme.spaceXl
    clip: true
    boundsBehavior: Flickable.StopAtBounds
    cacheBuffer: height
    bottomMargin: Theme.spaceXl
    Accessible.role: Accessible.List
    Accessible.name: qsTr("视频片段")
    ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }

    delegate: ColumnLayout {
        id: day
        required property string title
        required property int eventCount
        required property var events

        width: ListView.view.width
        spacing: Theme.spaceM

        DaySectionHeader {
            title: day.title
            count: day.eventCount
            Layout.fillWidth: true
        }
        Flow {
            spacing: Theme.cardSpacing
            Layout.fillWidth: true
            Repeater {
                model: day.events
                delegate: EventCard {
                    required isEncrypted
                    required reasonText
                    width: list.cardWidth
                    selectionMode: list.screenState.cardSelectionMode
                    onActivated: list.screenState.activateEvent(eventID)
                    onActiveFocusChanged: if (activeFocus) list.ensureVisible(this)
                }
            }
        }
    }
}
