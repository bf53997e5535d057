import QtQuick
import QtQuick.Shapes
import Orvane.Common
import Orvane.Preview

// A steering wheel seen from the driver's seat: rim, hub and three spokes. Turn it with `rotation`.
Shape {
    id: wheel

    property color color: Theme.dashboard.wheel
    readonly property real rim: width * 0.09
    readonly property real outer: width / 2 - rim / 2
    readonly property real hub: width * 0.14
    readonly property real c: width / 2

    Accessible.ignored: true

    ShapePath {
        strokeColor: wheel.color
        strokeWidth: wheel.rim
        fillColor: "transparent"
        capStyle: ShapePath.RoundCap
        PathAngleArc { centerX: wheel.c; centerY: wheel.c; radiusX: wheel.outer; radiusY: wheel.outer; startAngle: 0; sweepAngle: 360 }
    }
    ShapePath {
        strokeColor: wheel.color
        strokeWidth: wheel.rim * 0.9
        fillColor: "transparent"
        capStyle: ShapePath.RoundCap
        // left and right spokes, then the lower one
        PathMove { x: wheel.c - wheel.outer; y: wheel.c }
        PathLine { x: wheel.c - wheel.hub; y: wheel.c }
        PathMove { x: wheel.c + wheel.hub; y: wheel.c }
        PathLine { x: wheel.c + wheel.outer; y: wheel.c }
        PathMove { x: wheel.c; y: wheel.c + wheel.hub }
        PathLine { x: wheel.c; y: wheel.c + wheel.outer }
    }
    ShapePath {
        strokeColor: wheel.color
        strokeWidth: wheel.rim * 0.8
        fillColor: Qt.rgba(wheel.color.r, wheel.color.g, wheel.color.b, 0.25)
        PathAngleArc { centerX: wheel.c; centerY: wheel.c; radiusX: wheel.hub; radiusY: wheel.hub; startAngle: 0; sweepAngle: 360 }
    }
}
