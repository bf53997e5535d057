import QtQuick
import QtQuick.Layouts
import Orvane.Common
import Orvane.Preview

// "该机位没有视频" with a crossed-out camera, white over a black video box. `compact` for grid
// cells. `text` may say something else (the merge editor: "暂无可预览片段"; encrypted footage,
// with the "lock" icon).
ColumnLayout {
    id: note

    property bool compact: false
    property string text: qsTr("该机位没有视频")
    property string iconName: "videocam_off"

    spacing: Theme.spaceS
    Accessible.role: Accessible.StaticText
    Accessible.name: text

    Icon {
        name: note.iconName
        size: note.compact ? Theme.iconSize : Theme.iconSizeLarge
        color: Theme.videoForegroundSecondary
        Layout.alignment: Qt.AlignHCenter
    }
    Text {
        text: note.text
        // A long notice (the car encrypted the footage) wraps within the picture.
        wrapMode: Text.Wrap
        horizontalAlignment: Text.AlignHCenter
        Layout.maximumWidth: note.parent ? note.parent.width * 0.8 : implicitWidth
        font.family: Theme.fontFamily
        font.pixelSize: note.compact ? Theme.captionSize : Theme.bodySize
        color: Theme.videoForegroundSecondary
        Layout.alignment: Qt.AlignHCenter
    }
}
