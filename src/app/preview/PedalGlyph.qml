import QtQuick
import QtQuick.Shapes
import Orvane.Common
import Orvane.Preview

// The outline of a pedal: a rounded body crossed by three grip lines; the accelerator's lower
// lines start further right, as on the real pedal.
Shape {
    id: glyph

    enum Kind { Brake, Accelerator }

    property int kind: PedalGlyph.Brake
    property color strokeColor: Theme.dashboard.pedalIdle
    property real strokeWidth: Theme.dashboard.pedalStroke

    readonly property real bodyLeft: 0.18 * width
    readonly property real bodyRight: 0.82 * width
    readonly property real bodyTop: 0.08 * height
    readonly property real bodyBottom: 0.92 * height
    readonly property real corner: 3
    readonly property real gripInset: 3
    readonly property real gripStep: kind === PedalGlyph.Accelerator ? 1.2 : 0

    function gripY(fraction) { return bodyTop + fraction * (bodyBottom - bodyTop) }

    Accessible.ignored: true

    ShapePath {
        strokeColor: glyph.strokeColor
        strokeWidth: glyph.strokeWidth
        fillColor: "transparent"
        capStyle: ShapePath.RoundCap
        joinStyle: ShapePath.RoundJoin

        PathMove { x: glyph.bodyLeft + glyph.corner; y: glyph.bodyTop }
        PathLine { x: glyph.bodyRight - glyph.corner; y: glyph.bodyTop }
        PathArc { x: glyph.bodyRight; y: glyph.bodyTop + glyph.corner; radiusX: glyph.corner; radiusY: glyph.corner }
        PathLine { x: glyph.bodyRight; y: glyph.bodyBottom - glyph.corner }
        PathArc { x: glyph.bodyRight - glyph.corner; y: glyph.bodyBottom; radiusX: glyph.corner; radiusY: glyph.corner }
        PathLine { x: glyph.bodyLeft + glyph.corner; y: glyph.bodyBottom }
        PathArc { x: glyph.bodyLeft; y: glyph.bodyBottom - glyph.corner; radiusX: glyph.corner; radiusY: glyph.corner }
        PathLine { x: glyph.bodyLeft; y: glyph.bodyTop + glyph.corner }
        PathArc { x: glyph.bodyLeft + glyph.corner; y: glyph.bodyTop; radiusX: glyph.corner; radiusY: glyph.corner }

        PathMove { x: glyph.bodyLeft + glyph.gripInset; y: glyph.gripY(0.3) }
        PathLine { x: glyph.bodyRight - glyph.gripInset; y: glyph.gripY(0.3) }
        PathMove { x: glyph.bodyLeft + glyph.gripInset + glyph.gripStep; y: glyph.gripY(0.5) }
        PathLine { x: glyph.bodyRight - glyph.gripInset; y: glyph.gripY(0.5) }
        PathMove { x: glyph.bodyLeft + glyph.gripInset + 2 * glyph.gripStep; y: glyph.gripY(0.7) }
        PathLine { x: glyph.bodyRight - glyph.gripInset; y: glyph.gripY(0.7) }
    }
}
