import QtQuick
import QtQuick.Layouts
import Orvane.Common
import Orvane.Library

// The picture of one event card: the thumbnail, a spinner while it loads, a placeholder when it
// cannot be made, and the event's total length in the corner.
Item {
    id: card

    // EventThumbnailSource::url of the event ("image://eventthumb/…").
    property string source
    // What lies behind the card's rounded corners.
    property color cornerColor: Theme.surface
    // For whoever waits on the card: Image.Loading / Ready / Error, and the length (0 until known).
    readonly property alias imageStatus: picture.status
    readonly property alias duration: durationProbe.duration

    implicitWidth: Theme.thumbnailWidth
    implicitHeight: Theme.thumbnailHeight
    Accessible.role: Accessible.Graphic
    Accessible.name: picture.status === Image.Error ? qsTr("无法生成预览")
                   : durationProbe.duration > 0 ? qsTr("视频时长 %1").arg(UiText.elapsed(durationProbe.duration)) : qsTr("视频缩略图")

    Rectangle {
        anchors.fill: parent
        color: Theme.videoBackground
    }

    Image {
        id: picture
        objectName: "thumbnailImage"
        anchors.fill: parent
        source: card.source
        fillMode: Image.PreserveAspectCrop
        smooth: true
        // No mipmaps: a software renderer would build them for every card scrolled into view.
        // The stored picture is at most about twice the card's size, which smooth scaling covers.
        cache: true
        // The provider decodes off the interface thread; this keeps the request itself async too.
        asynchronous: true
    }

    Spinner {
        objectName: "thumbnailSpinner"
        anchors.centerIn: parent
        visible: picture.status === Image.Loading || (picture.status === Image.Null && card.source.length > 0)
        color: Theme.videoForegroundSecondary
        size: Theme.thumbnailSpinnerSize
    }

    ColumnLayout {
        objectName: "thumbnailPlaceholder"
        anchors.centerIn: parent
        visible: picture.status === Image.Error
        spacing: Theme.spaceXs
        Icon {
            name: "videocam_off"
            size: Theme.iconSizeMedium
            color: Theme.videoForegroundSecondary
            Layout.alignment: Qt.AlignHCenter
        }
        Text {
            text: qsTr("无法生成预览")
            color: Theme.videoForegroundSecondary
            font.family: Theme.fontFamily
            font.pixelSize: Theme.captionSize
            Layout.alignment: Qt.AlignHCenter
        }
    }

    EventDurationProbe {
        id: durationProbe
        source: card.source
    }

    Rectangle {
        objectName: "durationBadge"
        visible: durationProbe.duration > 0 && picture.status !== Image.Error
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.margins: Theme.spaceS
        width: badgeText.implicitWidth + 2 * Theme.spaceS - 2
        height: badgeText.implicitHeight + Theme.spaceXxs * 2
        radius: Theme.radiusSmall - 2
        color: Theme.videoBox

        Text {
            id: badgeText
            anchors.centerIn: parent
            text: UiText.elapsed(durationProbe.duration)
            color: Theme.videoForeground
            font.family: Theme.monoFamily
            font.pixelSize: Theme.captionSize
            font.weight: Font.DemiBold
        }
    }

    RoundedCorners {
        anchors.fill: parent
        radius: Theme.radiusMedium
        color: card.cornerColor
    }
}
