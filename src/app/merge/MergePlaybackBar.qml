import QtQuick
import QtQuick.Layouts
import Orvane.Common
import Orvane.Merge

// Play / pause and the position: inside the item on a range page, along the whole splice on
// the review page.
RowLayout {
    id: bar

    property MergeEditorController editor
    required property VideoPreviewController player
    readonly property bool review: editor.isReviewPage
    readonly property real position: review ? editor.reviewCurrentTime : (player ? player.currentTime : 0)
    readonly property real length: review ? editor.totalSelectedDuration : editor.previewItemDuration

    spacing: Theme.spaceS

    IconButton {
        objectName: "mergePlayButton"
        iconName: bar.player && bar.player.isPlaying ? "pause" : "play_arrow"
        iconSize: Theme.iconSizeControl
        accessibleName: bar.player && bar.player.isPlaying ? qsTr("暂停") : qsTr("播放")
        focusPolicy: Qt.TabFocus
        enabled: bar.editor.hasPreviewItem
        onClicked: bar.editor.togglePreviewPlayback()
    }
    ThemedText {
        text: UiText.elapsed(bar.position)
        mono: true
        textStyle: ThemedText.Footnote
    }
    TimeSlider {
        objectName: "mergeSlider"
        duration: bar.length
        time: bar.position
        // The part kept, on a range page.
        markStart: bar.review ? NaN : bar.editor.previewRangeStart
        markEnd: bar.review ? NaN : bar.editor.previewRangeEnd
        focusPolicy: Qt.TabFocus
        enabled: bar.editor.hasPreviewItem && bar.length > 0
        Accessible.name: bar.review ? qsTr("拼接预览位置") : qsTr("片段位置")
        Layout.fillWidth: true
        onScrubStarted: if (!bar.review) bar.editor.beginScrub()
        onScrubbedTo: (t) => bar.review ? bar.editor.seekReview(t) : bar.editor.scrub(t)
        onScrubEnded: if (!bar.review) bar.editor.endScrub()
    }
    ThemedText {
        text: UiText.elapsed(bar.length)
        mono: true
        secondary: true
        textStyle: ThemedText.Footnote
    }
}
