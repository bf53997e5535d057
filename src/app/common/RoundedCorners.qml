import QtQuick
import QtQuick.Shapes
import Orvane.App

// Paints the four corners outside a rounded rectangle in `color` (the background behind it), so
// a picture underneath appears rounded without a mask effect (Qt 6.4 has none built in).
Shape {
    id: corners

    property real radius: Theme.radiusMedium
    property color color: Theme.surface

    layer.enabled: true
    layer.samples: 4
    Accessible.ignored: true

    ShapePath {
        fillColor: corners.color
        strokeColor: "transparent"
        // top left
        PathMove { x: 0; y: 0 }
        PathLine { x: corners.radius; y: 0 }
        PathArc { x: 0; y: corners.radius; radiusX: corners.radius; radiusY: corners.radius; direction: PathArc.Counterclockwise }
        PathLine { x: 0; y: 0 }
        // top right
        PathMove { x: corners.width; y: 0 }
        PathLine { x: corners.width; y: corners.radius }
        PathArc { x: corners.width - corners.radius; y: 0; radiusX: corners.radius; radiusY: corners.radius; direction: PathArc.Counterclockwise }
        PathLine { x: corners.width; y: 0 }
        // bottom right
        PathMove { x: corners.width; y: corners.height }
        PathLine { x: corners.width - corners.radius; y: corners.height }
        PathArc { x: corners.width; y: corners.height - corners.radius; radiusX: corners.radius; radiusY: corners.radius; direction: PathArc.Counterclockwise }
        PathLine { x: corners.width; y: corners.height }
        // bottom left
        PathMove { x: 0; y: corners.height }
        PathLine { x: 0; y: corners.height - corners.radius }
        PathArc { x: corners.radius; y: corners.height; radiusX: corners.radius; radiusY: corners.radius; direction: PathArc.Counterclockwise }
        PathLine { x: 0; y: corners.height }
    }
}
