import QtQuick
import QtQuick.Layouts
import Orvane.Ui

// Stand-in until the merge editor lands: the way back to the browser.
Rectangle {
    id: editor

    property var viewModel

    color: Theme.window

    ActionButton {
        objectName: "mergeBackButton"
        anchors.left: parent.left
        anchors.top: parent.top
        anchors.margins: Theme.spaceL
        text: "返回"
        iconName: "chevron_left"
        onClicked: editor.viewModel.closeMergeEditor()
    }
}
