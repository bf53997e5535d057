import QtQuick
import QtQuick.Shapes
import Orvane.Common
import Orvane.Preview

// A filled arrow for one turn signal: green when on, faint when off.
Item {
    id: signal

    enum Direction { Left, Right }

    property int direction: TurnSignalGlyph.Left
    property bool isOn: false

    implicitWidth: Theme.dashboard.signalWidth
    implicitHeight: Theme.dashboard.signalSize
    Accessible.role: Accessible.Indicator
    Accessible.name: direction === TurnSignalGlyph.Left ? (isOn ? qsTr("左转向灯亮") : qsTr("左转向灯灭")) : (isOn ? qsTr("右转向灯亮") : qsTr("右转向灯灭"))

    Shape {
        id: arrow
        width: Theme.dashboard.signalSize
        height: Theme.dashboard.signalSize * 0.82
        anchors.centerIn: parent
        // Drawn pointing left; the right arrow is its mirror image.
        transform: Scale { origin.x: arrow.width / 2; xScale: signal.direction === TurnSignalGlyph.Left ? 1 : -1 }
        layer.enabled: true
        layer.samples: 4

        ShapePath {
            fillColor: signal.isOn ? Theme.dashboard.signalOn : Theme.dashboard.signalOff
            strokeColor: fillColor
            strokeWidth: 1.5
            joinStyle: ShapePath.RoundJoin
            PathMove { x: 0; y: arrow.height / 2 }
            PathLine { x: arrow.width * 0.5; y: 0 }
            PathLine { x: arrow.width * 0.5; y: arrow.height * 0.28 }
            PathLine { x: arrow.width; y: arrow.height * 0.28 }
            PathLine { x: arrow.width; y: arrow.height * 0.72 }
            PathLine { x: arrow.width * 0.5; y: arrow.height * 0.72 }
            PathLine { x: arrow.width * 0.5; y: arrow.height }
            PathLine { x: 0; y: arrow.height / 2 }
        }
    }
}
