import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.Common
import Orvane.Preview

// The preview's transport bar: back / forward 5 s, play / pause, the position with its times,
// the rate menu, the export-range buttons and "导出".
RowLayout {
    id: bar

    required property PreviewPageController page
    // The player the camera filter shows.
    required property PreviewController player
    readonly property alias slider: slider
    readonly property alias rateMenuOpen: rate.menuOpen
    // Keys pressed on the slider act as on the page.
    signal keyPressed(var event)

    spacing: Theme.spaceS

    IconButton {
        objectName: "skipBackButton"
        iconName: "replay_5"
        accessibleName: qsTr("后退 5")
        focusPolicy: Qt.TabFocus
        enabled: bar.page.hasVideo
        onClicked: bar.page.skipBack()
    }
    IconButton {
        objectName: "playPauseButton"
        iconName: bar.player && bar.player.isPlaying ? "pause" : "play_arrow"
        iconSize: Theme.iconSizeControl
        accessibleName: bar.player && bar.player.isPlaying ? qsTr("暂停") : qsTr("播放")
        focusPolicy: Qt.TabFocus
        enabled: bar.page.hasVideo
        onClicked: bar.page.togglePlayPause()
    }
    IconButton {
        objectName: "skipForwardButton"
        iconName: "forward_5"
        accessibleName: qsTr("前进 5")
        focusPolicy: Qt.TabFocus
        enabled: bar.page.hasVideo
        onClicked: bar.page.skipForward()
    }
    ThemedText {
        objectName: "currentTimeText"
        text: UiText.elapsed(bar.player ? bar.player.currentTime : 0)
        mono: true
        textStyle: ThemedText.Footnote
        Layout.leftMargin: Theme.spaceXs
    }
    TimeSlider {
        id: slider
        objectName: "positionSlider"
        duration: bar.player ? bar.player.duration : 0
        time: bar.player ? bar.player.currentTime : 0
        markerTime: bar.page.eventMarkerTime
        focusPolicy: Qt.TabFocus
        Layout.fillWidth: true
        Layout.minimumWidth: Theme.preview.sliderMinWidth
        onScrubStarted: bar.page.beginScrub()
        onScrubbedTo: (t) => bar.page.scrub(t)
        onScrubEnded: bar.page.endScrub()
        Keys.onPressed: (event) => bar.keyPressed(event)
    }
    ThemedText {
        objectName: "durationText"
        text: UiText.elapsed(bar.player ? bar.player.duration : 0)
        mono: true
        secondary: true
        textStyle: ThemedText.Footnote
        Layout.rightMargin: Theme.spaceXs
    }
    RateMenuButton {
        id: rate
        objectName: "rateButton"
        rates: bar.page.playbackRates
        currentRate: bar.player ? bar.player.playbackRate : 1
        title: bar.page.rateTitle
        enabled: bar.page.hasVideo
        onChosen: (value) => bar.page.setPlaybackRate(value)
    }
    RangeButton {
        objectName: "rangeStartButton"
        text: bar.page.range.startTitle
        iconName: "start"
        recorded: bar.page.range.hasStart
        helpText: bar.page.range.startHelp
        enabled: bar.page.hasVideo
        onClicked: bar.page.range.recordStart()
    }
    RangeButton {
        objectName: "rangeEndButton"
        text: bar.page.range.endTitle
        iconName: "start"
        mirrorIcon: true
        recorded: bar.page.range.hasEnd
        helpText: bar.page.range.endHelp
        enabled: bar.page.hasVideo
        onClicked: bar.page.range.recordEnd()
    }
    ActionButton {
        objectName: "drivingRecordButton"
        // Beside the decrypted copies' button the row keeps its width with icons alone.
        text: bar.page.canSaveDecryptedCopies ? "" : qsTr("导出行车数据")
        Accessible.name: qsTr("导出行车数据")
        ToolTip.visible: hovered && text === ""
        ToolTip.text: qsTr("导出行车数据")
        iconName: "description"
        focusPolicy: Qt.TabFocus
        enabled: bar.page.hasVideo
        Layout.leftMargin: Theme.spaceXs
        onClicked: bar.page.exportDrivingRecord()
    }
    ActionButton {
        objectName: "decryptedCopiesButton"
        visible: bar.page.canSaveDecryptedCopies
        text: ""
        Accessible.name: qsTr("保存解密副本")
        ToolTip.visible: hovered
        ToolTip.text: qsTr("保存解密副本")
        iconName: "lock_open"
        focusPolicy: Qt.TabFocus
        Layout.leftMargin: Theme.spaceXs
        onClicked: bar.page.saveDecryptedCopies()
    }
    ActionButton {
        objectName: "exportButton"
        text: qsTr("导出")
        iconName: "ios_share"
        kind: ActionButton.Prominent
        focusPolicy: Qt.TabFocus
        enabled: bar.page.canExport
        Layout.leftMargin: Theme.spaceXs
        onClicked: bar.page.exportSelection()
    }
}
