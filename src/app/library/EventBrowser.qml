import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.App

// The event browser under the category picker: its header, then the days of the selected
// category, or a placeholder when the category is empty.
ColumnLayout {
    id: browser

    required property LibraryViewModel library
    required property MergeViewModel merge
    required property ContentViewState screenState
    signal deleteRequested()

    spacing: Theme.spaceL

    BrowserHeader {
        library: browser.library
        merge: browser.merge
        screenState: browser.screenState
        Layout.fillWidth: true
        onDeleteRequested: browser.deleteRequested()
    }

    EmptyState {
        objectName: "emptyCategory"
        visible: browser.library.eventsInSelectedCategory.count === 0
        iconName: "videocam_off"
        title: WindowText.emptyCategoryTitle(browser.library.categoryDisplayName(browser.screenState.categorySelection))
        hint: qsTr("该分类中暂时没有可播放的视频")
        Layout.fillWidth: true
        Layout.fillHeight: true
    }

    EventSectionList {
        visible: browser.library.eventsInSelectedCategory.count > 0
        library: browser.library
        screenState: browser.screenState
        Layout.fillWidth: true
        Layout.fillHeight: true
    }
}
