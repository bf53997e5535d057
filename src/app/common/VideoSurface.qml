import QtQuick
import QtMultimedia
import Orvane.Common

// The picture of whatever plays into it: `source` is a VideoPreviewController, a
// MultiCameraPreviewController (with `cell`), a media player, or an ExportResultController.
Rectangle {
    id: surface

    property QtObject source
    property int cell: 0
    property alias fillMode: output.fillMode
    // The size of the frames shown (empty before the first one).
    readonly property alias sourceRect: output.sourceRect
    readonly property bool attached: binder.attached

    color: Theme.videoBackground
    clip: true

    VideoOutput {
        id: output
        anchors.fill: parent
        fillMode: VideoOutput.PreserveAspectFit
    }

    VideoSinkBinder {
        id: binder
        target: surface.source
        cell: surface.cell
        videoSink: output.videoSink
    }
}
