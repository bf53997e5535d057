import QtQuick
import QtQuick.Controls
import Orvane.Common
import Orvane.Library

// The events of the selected category by day, latest day first: a day title with its count, then
// that day's cards in rows of as many columns as fit, one list row per row of cards.
ListView {
    id: list

    required property LibraryViewModel library
    // A BrowserMode.CardSelection: what a click on a card does.
    required property int cardSelectionMode
    // A card was clicked (or activated from the keyboard).
    signal eventActivated(string eventID)

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

    // Shows row `row` at the top and gives its first card the keyboard (a day chosen in the calendar).
    function showRow(row) {
        list.positionViewAtIndex(row, ListView.Beginning)
        const shown = list.itemAtIndex(row)
        if (shown && shown.firstCard)
            shown.firstCard.forceActiveFocus(Qt.TabFocusReason) // its focus ring shows where it landed
    }

    objectName: "eventSections"
    model: library.datedEventRows
    spacing: Theme.cardSpacing
    clip: true
    boundsBehavior: Flickable.StopAtBounds
    cacheBuffer: height
    bottomMargin: Theme.spaceXl
    Accessible.role: Accessible.List
    Accessible.name: qsTr("视频片段")
    ScrollBar.vertical: ScrollBar { policy: ScrollBar.AsNeeded }

    // The rows hold as many cards as fit; none until the list has its width.
    Binding {
        target: list.library.datedEventRows
        property: "columns"
        value: list.columns
        when: list.width > 0
    }

    delegate: Column {
        id: row
        required property int index
        required property bool startsDay
        required property string dayTitle
        required property int dayEventCount
        required property var events
        readonly property Item firstCard: cards.count > 0 ? cards.itemAt(0) : null

        width: ListView.view.width
        // Days stand further apart than the rows of one day.
        topPadding: startsDay && index > 0 ? Theme.spaceXl - Theme.cardSpacing : 0
        spacing: Theme.spaceM

        Loader {
            active: row.startsDay
            visible: active
            width: row.width
            sourceComponent: DaySectionHeader {
                title: row.dayTitle
                count: row.dayEventCount
            }
        }
        Row {
            spacing: Theme.cardSpacing
            Repeater {
                id: cards
                model: row.events
                delegate: EventCard {
                    id: card
                    required isEncrypted
                    required isUnlocked
                    required reasonText
                    required hardBrakeCount
                    // The count is read while the card exists (again under its keys once unlocked).
                    property string countKey: ""
                    function wantCount() {
                        list.library.releaseHardBrakeCount(countKey)
                        countKey = list.library.wantHardBrakeCount(eventID)
                    }
                    Component.onCompleted: wantCount()
                    Component.onDestruction: if (countKey.length > 0 && list.library) list.library.releaseHardBrakeCount(countKey)
                    onIsUnlockedChanged: wantCount()
                    width: list.cardWidth
                    selectionMode: list.cardSelectionMode
                    onActivated: list.eventActivated(eventID)
                    onActiveFocusChanged: if (activeFocus) list.ensureVisible(this)
                }
            }
        }
    }
}
