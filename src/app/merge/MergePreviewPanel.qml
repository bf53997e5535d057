import QtQuick
import Orvane.Common
import Orvane.Preview
import Orvane.Merge

// The merge editor's picture: the merge player on a black rounded box of the video's shape, or
// "暂无可预览片段" when there is no item to show.
Item {
    id: panel

    required property MergeViewModel merge
    required property MergeEditorController editor
    readonly property real ratio: video.sourceRect.height > 0 ? video.sourceRect.width / video.sourceRect.height
                                                              : 16 / 9

    VideoSurface {
        id: video
        objectName: "mergeVideo"
        width: Math.min(panel.width, panel.height * panel.ratio)
        height: width / panel.ratio
        anchors.centerIn: parent
        source: panel.merge.mergePreview
        Accessible.role: Accessible.Graphic
        Accessible.name: qsTr("拼接预览画面")

        NoVideoNote {
            objectName: "noPreviewItem"
            anchors.centerIn: parent
            visible: !panel.editor.hasPreviewItem
            text: qsTr("暂无可预览片段")
        }
        Spinner {
            anchors.centerIn: parent
            visible: panel.editor.hasPreviewItem && panel.merge.mergePreview.isLoading
            size: Theme.iconSizeMedium
            color: Theme.videoForeground
        }
        RoundedCorners { anchors.fill: parent; radius: Theme.radiusLarge; color: Theme.window }
    }
}
