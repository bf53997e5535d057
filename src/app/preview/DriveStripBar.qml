import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.Common
import Orvane.Preview

// The event's drive under the slider: speed, forward and sideways g with brake and assistance
// shaded and hard-brake and swerve marks (a click on a mark, or anywhere, seeks there), the
// number of hard stops and "导出轨迹 (GPX)". Footage without a record gets one line saying why.
RowLayout {
    id: bar

    required property PreviewPageController page
    // The time on screen, for the strip's play head.
    property real time: 0
    readonly property DriveSection drive: page.drive

    visible: drive.hasRecord || drive.note.length > 0
    spacing: Theme.spaceS

    DriveStrip {
        id: strip
        objectName: "driveStrip"
        visible: bar.drive.hasRecord
        section: bar.drive
        speedColor: Theme.accent
        longitudinalColor: Theme.success
        lateralColor: Theme.textTertiary
        brakeColor: Qt.rgba(Theme.danger.r, Theme.danger.g, Theme.danger.b, 0.14)
        assistColor: Theme.accentSoft
        markColor: Theme.danger
        swerveColor: Theme.warning
        gridColor: Theme.separator
        Layout.fillWidth: true
        Layout.preferredHeight: Theme.preview.driveStripHeight

        Rectangle {
            objectName: "drivePlayHead"
            width: 1
            height: parent.height
            x: bar.drive.duration > 0 ? Math.min(bar.time / bar.drive.duration, 1) * (parent.width - width) : 0
            color: Theme.textPrimary
        }
        MouseArea {
            id: stripMouse
            anchors.fill: parent
            hoverEnabled: true
            cursorShape: Qt.PointingHandCursor
            ToolTip.visible: containsMouse
            ToolTip.delay: 600
            ToolTip.text: qsTr("蓝线：速度；绿线：前后加速度；灰线：左右加速度；红色标记：急刹；橙色标记：急转。点击跳转")
            onClicked: (mouse) => {
                const mark = strip.markNear(mouse.x, Theme.preview.driveMarkTolerance)
                bar.page.seek(mark >= 0 ? mark : strip.timeAt(mouse.x))
            }
        }
    }
    ThemedText {
        objectName: "driveNote"
        visible: !bar.drive.hasRecord
        text: bar.drive.note
        secondary: true
        textStyle: ThemedText.Footnote
        elide: Text.ElideRight
        Layout.fillWidth: true
    }
    ThemedText {
        objectName: "hardBrakeCount"
        visible: bar.drive.hasRecord
        text: qsTr("急刹 %n 次", "", bar.drive.hardBrakeCount)
        color: bar.drive.hardBrakeCount > 0 ? Theme.danger : Theme.textSecondary
        textStyle: ThemedText.Footnote
    }
    ActionButton {
        objectName: "gpxButton"
        visible: bar.drive.hasRoute
        text: qsTr("导出轨迹 (GPX)")
        iconName: "map"
        onClicked: bar.drive.exportGpx()
    }
}
