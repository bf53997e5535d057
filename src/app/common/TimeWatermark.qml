import QtQuick
import Orvane.Common

// The recording time over the video, in the same box as the one burned into exports.
// The item includes its outer inset, so it can be anchored straight to a video corner.
Item {
    id: watermark

    property string text

    implicitWidth: box.width + 2 * Theme.watermarkInset
    implicitHeight: box.height + 2 * Theme.watermarkInset
    Accessible.role: Accessible.StaticText
    Accessible.name: text

    Rectangle {
        id: box
        x: Theme.watermarkInset
        y: Theme.watermarkInset
        width: label.implicitWidth + 2 * Theme.watermarkPaddingH
        height: label.implicitHeight + 2 * Theme.watermarkPaddingV
        radius: Theme.radiusSmall
        color: Theme.videoBox

        Text {
            id: label
            anchors.centerIn: parent
            text: watermark.text
            font.family: Theme.monoFamily
            font.pixelSize: Theme.captionSize
            font.weight: Font.DemiBold
            color: Theme.videoForeground
        }
    }
}
