import QtQuick
import QtQuick.Layouts
import Orvane.Common
import Orvane.Preview

// The brake pedal: red with a red glow while applied, faint otherwise.
DashboardMetric {
    id: brake

    property bool applied: false

    label: qsTr("刹车")
    labelColor: applied ? Theme.dashboard.brake : Theme.dashboard.label
    labelEmphasis: applied
    Accessible.role: Accessible.Indicator
    Accessible.name: applied ? qsTr("刹车已踩下") : qsTr("刹车")

    Item {
        width: Theme.dashboard.pedalFrame
        height: Theme.dashboard.pedalFrame
        anchors.centerIn: parent
        layer.enabled: true
        layer.samples: 4

        Item {
            id: pedal
            width: Theme.dashboard.brakeGlyphWidth
            height: Theme.dashboard.brakeGlyphHeight
            anchors.centerIn: parent

            // The glow: the outline repeated around itself, larger and fainter (Qt 6.4 has no blur).
            Repeater {
                model: brake.applied ? [{ s: 1.0, w: 4.5, a: 0.22 }, { s: 1.2, w: 2.6, a: 0.16 }, { s: 1.4, w: 2.6, a: 0.08 }] : []
                delegate: PedalGlyph {
                    required property var modelData
                    anchors.fill: parent
                    scale: modelData.s
                    kind: PedalGlyph.Brake
                    strokeWidth: modelData.w
                    strokeColor: Qt.rgba(Theme.dashboard.brake.r, Theme.dashboard.brake.g, Theme.dashboard.brake.b, modelData.a)
                }
            }
            PedalGlyph {
                anchors.fill: parent
                kind: PedalGlyph.Brake
                strokeWidth: brake.applied ? Theme.dashboard.pedalStrokeApplied : Theme.dashboard.pedalStroke
                strokeColor: brake.applied ? Theme.dashboard.brake : Theme.dashboard.pedalIdle
            }
        }
    }
}
