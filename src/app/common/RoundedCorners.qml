import QtQuick
import Orvane.Common

// Paints the four corners outside a rounded rectangle in `color` (the background behind it), so
// a picture underneath appears rounded without a mask effect (Qt 6.4 has none built in). The
// corners are the inner edge of a ring drawn just outside the item and clipped to it: plain
// geometry, with no offscreen layer to keep in memory or blend over the picture every frame.
Item {
    id: corners

    property real radius: Theme.radiusMedium
    property color color: Theme.surface

    clip: true
    Accessible.ignored: true

    Rectangle {
        x: -corners.radius
        y: -corners.radius
        width: corners.width + 2 * corners.radius
        height: corners.height + 2 * corners.radius
        // The ring's inner radius is its radius less its width.
        radius: 2 * corners.radius
        color: "transparent"
        border.width: corners.radius
        border.color: corners.color
        antialiasing: true
    }
}
