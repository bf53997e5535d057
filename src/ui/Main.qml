import QtQuick
import QtQuick.Controls
import Orvane.App
import Orvane.Ui

// The application's one window over its two state objects. The program sizes, centres and shows
// it (MainWindowConfigurator).
ApplicationWindow {
    id: window

    required property MainViewModel viewModel
    // The AppUpdateController.
    required property QtObject updateController

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
