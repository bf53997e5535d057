import QtQuick
import QtQuick.Layouts
import Orvane.Common
import Orvane.Export

// One captured still in the result page's strip: the picture, its time, and a remove button.
ColumnLayout {
    id: item

    property string thumbnailSource
    property string timeText
    signal removeRequested()

    spacing: Theme.spaceXs

    Rectangle {
        implicitWidth: Math.round(Theme.captureThumbnailHeight * 16 / 9)
        implicitHeight: Theme.captureThumbnailHeight
        color: Theme.videoBackground

        Image {
            anchors.fill: parent
            source: item.thumbnailSource
            fillMode: Image.PreserveAspectFit
            smooth: true
            mipmap: true
            asynchronous: true
        }
        RoundedCorners {
            anchors.fill: parent
            radius: Theme.radiusMedium
            color: Theme.surface
        }
        IconButton {
            objectName: "removeCaptureButton"
            anchors.top: parent.top
            anchors.right: parent.right
            anchors.margins: Theme.spaceXs
            width: Theme.overlayButtonSize
            height: Theme.overlayButtonSize
            iconName: "close"
            iconSize: Theme.iconSizeSmall
            overVideo: true
            accessibleName: qsTr("删除这张截图")
            background: Rectangle {
                radius: Theme.overlayButtonSize / 2
                color: Theme.videoBox
                border.width: parent.visualFocus ? Theme.focusRingWidth : 0
                border.color: Theme.focusRing
            }
            onClicked: item.removeRequested()
        }
    }
    ThemedText {
        text: item.timeText
        textStyle: ThemedText.Caption
        mono: true
        secondary: true
        Layout.alignment: Qt.AlignHCenter
    }
}
