import QtQuick
import QtQuick.Layouts
import Orvane.Common
import Orvane.Preview

// What went wrong with the footage in a picture's place, or over its last picture: a title
// ("无法读取这一分钟的视频", "视频在 00:01 处中断") and why, white on a dark box so it reads
// over any picture. `compact` for grid cells.
Rectangle {
    id: note

    property string text
    property string detail
    property bool compact: false

    width: Math.min(column.implicitWidth + 2 * Theme.spaceM, parent ? parent.width - 2 * Theme.spaceS : 0)
    height: column.implicitHeight + 2 * Theme.spaceS
    radius: Theme.radiusMedium
    color: Theme.videoBox
    Accessible.role: Accessible.AlertMessage
    Accessible.name: text + (detail ? qsTr("：") + detail : "")

    ColumnLayout {
        id: column
        anchors.centerIn: parent
        width: note.width - 2 * Theme.spaceM
        spacing: Theme.spaceS / 2

        Icon {
            name: "warning"
            size: note.compact ? Theme.iconSize : Theme.iconSizeLarge
            color: Theme.videoForeground
            Layout.alignment: Qt.AlignHCenter
        }
        Text {
            text: note.text
            font.family: Theme.fontFamily
            font.pixelSize: note.compact ? Theme.captionSize : Theme.bodySize
            font.weight: Font.DemiBold
            color: Theme.videoForeground
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            Layout.fillWidth: true
        }
        Text {
            visible: note.detail !== ""
            text: note.detail
            font.family: Theme.fontFamily
            font.pixelSize: note.compact ? Theme.captionSize : Theme.footnoteSize
            color: Theme.videoForegroundSecondary
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            Layout.fillWidth: true
        }
    }
}
