import QtQuick
import QtQuick.Layouts
import Orvane.Common
import Orvane.Window

// Blocks the window while an update downloads and installs (open it while
// AppUpdateController.isUpdating).
BlockingOverlay {
    id: overlay

    // AppUpdateController.updateStatusMessage
    property string statusMessage


    ThemedText {
        objectName: "updateStatus"
        Accessible.role: Accessible.AlertMessage
        text: overlay.statusMessage
        textStyle: ThemedText.Headline
        horizontalAlignment: Text.AlignHCenter
        wrapMode: Text.Wrap
        Layout.fillWidth: true
    }
    ThemedText {
        text: qsTr("更新完成后应用会自动重启")
        textStyle: ThemedText.Footnote
        secondary: true
        horizontalAlignment: Text.AlignHCenter
        wrapMode: Text.Wrap
        Layout.fillWidth: true
    }
}
