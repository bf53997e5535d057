import QtQuick
import QtQuick.Layouts
import Orvane.Common
import Orvane.Preview

// The dark instrument strip under the preview video: gear, steering wheel, turn signals, speed,
// brake and accelerator of one telemetry sample. A pure view of its presentation, which holds the
// rules.
Rectangle {
    id: dashboard

    // What to show: a preview page's dashboard (fed by its telemetry timeline), or one made with
    // fixed inputs.
    required property DashboardPresentation presentation
    // False when the current video carries no telemetry at all.
    property bool hasTelemetry: true

    implicitHeight: row.implicitHeight + row.anchors.topMargin + row.anchors.bottomMargin
    implicitWidth: row.implicitWidth + 2 * Theme.dashboard.paddingH
    radius: Theme.dashboard.radius
    gradient: Gradient {
        GradientStop { position: 0; color: Theme.dashboard.gradientTop }
        GradientStop { position: 1; color: Theme.dashboard.gradientBottom }
    }
    Accessible.role: Accessible.Grouping
    Accessible.name: qsTr("仪表盘")

    // On a wide window the instruments stay together in the middle instead of drifting apart.
    RowLayout {
        id: row
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        anchors.horizontalCenter: parent.horizontalCenter
        // Room above the instruments for the no-telemetry note, so it never touches the gauge.
        anchors.topMargin: Theme.dashboard.paddingV + (dashboard.hasTelemetry ? 0 : Theme.dashboard.noteClearance)
        anchors.bottomMargin: Theme.dashboard.paddingV
        width: Math.min(parent.width - 2 * Theme.dashboard.paddingH, Theme.dashboard.rowMaxWidth)
        spacing: Theme.dashboard.itemSpacing

        DashboardMetric {
            objectName: "gearMetric"
            label: qsTr("档位")
            Layout.alignment: Qt.AlignVCenter
            Accessible.role: Accessible.StaticText
            Accessible.name: qsTr("档位 %1").arg(dashboard.presentation.gearLetter)

            Text {
                objectName: "gearText"
                anchors.centerIn: parent
                text: dashboard.presentation.gearLetter
                font.family: Theme.fontFamily
                font.pixelSize: Theme.dashboard.gearSize
                font.weight: Font.Bold
                color: {
                    switch (dashboard.presentation.gearTone) {
                    case DashboardPresentation.Park: return Theme.dashboard.park
                    case DashboardPresentation.Reverse: return Theme.dashboard.reverse
                    case DashboardPresentation.Neutral: return Theme.dashboard.neutral
                    case DashboardPresentation.Drive: return Theme.dashboard.drive
                    default: return Theme.dashboard.unknownGear
                    }
                }
            }
        }
        DashboardMetric {
            label: qsTr("方向盘")
            Layout.alignment: Qt.AlignVCenter
            Accessible.role: Accessible.StaticText
            Accessible.name: qsTr("方向盘 %1°").arg(Math.round(dashboard.presentation.wheelAngle))

            SteeringWheelGlyph {
                objectName: "steeringWheel"
                width: Theme.dashboard.wheelSize
                height: Theme.dashboard.wheelSize
                anchors.centerIn: parent
                rotation: dashboard.presentation.wheelAngle
                layer.enabled: true
                layer.samples: 4
                layer.smooth: true
            }
        }
        TurnSignalGlyph {
            direction: TurnSignalGlyph.Left
            isOn: dashboard.presentation.leftSignalOn
            Layout.alignment: Qt.AlignVCenter
        }
        SpeedReadout {
            objectName: "speedReadout"
            text: dashboard.presentation.speedText
            value: dashboard.presentation.speedValue
            unit: dashboard.presentation.speedUnitLabel
            assistActive: dashboard.presentation.assistActive
            Layout.fillWidth: true
            Layout.alignment: Qt.AlignVCenter
        }
        TurnSignalGlyph {
            direction: TurnSignalGlyph.Right
            isOn: dashboard.presentation.rightSignalOn
            Layout.alignment: Qt.AlignVCenter
        }
        BrakeIndicator {
            applied: dashboard.presentation.brakeOn
            Layout.alignment: Qt.AlignVCenter
        }
        AcceleratorGauge {
            progress: dashboard.presentation.acceleratorProgress
            Layout.alignment: Qt.AlignVCenter
        }
    }

    Text {
        objectName: "noTelemetryNote"
        visible: !dashboard.hasTelemetry
        // The strip's top-right corner, or the instruments' on a wide window.
        anchors.top: parent.top
        anchors.topMargin: Theme.dashboard.noteInset
        anchors.right: row.right
        anchors.rightMargin: Theme.dashboard.noteInset - Theme.dashboard.paddingH
        text: qsTr("此视频无遥测数据")
        color: Theme.dashboard.label
        font.family: Theme.fontFamily
        font.pixelSize: Theme.captionSize
    }
}
