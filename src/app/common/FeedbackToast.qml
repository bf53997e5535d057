import QtQuick
import QtQuick.Layouts
import Orvane.Common

// A short message over the video (the range buttons' feedback): black for success, orange for
// errors. Shown while `message` is not empty; the page decides how long.
Item {
    id: toast

    property string message
    property bool isError: false
    // The text last shown, kept while fading out.
    property string shownMessage

    implicitWidth: box.implicitWidth
    implicitHeight: box.implicitHeight
    opacity: message.length > 0 ? 1 : 0
    visible: opacity > 0
    onMessageChanged: if (message.length > 0) shownMessage = message

    Behavior on opacity {
        NumberAnimation { duration: Theme.motionFast; easing.type: Easing.InOutQuad }
    }

    Accessible.role: Accessible.AlertMessage
    Accessible.name: shownMessage

    Rectangle {
        id: box
        implicitWidth: row.implicitWidth + 2 * Theme.toastPaddingH
        implicitHeight: row.implicitHeight + 2 * Theme.toastPaddingV
        radius: Theme.radiusSmall
        color: toast.isError ? Theme.videoErrorBox : Theme.videoBox

        RowLayout {
            id: row
            anchors.centerIn: parent
            spacing: Theme.toastSpacing
            Icon {
                name: toast.isError ? "error" : "check_circle"
                size: Theme.iconSizeSmall
                color: Theme.videoForeground
            }
            Text {
                text: toast.shownMessage
                font.family: Theme.fontFamily
                font.pixelSize: Theme.captionSize
                font.weight: Font.Medium
                color: Theme.videoForeground
            }
        }
    }
}
