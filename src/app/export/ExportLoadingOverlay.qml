import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.Common
import Orvane.Export

// The screen shown while an export runs: file name, phase, progress (a bar with a percentage,
// or a spinner while the length of the work is unknown) and the cancel button.
Rectangle {
    id: overlay

    property string fileName
    property string statusMessage
    property real progress: 0
    property string timeLeft
    property bool isIndeterminate: false
    signal cancelRequested()

    color: Theme.window
    Accessible.role: Accessible.Dialog
    Accessible.name: qsTr("正在导出")

    Rectangle {
        id: card
        anchors.centerIn: parent
        width: Math.min(Theme.overlayCardWidth + Theme.spaceXxxl, overlay.width - 2 * Theme.spaceXl)
        height: content.implicitHeight + 2 * Theme.spaceXxl
        radius: Theme.radiusXl
        color: Theme.surface
        border.width: Theme.hairline
        border.color: Theme.separator

        ColumnLayout {
            id: content
            anchors.fill: parent
            anchors.margins: Theme.spaceXxl
            spacing: Theme.spaceM

            Rectangle {
                Layout.alignment: Qt.AlignHCenter
                width: Theme.emblemSize
                height: Theme.emblemSize
                radius: Theme.emblemSize / 2
                color: Theme.accentSoft
                Icon {
                    anchors.centerIn: parent
                    name: "ios_share"
                    size: Theme.iconSizeMedium
                    color: Theme.accent
                }
            }
            ThemedText {
                objectName: "exportFileName"
                text: overlay.fileName
                textStyle: ThemedText.Title3
                horizontalAlignment: Text.AlignHCenter
                elide: Text.ElideMiddle
                Layout.fillWidth: true
                Layout.topMargin: Theme.spaceXs
            }
            ThemedText {
                objectName: "exportStatus"
                text: overlay.statusMessage
                secondary: true
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.Wrap
                Layout.fillWidth: true
            }

            Item {
                Layout.fillWidth: true
                Layout.topMargin: Theme.spaceS
                implicitHeight: Math.max(bar.implicitHeight, spinner.implicitHeight)

                Spinner {
                    id: spinner
                    objectName: "exportSpinner"
                    anchors.centerIn: parent
                    visible: overlay.isIndeterminate
                    size: Theme.iconSizeMedium
                    color: Theme.accent
                }
                RowLayout {
                    id: bar
                    objectName: "exportProgressBar"
                    anchors.left: parent.left
                    anchors.right: parent.right
                    anchors.verticalCenter: parent.verticalCenter
                    visible: !overlay.isIndeterminate
                    spacing: Theme.spaceM

                    Rectangle {
                        Layout.fillWidth: true
                        height: Theme.progressBarHeight
                        radius: Theme.progressBarHeight / 2
                        color: Theme.surfaceMuted
                        Rectangle {
                            width: parent.width * Math.max(0, Math.min(1, overlay.progress))
                            height: parent.height
                            radius: parent.radius
                            color: Theme.accent
                            Behavior on width { NumberAnimation { duration: Theme.motionFast } }
                        }
                        Accessible.role: Accessible.ProgressBar
                        Accessible.name: qsTr("导出进度 %1").arg(UiText.percent(overlay.progress))
                    }
                    ThemedText {
                        objectName: "exportPercent"
                        text: UiText.percent(overlay.progress)
                        mono: true
                        secondary: true
                        horizontalAlignment: Text.AlignRight
                        Layout.preferredWidth: Theme.percentLabelWidth
                    }
                    ThemedText {
                        objectName: "exportTimeLeft"
                        text: overlay.timeLeft
                        visible: text.length > 0
                        mono: true
                        secondary: true
                    }
                }
            }

            ThemedText {
                text: qsTr("导出需要重新编码整段视频，请耐心等待")
                textStyle: ThemedText.Footnote
                tertiary: true
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.Wrap
                Layout.fillWidth: true
                Layout.topMargin: Theme.spaceXs
            }
            ActionButton {
                objectName: "cancelExportButton"
                text: qsTr("取消导出")
                kind: ActionButton.Danger
                Layout.alignment: Qt.AlignHCenter
                Layout.topMargin: Theme.spaceS
                Layout.minimumWidth: Theme.wideButtonMinWidth
                onClicked: overlay.cancelRequested()
            }
        }
    }
}
