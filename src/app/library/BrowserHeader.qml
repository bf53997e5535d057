import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.App

// The event browser's header: the title and count on the leading side; on the trailing side the
// delete-selection controls, the merge-selection controls, or "拼接" and "批量删除".
RowLayout {
    id: header

    required property LibraryViewModel library
    required property MergeViewModel merge
    required property ContentViewState screenState
    signal deleteRequested()

    readonly property int controls: screenState.headerControls

    spacing: Theme.spaceS

    ColumnLayout {
        spacing: Theme.spaceXxs
        Layout.fillWidth: true
        ThemedText {
            text: qsTr("视频片段")
            textStyle: "title2"
            elide: Text.ElideRight
            Accessible.role: Accessible.Heading
            Layout.fillWidth: true
        }
        ThemedText {
            objectName: "eventCount"
            text: WindowText.eventCount(header.library.eventsInSelectedCategory.count)
            textStyle: "footnote"
            secondary: true
            elide: Text.ElideRight
            Layout.fillWidth: true
        }
    }

    // Delete selection
    ActionButton {
        objectName: "cancelDeleteButton"
        visible: header.controls === ContentViewState.DeleteSelectionControls
        text: qsTr("取消")
        onClicked: header.library.cancelDeleteSelection()
    }
    ActionButton {
        objectName: "selectAllButton"
        visible: header.controls === ContentViewState.DeleteSelectionControls
        text: header.library.allEventsSelectedForDeletion ? qsTr("取消全选") : qsTr("全选")
        onClicked: header.library.toggleSelectAllEventsForDeletion()
    }
    ActionButton {
        objectName: "deleteSelectedButton"
        visible: header.controls === ContentViewState.DeleteSelectionControls
        text: WindowText.deleteButton(header.library.deleteSelectedCount)
        kind: "danger"
        iconName: "delete_outline"
        busy: header.library.isDeletingEvents
        enabled: header.library.deleteSelectedCount > 0 && !header.library.isDeletingEvents
        onClicked: header.deleteRequested()
    }

    // Merge selection
    ActionButton {
        objectName: "cancelMergeButton"
        visible: header.controls === ContentViewState.MergeSelectionControls
        text: qsTr("取消")
        onClicked: header.merge.cancelMergeSelection()
    }
    ActionButton {
        objectName: "mergeNextButton"
        visible: header.controls === ContentViewState.MergeSelectionControls
        text: WindowText.mergeNextButton(header.merge.mergeSelectedEventCount)
        kind: "prominent"
        busy: header.merge.isPreparingMerge
        enabled: header.screenState.canContinueMerge
        onClicked: header.merge.prepareMergeEditor()
    }

    // Neither
    ActionButton {
        objectName: "startMergeButton"
        visible: header.screenState.offersMergeSelection
        text: qsTr("拼接")
        iconName: "library_add"
        onClicked: header.merge.startMergeSelection()
    }
    ActionButton {
        objectName: "startDeleteButton"
        visible: header.controls === ContentViewState.ActionControls
        text: qsTr("批量删除")
        iconName: "delete_outline"
        onClicked: header.library.startDeleteSelection()
    }
}
