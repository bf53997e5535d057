import QtQuick
import QtQuick.Controls
import Orvane.Common
import Orvane.Window
import Orvane.Update

// The application's one window over its two state objects. The program sizes, centres and shows
// it (MainWindowConfigurator).
ApplicationWindow {
    id: window

    required property MainViewModel viewModel
    required property AppUpdateController updateController

    title: "Orvane"
    color: Theme.window
    visible: false
    font.family: Theme.fontFamily

    ContentView {
        objectName: "contentView"
        anchors.fill: parent
        focus: true
        viewModel: window.viewModel
        updateController: window.updateController
    }
}
