import QtQuick
import QtQuick.Layouts
import Orvane.Common
import Orvane.Library

// The browser when the reason filter hides every event of the category: says so, and offers to
// show all reasons again.
Item {
    id: placeholder

    required property LibraryViewModel library

    objectName: "reasonFilterEmpty"

    EmptyState {
        anchors.fill: parent
        // Room below for the button.
        anchors.bottomMargin: 2 * Theme.spaceXxxl
        iconName: "filter_alt_off"
        title: LibraryText.reasonFilterEmptyTitle(placeholder.library.reasonFilterTitle)
        hint: qsTr("该分类中没有因这个原因保存的片段。")
    }
    ActionButton {
        objectName: "showAllReasonsButton"
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.top: parent.verticalCenter
        anchors.topMargin: Theme.spaceXxxl
        text: qsTr("显示全部原因")
        kind: ActionButton.Prominent
        onClicked: placeholder.library.setReasonFilter("")
    }
}
