import QtQuick
import QtQuick.Controls
import Orvane.Common

// A position slider over 0 … `duration`. It reports grabbing (scrubStarted), dragging
// (scrubbedTo) and letting go (scrubEnded); `position` is shown while not dragging. A part
// `markStart` … `markEnd` (the merge editor's kept part) is shaded around the track, and a
// moment `markerTime` (the event's, in the preview) stands as a tick across it.
Slider {
    id: slider

    property real duration: 0
    property real time: 0
    property real markStart: NaN
    property real markEnd: NaN
    property real markerTime: NaN
    signal scrubStarted()
    signal scrubbedTo(real time)
    signal scrubEnded()

    from: 0
    to: Math.max(duration, 0.001)
    // Also read when `to` grows: a time set while the length was still unknown was clamped.
    value: Math.min(time, to)
    live: true
    focusPolicy: Qt.StrongFocus
    enabled: duration > 0
    implicitHeight: Theme.sliderHeight
    Accessible.name: qsTr("播放位置")

    onPressedChanged: pressed ? scrubStarted() : scrubEnded()
    onMoved: scrubbedTo(value)

    background: Rectangle {
        x: slider.leftPadding
        y: slider.topPadding + slider.availableHeight / 2 - height / 2
        width: slider.availableWidth
        height: Theme.sliderTrackHeight
        radius: Theme.sliderTrackHeight / 2
        color: Theme.surfaceMuted
        Rectangle {
            objectName: "markedPart"
            readonly property real from: Math.max(0, Math.min(1, slider.markStart / slider.to))
            readonly property real until: Math.max(0, Math.min(1, slider.markEnd / slider.to))
            visible: until > from
            z: -1
            x: from * parent.width - Theme.sliderMarkOutset
            y: -Theme.sliderMarkOutset
            width: (until - from) * parent.width + 2 * Theme.sliderMarkOutset
            height: parent.height + 2 * Theme.sliderMarkOutset
            radius: height / 2
            color: Theme.accentSoft
            border.width: Theme.hairline
            border.color: Theme.accent
        }
        Rectangle {
            width: slider.visualPosition * parent.width
            height: parent.height
            radius: parent.radius
            color: Theme.accent
        }
        Rectangle {
            objectName: "momentMarker"
            readonly property real at: Math.max(0, Math.min(1, slider.markerTime / slider.to))
            visible: !isNaN(slider.markerTime) && slider.duration > 0
            x: at * parent.width - width / 2
            y: -Theme.sliderMarkOutset * 2
            width: Theme.sliderMarkOutset * 2
            height: parent.height + 4 * Theme.sliderMarkOutset
            radius: width / 2
            color: Theme.warning
        }
    }
    handle: Rectangle {
        x: slider.leftPadding + slider.visualPosition * (slider.availableWidth - width)
        y: slider.topPadding + slider.availableHeight / 2 - height / 2
        width: Theme.sliderHandleSize
        height: Theme.sliderHandleSize
        radius: Theme.sliderHandleSize / 2
        color: Theme.sliderHandle
        border.width: slider.visualFocus ? Theme.focusRingWidth : Theme.hairline
        border.color: slider.visualFocus ? Theme.focusRing : Theme.separator
    }
}
