import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.Common
import Orvane.Library

// The event browser's header: the title and count on the leading side; on the trailing side the
// reason and marks filters and the jump-to-day calendar, the delete-selection controls, then what
// the window places in `extraControls` (the splice's), then "批量删除". When the controls leave the
// title too little room (a narrow window choosing clips to delete), they go on a row under it.
GridLayout {
    id: header

    required property LibraryViewModel library
    // A BrowserMode.HeaderControls.
    required property int controls
    property alias extraControls: extras.data
    signal deleteRequested()
    // The list should show this row (of the day chosen in the calendar) at its top.
    signal rowRequested(int row)

    readonly property bool stacked: titleColumn.implicitWidth + titleRoom + controlsRow.implicitWidth > width
    // Width the title keeps beside the controls before they move under it.
    readonly property int titleRoom: Theme.spaceXxl

    columns: stacked ? 1 : 2
    columnSpacing: Theme.spaceS
    rowSpacing: Theme.spaceS

    ColumnLayout {
        id: titleColumn
        spacing: Theme.spaceXxs
        Layout.fillWidth: true
        ThemedText {
            text: qsTr("视频片段")
            textStyle: ThemedText.Title2
            elide: Text.ElideRight
            Accessible.role: Accessible.Heading
            Layout.fillWidth: true
        }
        ThemedText {
            objectName: "eventCount"
            text: LibraryText.eventCount(header.library.eventsInSelectedCategory.count)
            textStyle: ThemedText.Footnote
            secondary: true
            elide: Text.ElideRight
            Layout.fillWidth: true
        }
    }

    RowLayout {
        id: controlsRow
        spacing: Theme.spaceS
        Layout.alignment: Qt.AlignRight | Qt.AlignVCenter

        // Finding an event
        ReasonFilterButton {
            library: header.library
            visible: header.controls !== BrowserMode.NoControls
            Layout.maximumWidth: Theme.finder.reasonMenuWidth
        }
        MarksFilterButton {
            visible: header.controls !== BrowserMode.NoControls
            filter: header.library.marksFilter
        }
        JumpToDayButton {
            library: header.library
            visible: header.controls !== BrowserMode.NoControls
            onRowRequested: (row) => header.rowRequested(row)
        }

        // Delete selection
        ActionButton {
            objectName: "cancelDeleteButton"
            visible: header.controls === BrowserMode.DeleteSelectionControls
            text: qsTr("取消")
            onClicked: header.library.cancelDeleteSelection()
        }
        ActionButton {
            objectName: "selectAllButton"
            visible: header.controls === BrowserMode.DeleteSelectionControls
            text: header.library.allEventsSelectedForDeletion ? qsTr("取消全选") : qsTr("全选")
            onClicked: header.library.toggleSelectAllEventsForDeletion()
        }
        ActionButton {
            objectName: "deleteSelectedButton"
            visible: header.controls === BrowserMode.DeleteSelectionControls
            text: LibraryText.deleteButton(header.library.deleteSelectedCount)
            kind: ActionButton.Danger
            iconName: "delete_outline"
            busy: header.library.isDeletingEvents
            enabled: header.library.deleteSelectedCount > 0 && !header.library.isDeletingEvents
            onClicked: header.deleteRequested()
        }

        RowLayout {
            id: extras
            spacing: controlsRow.spacing
        }

        ActionButton {
            objectName: "startDeleteButton"
            visible: header.controls === BrowserMode.ActionControls
            text: qsTr("批量删除")
            iconName: "delete_outline"
            onClicked: header.library.startDeleteSelection()
        }
    }
}
