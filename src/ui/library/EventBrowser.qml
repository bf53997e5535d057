import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.App
import Orvane.Ui

// The event browser under the category picker: its header, then the days of the selected
// category, or a placeholder when the category is empty.
ColumnLayout {
    id: browser

    required property MainViewModel viewModel
    required property ContentViewState screenState
    signal deleteRequested()

    spacing: Theme.spaceL

    BrowserHeader {
        viewModel: browser.viewModel
        screenState: browser.screenState
        Layout.fillWidth: true
        onDeleteRequested: browser.deleteRequested()
    }

    EmptyState {
        objectName: "emptyCategory"
        visible: browser.viewModel.eventsInSelectedCategory.count === 0
        iconName: "videocam_off"
        title: WindowText.emptyCategoryTitle(browser.viewModel.categoryDisplayName(browser.screenState.categorySelection))
        hint: "该分类中暂时没有可播放的视频"
        Layout.fillWidth: true
        Layout.fillHeight: true
    }

    EventSectionList {
        visible: browser.viewModel.eventsInSelectedCategory.count > 0
        viewModel: browser.viewModel
        screenState: browser.screenState
        Layout.fillWidth: true
        Layout.fillHeight: true
    }
}
