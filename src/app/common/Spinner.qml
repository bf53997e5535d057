import QtQuick
import QtQuick.Shapes
import Orvane.Common

// A small turning arc: work in progress of unknown length.
Item {
    id: spinner

    property int size: Theme.iconSize
    property color color: Theme.textSecondary
    property bool running: visible

    implicitWidth: size
    implicitHeight: size
    Accessible.role: Accessible.Animation
    Accessible.name: qsTr("正在加载")

    Shape {
        id: arc
        anchors.fill: parent
        layer.enabled: true
        layer.samples: 4
        layer.smooth: true

        ShapePath {
            strokeColor: Qt.rgba(spinner.color.r, spinner.color.g, spinner.color.b, 0.2)
            strokeWidth: Math.max(2, spinner.size / 10)
            fillColor: "transparent"
            PathAngleArc {
                centerX: spinner.size / 2; centerY: spinner.size / 2
                radiusX: spinner.size / 2 - Math.max(2, spinner.size / 10)
                radiusY: radiusX
                startAngle: 0; sweepAngle: 360
            }
        }
        ShapePath {
            strokeColor: spinner.color
            strokeWidth: Math.max(2, spinner.size / 10)
            fillColor: "transparent"
            capStyle: ShapePath.RoundCap
            PathAngleArc {
                centerX: spinner.size / 2; centerY: spinner.size / 2
                radiusX: spinner.size / 2 - Math.max(2, spinner.size / 10)
                radiusY: radiusX
                startAngle: -90; sweepAngle: 100
            }
        }

        RotationAnimation on rotation {
            running: spinner.running
            from: 0; to: 360
            duration: Theme.motionSpinnerTurn
            loops: Animation.Infinite
        }
    }
}
