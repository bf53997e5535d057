import QtQuick
import Orvane.Common

// A short notice over the picture: light text on a dark rounded box, as wide as its text up to
// maximumWidth, wrapping beyond it.
Rectangle {
    id: bubble

    property alias text: label.text
    property real maximumWidth: 400

    width: Math.min(maximumWidth, Math.ceil(metrics.advanceWidth) + 2 * Theme.spaceM)
    height: label.implicitHeight + 2 * Theme.spaceS
    radius: Theme.radiusMedium
    color: Theme.videoBox

    // The text's one-line width, measured apart from the wrapped text so the two do not chase
    // each other.
    TextMetrics {
        id: metrics
        font: label.font
        text: label.text
    }
    Text {
        id: label
        x: Theme.spaceS
        y: Theme.spaceS
        width: bubble.width - 2 * Theme.spaceS
        wrapMode: Text.Wrap
        horizontalAlignment: Text.AlignHCenter
        font.family: Theme.fontFamily
        font.pixelSize: Theme.footnoteSize
        color: Theme.videoForeground
    }
}
