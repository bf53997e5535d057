import QtQuick
import QtQuick.Layouts
import Orvane.Common
import Orvane.Preview

// The preview's picture: one camera on a black rounded box of the video's shape, or the grid
// (2 × 2, or 3 × 2 for cars with pillar cameras) with camera labels, every camera kept whole in
// its cell; a loading state, the no-video state, what keeps footage from playing (encrypted, a
// power-cut stub), the recording time at the bottom-trailing corner and the range toast at the
// bottom-leading corner.
Item {
    id: area

    required property PreviewViewModel preview
    required property PreviewPageController page
    // The box the picture occupies, for the time and the toast.
    readonly property Item videoBox: page && page.isGrid ? grid : single
    readonly property real ratio: page ? page.videoAspectRatio : 16 / 9
    readonly property int gridSpacing: Theme.preview.gridSpacing

    // One camera
    VideoSurface {
        id: single
        objectName: "singleVideo"
        visible: area.page && !area.page.isGrid
        source: area.preview.videoPreview
        width: Math.min(area.width, area.height * area.ratio)
        height: width / area.ratio
        anchors.centerIn: parent
        // What the picture shows, in device pixels: playing pictures are reduced to it.
        readonly property int shownWidth: Math.round(width * Screen.devicePixelRatio)
        onShownWidthChanged: area.preview.videoPreview.setShownWidth(shownWidth)
        Component.onCompleted: area.preview.videoPreview.setShownWidth(shownWidth)
        Accessible.role: Accessible.Graphic
        Accessible.name: qsTr("视频画面")

        NoVideoNote {
            anchors.centerIn: parent
            visible: area.page && !area.page.hasVideo && !area.page.isVideoLoading
        }
        NoVideoNote {
            objectName: "clipNotice"
            anchors.centerIn: parent
            visible: area.page && area.page.hasVideo && area.page.clipNotice.length > 0
            iconName: "lock"
            text: area.page ? area.page.clipNotice : ""
        }
        // In the picture's place when the file cannot be read, else low over the last picture,
        // which stays in view.
        VideoProblemNote {
            id: problemNote
            objectName: "videoProblem"
            visible: area.page && area.page.videoProblem !== "" && !area.page.isVideoLoading
            text: area.page ? area.page.videoProblem : ""
            detail: area.page ? area.page.videoProblemDetail : ""
            anchors.horizontalCenter: parent.horizontalCenter
            y: area.page && area.page.isVideoUnreadable ? (parent.height - height) / 2
                                                        : parent.height - height - Theme.spaceXl
        }
        RoundedCorners { anchors.fill: parent; radius: Theme.radiusLarge; color: Theme.window }
    }

    // The grid
    Item {
        id: grid
        objectName: "gridVideo"
        visible: area.page && area.page.isGrid
        readonly property int columns: area.page ? area.page.gridColumns : 2
        readonly property int rows: 2
        readonly property real cellWidth: Math.min((area.width - (columns - 1) * area.gridSpacing) / columns,
                                                   (area.height - (rows - 1) * area.gridSpacing) / rows * area.ratio)
        readonly property real cellHeight: cellWidth / area.ratio
        // What a cell shows, in device pixels: playing pictures are reduced to it.
        readonly property int shownWidth: Math.round(cellWidth * Screen.devicePixelRatio)
        onShownWidthChanged: area.preview.multiCameraPreview.setShownWidth(shownWidth)
        Component.onCompleted: area.preview.multiCameraPreview.setShownWidth(shownWidth)
        width: columns * cellWidth + (columns - 1) * area.gridSpacing
        height: rows * cellHeight + (rows - 1) * area.gridSpacing
        anchors.centerIn: parent

        Grid {
            columns: grid.columns
            spacing: area.gridSpacing
            // As many cells as the largest grid, made once: a cell's news (a problem, say) and
            // another event's layout keep the surfaces and the pictures in them.
            Repeater {
                model: area.page ? area.page.gridCells : null
                delegate: VideoSurface {
                    id: cellSurface
                    required property int index
                    required property string camera
                    required property string title
                    required property bool hasVideo
                    required property string note
                    required property string noteIcon
                    required property string problem
                    required property string problemDetail
                    required property bool inUse
                    objectName: "gridCell_" + camera
                    visible: inUse
                    width: grid.cellWidth
                    height: grid.cellHeight
                    source: area.preview.multiCameraPreview
                    cell: index
                    Accessible.role: Accessible.Graphic
                    Accessible.name: title

                    NoVideoNote {
                        anchors.centerIn: parent
                        compact: true
                        visible: !cellSurface.hasVideo && !area.page.isVideoLoading
                    }
                    NoVideoNote {
                        objectName: "cellNote_" + cellSurface.camera
                        anchors.centerIn: parent
                        compact: true
                        visible: cellSurface.hasVideo && cellSurface.note.length > 0
                        iconName: cellSurface.noteIcon
                        text: cellSurface.note
                    }
                    VideoProblemNote {
                        objectName: "gridProblem_" + cellSurface.camera
                        compact: true
                        visible: cellSurface.problem !== "" && !area.page.isVideoLoading
                        text: cellSurface.problem
                        detail: cellSurface.problemDetail
                        anchors.centerIn: parent
                    }
                    // Top-trailing: the time and the toast take the bottom corners.
                    Rectangle {
                        anchors.top: parent.top
                        anchors.right: parent.right
                        anchors.margins: Theme.spaceS
                        width: cameraLabel.implicitWidth + 2 * Theme.watermarkPaddingH
                        height: cameraLabel.implicitHeight + 2 * Theme.watermarkPaddingV
                        radius: Theme.radiusSmall
                        color: Theme.videoBox
                        Text {
                            id: cameraLabel
                            anchors.centerIn: parent
                            text: cellSurface.title
                            font.family: Theme.fontFamily
                            font.pixelSize: Theme.captionSize
                            font.weight: Font.DemiBold
                            color: Theme.videoForeground
                        }
                    }
                }
            }
        }
        RoundedCorners { anchors.fill: parent; radius: Theme.radiusLarge; color: Theme.window }
    }

    // Over the picture's top: what the lock on a grid cell means, said once, and the way to unlock.
    Column {
        anchors.horizontalCenter: area.videoBox.horizontalCenter
        anchors.top: area.videoBox.top
        anchors.topMargin: Theme.spaceM
        spacing: Theme.spaceS
        NoticeBubble {
            objectName: "gridClipNotice"
            anchors.horizontalCenter: parent.horizontalCenter
            visible: area.page && area.page.isGrid && area.page.clipNotice.length > 0
            text: area.page ? area.page.clipNotice : ""
            maximumWidth: area.videoBox.width - 2 * Theme.spaceM
        }
        ActionButton {
            objectName: "unlockEventButton"
            anchors.horizontalCenter: parent.horizontalCenter
            visible: area.page && area.page.canUnlock
            text: qsTr("解锁加密录像")
            iconName: "key"
            kind: ActionButton.Prominent
            onClicked: area.preview.requestUnlock()
        }
    }

    // Low over the picture (the frame's own marks stay clear at the top), above the picture's own
    // note: why playback could not go on as the time line does.
    NoticeBubble {
        objectName: "playbackNotice"
        anchors.horizontalCenter: area.videoBox.horizontalCenter
        anchors.bottom: area.videoBox.bottom
        anchors.bottomMargin: Theme.spaceXl + (problemNote.visible && single.visible ? problemNote.height + Theme.spaceS : 0)
        visible: area.page && area.page.playbackNotice.length > 0
        text: area.page ? area.page.playbackNotice : ""
        maximumWidth: area.videoBox.width - 2 * Theme.spaceM
    }

    // Loading
    Rectangle {
        objectName: "videoLoading"
        visible: area.page && area.page.isVideoLoading
        anchors.fill: area.videoBox
        radius: Theme.radiusLarge
        color: Theme.videoBackground
        ColumnLayout {
            anchors.centerIn: parent
            spacing: Theme.spaceS
            Spinner {
                size: Theme.iconSizeMedium
                color: Theme.videoForeground
                Layout.alignment: Qt.AlignHCenter
            }
            Text {
                text: qsTr("正在载入视频…")
                font.family: Theme.fontFamily
                font.pixelSize: Theme.footnoteSize
                color: Theme.videoForegroundSecondary
                Layout.alignment: Qt.AlignHCenter
            }
        }
    }

    TimeWatermark {
        objectName: "timeWatermark"
        visible: area.page && area.page.hasVideo && !area.page.isVideoUnreadable
        text: area.page ? area.page.watermarkText : ""
        anchors.right: area.videoBox.right
        anchors.bottom: area.videoBox.bottom
        anchors.margins: Theme.watermarkInset
    }

    FeedbackToast {
        objectName: "rangeToast"
        message: area.page ? area.page.range.feedback : ""
        isError: area.page ? area.page.range.feedbackIsError : false
        anchors.left: area.videoBox.left
        anchors.bottom: area.videoBox.bottom
        anchors.margins: 2 * Theme.watermarkInset
    }
}
