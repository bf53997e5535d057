import QtQuick
import Orvane.Common

// One symbol of the icon font, named by its ligature ("play_arrow", "close", …).
Text {
    property string name
    property int size: Theme.iconSize

    text: name
    font.family: Theme.iconFamily
    font.pixelSize: size
    color: Theme.textPrimary
    horizontalAlignment: Text.AlignHCenter
    verticalAlignment: Text.AlignVCenter
    renderType: Text.QtRendering
    Accessible.ignored: true
}
