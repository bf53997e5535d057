import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.Common
import Orvane.Export

// The page shown when an export has finished: plays the new video, steps frames, captures
// stills and saves them. All state and actions live in its ExportResultController.
Rectangle {
    id: root

    property url videoUrl
    property bool outputToPhotosLibrary: false
    // Wall-clock time of the first frame (seconds since 1970), NaN when unknown.
    property real videoStartDate: NaN
    // The export's ExportTimeline, passed through untouched (optional).
    property var timeline
    property string message
    // What the user should know about the result, a line each (footage left out or cut short).
    property list<string> notes
    property string openOutputButtonTitle
    signal openOutputRequested()
    signal doneRequested()

    readonly property alias controller: page

    color: Theme.window

    ExportResultController {
        id: page
        videoUrl: root.videoUrl
        outputToPhotosLibrary: root.outputToPhotosLibrary
        videoStartDate: root.videoStartDate
        timeline: root.timeline
    }

    Shortcut { sequence: "Space"; onActivated: page.togglePlayback() }
    Shortcut { sequence: ","; onActivated: page.stepFrame(-1) }
    Shortcut { sequence: "."; onActivated: page.stepFrame(1) }

    ColumnLayout {
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.topMargin: Theme.spaceL
        anchors.bottomMargin: Theme.spaceL
        width: Math.min(parent.width - 2 * Theme.spaceXl, Theme.pageMaxWidth)
        spacing: Theme.spaceM

        // Header
        RowLayout {
            spacing: Theme.spaceS
            Layout.fillWidth: true
            Icon {
                name: "check_circle"
                size: Theme.iconSizeMedium
                color: Theme.success
            }
            ThemedText {
                objectName: "resultMessage"
                text: root.message
                textStyle: ThemedText.Headline
                elide: Text.ElideRight
                Layout.fillWidth: true
            }
            ActionButton {
                objectName: "openOutputButton"
                text: root.openOutputButtonTitle
                iconName: "folder_open"
                visible: text.length > 0
                onClicked: root.openOutputRequested()
            }
            ActionButton {
                objectName: "doneButton"
                text: qsTr("完成")
                kind: ActionButton.Prominent
                Layout.minimumWidth: Theme.buttonMinWidth
                onClicked: root.doneRequested()
            }
        }

        // Where the file is
        RowLayout {
            spacing: Theme.spaceS
            Layout.fillWidth: true
            ThemedText {
                objectName: "resultPath"
                text: page.videoPath
                textStyle: ThemedText.Footnote
                secondary: true
                elide: Text.ElideMiddle
                Layout.fillWidth: true
            }
            ActionButton {
                objectName: "copyPathButton"
                property bool copied: false
                text: copied ? qsTr("已复制") : qsTr("复制路径")
                iconName: copied ? "check" : "content_copy"
                kind: ActionButton.Plain
                onClicked: { page.copyPath(); copied = true }
            }
        }

        // What the export had to leave out
        Rectangle {
            objectName: "resultNotes"
            visible: root.notes.length > 0
            Layout.fillWidth: true
            implicitHeight: notesColumn.implicitHeight + 2 * Theme.spaceS
            radius: Theme.radiusMedium
            color: Theme.warningBackground
            RowLayout {
                id: notesColumn
                anchors.fill: parent
                anchors.margins: Theme.spaceS
                spacing: Theme.spaceS
                Icon {
                    name: "warning"
                    size: Theme.iconSizeSmall
                    color: Theme.warning
                    Layout.alignment: Qt.AlignTop
                }
                ColumnLayout {
                    spacing: Theme.spaceXs
                    Layout.fillWidth: true
                    Repeater {
                        model: root.notes
                        ThemedText {
                            required property string modelData
                            required property int index
                            text: modelData
                            textStyle: ThemedText.Footnote
                            font.bold: index === 0
                            wrapMode: Text.Wrap
                            Layout.fillWidth: true
                        }
                    }
                }
            }
        }

        // Video
        VideoSurface {
            id: video
            objectName: "resultVideo"
            source: page
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.minimumHeight: Theme.videoMinHeight

            ColumnLayout {
                anchors.centerIn: parent
                visible: page.videoUnavailableMessage.length > 0
                spacing: Theme.spaceS
                Icon {
                    name: "videocam_off"
                    size: Theme.iconSizeLarge
                    color: Theme.videoForegroundSecondary
                    Layout.alignment: Qt.AlignHCenter
                }
                Text {
                    text: page.videoUnavailableMessage
                    color: Theme.videoForegroundSecondary
                    font.family: Theme.fontFamily
                    font.pixelSize: Theme.bodySize
                    Layout.alignment: Qt.AlignHCenter
                }
            }
            RoundedCorners {
                anchors.fill: parent
                radius: Theme.radiusLarge
                color: Theme.window
            }
        }

        // Playback controls
        RowLayout {
            spacing: Theme.spaceS
            Layout.fillWidth: true
            IconButton {
                objectName: "playPauseButton"
                iconName: page.isPlaying ? "pause" : "play_arrow"
                iconSize: Theme.iconSizeControl
                accessibleName: page.isPlaying ? qsTr("暂停") : qsTr("播放")
                enabled: page.isReady
                onClicked: page.togglePlayback()
            }
            ThemedText {
                objectName: "resultTime"
                text: UiText.elapsed(page.currentTime) + " / " + UiText.elapsed(page.duration)
                mono: true
                secondary: true
                textStyle: ThemedText.Footnote
            }
            TimeSlider {
                objectName: "resultSlider"
                duration: page.duration
                time: page.currentTime
                Layout.fillWidth: true
                onScrubStarted: page.beginScrub()
                onScrubbedTo: (t) => page.scrub(t)
                onScrubEnded: page.endScrub()
            }
            IconButton {
                objectName: "previousFrameButton"
                iconName: "skip_previous"
                accessibleName: qsTr("上一帧")
                enabled: page.isReady
                onClicked: page.stepFrame(-1)
            }
            IconButton {
                objectName: "nextFrameButton"
                iconName: "skip_next"
                accessibleName: qsTr("下一帧")
                enabled: page.isReady
                onClicked: page.stepFrame(1)
            }
        }

        // Captures
        Rectangle {
            Layout.fillWidth: true
            implicitHeight: captureColumn.implicitHeight + 2 * Theme.spaceL
            radius: Theme.radiusLarge
            color: Theme.surface
            border.width: Theme.hairline
            border.color: Theme.separator

            ColumnLayout {
                id: captureColumn
                anchors.fill: parent
                anchors.margins: Theme.spaceL
                spacing: Theme.spaceM

                RowLayout {
                    spacing: Theme.spaceS
                    Layout.fillWidth: true
                    ActionButton {
                        objectName: "captureButton"
                        text: qsTr("截图")
                        iconName: "photo_camera"
                        busy: page.isCapturing
                        enabled: !page.isCapturing && page.isReady
                        onClicked: page.captureCurrentFrame()
                    }
                    ThemedText {
                        objectName: "captureCount"
                        visible: page.captures.count > 0
                        text: qsTr("%n 张截图", "", page.captures.count)
                        secondary: true
                        Layout.leftMargin: Theme.spaceXs
                    }
                    ThemedText {
                        objectName: "saveMessage"
                        visible: page.saveMessage.length > 0 && page.captures.count > 0
                        text: page.saveMessage
                        color: Theme.success
                        textStyle: ThemedText.Footnote
                        elide: Text.ElideRight
                        Layout.fillWidth: true
                        Layout.leftMargin: Theme.spaceS
                    }
                    Item {
                        visible: !(page.saveMessage.length > 0 && page.captures.count > 0)
                        Layout.fillWidth: true
                    }
                    ActionButton {
                        objectName: "saveAllButton"
                        visible: page.captures.count > 0
                        text: qsTr("全部保存")
                        iconName: "download"
                        busy: page.isSavingCaptures
                        enabled: !page.isSavingCaptures
                        onClicked: page.saveAllCaptures()
                    }
                }

                // Nothing captured yet
                Item {
                    visible: page.captures.count === 0
                    Layout.fillWidth: true
                    Layout.preferredHeight: Theme.captureThumbnailHeight + Theme.spaceXl
                    RowLayout {
                        objectName: "noCaptures"
                        anchors.centerIn: parent
                        spacing: Theme.spaceM
                        Icon {
                            name: "collections"
                            size: Theme.iconSizeEmptyState
                            color: Theme.textTertiary
                        }
                        ColumnLayout {
                            spacing: Theme.spaceXxs
                            ThemedText { text: qsTr("还没有截图"); textStyle: ThemedText.Headline; secondary: true }
                            ThemedText { text: qsTr("定位到需要的画面后点击“截图”"); textStyle: ThemedText.Footnote; tertiary: true }
                        }
                    }
                }

                ListView {
                    objectName: "captureStrip"
                    visible: page.captures.count > 0
                    orientation: ListView.Horizontal
                    spacing: Theme.spaceM
                    clip: true
                    model: page.captures
                    boundsBehavior: Flickable.StopAtBounds
                    Layout.fillWidth: true
                    Layout.preferredHeight: Theme.captureThumbnailHeight + Theme.spaceXl
                    ScrollBar.horizontal: ScrollBar { policy: ScrollBar.AsNeeded }
                    delegate: CaptureThumbnail {
                        required property int index
                        required thumbnailSource
                        required timeText
                        onRemoveRequested: page.removeCapture(index)
                    }
                }
            }
        }
    }

    AlertDialog {
        objectName: "captureErrorAlert"
        visible: page.captureError.length > 0
        title: page.operationErrorTitle
        message: page.captureError
        onButtonClicked: page.dismissCaptureError()
    }
}
