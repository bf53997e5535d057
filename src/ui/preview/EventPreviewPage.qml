import QtQuick
import QtQuick.Layouts
import Orvane.Ui

// Stand-in until the event preview page lands: the way back to the browser.
Rectangle {
    id: page

    property var viewModel

    color: Theme.window

    ActionButton {
        objectName: "previewBackButton"
        anchors.left: parent.left
        anchors.top: parent.top
        anchors.margins: Theme.spaceL
        text: "返回"
        iconName: "chevron_left"
        onClicked: page.viewModel.closeEventPreview()
    }
}
