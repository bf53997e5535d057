import QtQuick
import Orvane.Common

// A short notice over the picture: light text on a dark rounded box, as wide as its text up to
// maximumWidth, wrapping beyond it.
Rectangle {
    id: bubble

    property alias text: label.text
    property real maximumWidth: 400

    width: Math.min(maximumWidth, label.implicitWidth + 2 * Theme.spaceM)
    height: label.implicitHeight + 2 * Theme.spaceS
    radius: Theme.radiusMedium
    color: Theme.videoBox

    Text {
        id: label
        anchors.fill: parent
        anchors.margins: Theme.spaceS
        wrapMode: Text.Wrap
        horizontalAlignment: Text.AlignHCenter
        font.family: Theme.fontFamily
        font.pixelSize: Theme.footnoteSize
        color: Theme.videoForeground
    }
}
