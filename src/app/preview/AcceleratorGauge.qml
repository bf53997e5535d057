import QtQuick
import QtQuick.Layouts
import QtQuick.Shapes
import Orvane.Common
import Orvane.Preview

// The accelerator: a round gauge whose blue fill rises with the pedal (0 … 1), eased over 0.12 s.
DashboardMetric {
    id: gauge

    property real progress: 0
    readonly property bool pressed: progress > 0
    property real shownProgress: Math.max(0, Math.min(1, progress))

    label: qsTr("油门")
    labelColor: pressed ? Theme.dashboard.accelerator : Theme.dashboard.label
    labelEmphasis: pressed
    Accessible.role: Accessible.Indicator
    Accessible.name: qsTr("油门 %1").arg(UiText.percent(progress))

    Behavior on shownProgress {
        NumberAnimation { duration: Theme.motionGaugeFill; easing.type: Easing.Linear }
    }

    Item {
        width: Theme.dashboard.pedalFrame
        height: Theme.dashboard.pedalFrame
        anchors.centerIn: parent

        Shape {
            id: dial
            readonly property real r: Theme.dashboard.gaugeSize / 2
            // The fill's top edge (kept a hair below the top so a full gauge is still one arc),
            // and half the chord the circle cuts there.
            readonly property real level: Math.max(0.02, 2 * r * (1 - gauge.shownProgress))
            readonly property real halfChord: Math.sqrt(Math.max(0, r * r - (level - r) * (level - r)))

            width: Theme.dashboard.gaugeSize
            height: Theme.dashboard.gaugeSize
            anchors.centerIn: parent
            layer.enabled: true
            layer.samples: 4

            ShapePath {
                fillColor: Theme.dashboard.gaugeTrack
                strokeColor: "transparent"
                PathAngleArc { centerX: dial.r; centerY: dial.r; radiusX: dial.r; radiusY: dial.r; startAngle: 0; sweepAngle: 360 }
            }
            ShapePath {
                fillColor: gauge.shownProgress > 0 ? Theme.dashboard.accelerator : "transparent"
                strokeColor: "transparent"
                PathMove { x: dial.r - dial.halfChord; y: dial.level }
                PathArc {
                    x: dial.r + dial.halfChord; y: dial.level
                    radiusX: dial.r; radiusY: dial.r
                    direction: PathArc.Counterclockwise
                    useLargeArc: gauge.shownProgress > 0.5
                }
                PathLine { x: dial.r - dial.halfChord; y: dial.level }
            }
            ShapePath {
                fillColor: "transparent"
                strokeColor: Theme.dashboard.gaugeOutline
                strokeWidth: Theme.dashboard.gaugeOutlineWidth
                PathAngleArc { centerX: dial.r; centerY: dial.r; radiusX: dial.r - 1; radiusY: dial.r - 1; startAngle: 0; sweepAngle: 360 }
            }
        }
        PedalGlyph {
            width: Theme.dashboard.acceleratorGlyphWidth
            height: Theme.dashboard.acceleratorGlyphHeight
            anchors.centerIn: parent
            kind: PedalGlyph.Accelerator
            strokeWidth: Theme.dashboard.pedalStroke
            strokeColor: gauge.pressed ? Theme.dashboard.acceleratorGlyphPressed : Theme.dashboard.acceleratorGlyphIdle
            layer.enabled: true
            layer.samples: 4
        }
    }
}
