import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.Common
import Orvane.Library

// The event browser under the category picker: its header, then the days of the selected
// category, or a placeholder when the category is empty. Items declared inside it join the
// header's controls (the window places the splice's there).
ColumnLayout {
    id: browser

    required property LibraryViewModel library
    // A BrowserMode.HeaderControls and a BrowserMode.CardSelection.
    required property int headerControls
    required property int cardSelectionMode
    // The category shown (its raw value).
    required property string category
    default property alias headerExtras: header.extraControls
    signal deleteRequested()
    signal eventActivated(string eventID)

    spacing: Theme.spaceL

    BrowserHeader {
        id: header
        library: browser.library
        controls: browser.headerControls
        Layout.fillWidth: true
        onDeleteRequested: browser.deleteRequested()
        onRowRequested: (row) => sections.showRow(row)
    }

    ThemedText {
        objectName: "marksProgress"
        visible: text.length > 0 && browser.library.eventsInSelectedCategory.count > 0
        text: browser.library.marksFilter.progressText
        textStyle: ThemedText.Footnote
        secondary: true
        Layout.fillWidth: true
    }

    EmptyState {
        objectName: "emptyCategory"
        // The marks filter's words when it hides every event the reason filter keeps.
        readonly property bool filtered: browser.library.marksFilter.activeCount > 0
        visible: browser.library.eventsInSelectedCategory.count === 0 && !browser.library.reasonFilterHidesAll
        iconName: filtered ? "filter_list" : "videocam_off"
        title: filtered ? browser.library.marksFilter.emptyTitle
                        : LibraryText.emptyCategoryTitle(browser.library.categoryDisplayName(browser.category))
        hint: filtered ? browser.library.marksFilter.emptyHint : qsTr("该分类中暂时没有可播放的视频")
        Layout.fillWidth: true
        Layout.fillHeight: true
    }

    ReasonFilterEmptyState {
        visible: browser.library.reasonFilterHidesAll
        library: browser.library
        Layout.fillWidth: true
        Layout.fillHeight: true
    }

    EventSectionList {
        id: sections
        visible: browser.library.eventsInSelectedCategory.count > 0
        library: browser.library
        cardSelectionMode: browser.cardSelectionMode
        Layout.fillWidth: true
        Layout.fillHeight: true
        onEventActivated: (eventID) => browser.eventActivated(eventID)
    }
}
