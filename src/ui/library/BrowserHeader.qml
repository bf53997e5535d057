import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.App
import Orvane.Ui

// The event browser's header: the title and count on the leading side; on the trailing side the
// delete-selection controls, the merge-selection controls, or "拼接" and "批量删除".
RowLayout {
    id: header

    required property MainViewModel viewModel
    required property ContentViewState screenState
    signal deleteRequested()

    readonly property string controls: screenState.headerControls

    spacing: Theme.spaceS

    ColumnLayout {
        spacing: Theme.spaceXxs
        Layout.fillWidth: true
        ThemedText {
            text: "视频片段"
            textStyle: "title2"
            elide: Text.ElideRight
            Accessible.role: Accessible.Heading
            Layout.fillWidth: true
        }
        ThemedText {
            objectName: "eventCount"
            text: WindowText.eventCount(header.viewModel.eventsInSelectedCategory.count)
            textStyle: "footnote"
            secondary: true
            elide: Text.ElideRight
            Layout.fillWidth: true
        }
    }

    // Delete selection
    ActionButton {
        objectName: "cancelDeleteButton"
        visible: header.controls === "deleteSelection"
        text: "取消"
        onClicked: header.viewModel.cancelDeleteSelection()
    }
    ActionButton {
        objectName: "selectAllButton"
        visible: header.controls === "deleteSelection"
        text: header.viewModel.allEventsSelectedForDeletion ? "取消全选" : "全选"
        onClicked: header.viewModel.toggleSelectAllEventsForDeletion()
    }
    ActionButton {
        objectName: "deleteSelectedButton"
        visible: header.controls === "deleteSelection"
        text: WindowText.deleteButton(header.viewModel.deleteSelectedCount)
        kind: "danger"
        iconName: "delete_outline"
        busy: header.viewModel.isDeletingEvents
        enabled: header.viewModel.deleteSelectedCount > 0 && !header.viewModel.isDeletingEvents
        onClicked: header.deleteRequested()
    }

    // Merge selection
    ActionButton {
        objectName: "cancelMergeButton"
        visible: header.controls === "mergeSelection"
        text: "取消"
        onClicked: header.viewModel.cancelMergeSelection()
    }
    ActionButton {
        objectName: "mergeNextButton"
        visible: header.controls === "mergeSelection"
        text: WindowText.mergeNextButton(header.viewModel.mergeSelectedEventIDs.length)
        kind: "prominent"
        busy: header.viewModel.isPreparingMerge
        enabled: header.screenState.canContinueMerge
        onClicked: header.viewModel.prepareMergeEditor()
    }

    // Neither
    ActionButton {
        objectName: "startMergeButton"
        visible: header.screenState.offersMergeSelection
        text: "拼接"
        iconName: "library_add"
        onClicked: header.viewModel.startMergeSelection()
    }
    ActionButton {
        objectName: "startDeleteButton"
        visible: header.controls === "actions"
        text: "批量删除"
        iconName: "delete_outline"
        onClicked: header.viewModel.startDeleteSelection()
    }
}
