import QtQuick
import QtQuick.Layouts
import Orvane.Ui

// The dark instrument strip under the preview video: gear, steering wheel, turn signals, speed,
// brake and accelerator of one telemetry sample. A pure view of its inputs; the rules are in
// DashboardPresentation.
Rectangle {
    id: dashboard

    // Inputs: the sample for the current time (hasSample false when there is none).
    property bool hasSample: false
    property int gear: 0
    property real speedMetersPerSecond: 0
    // Percent 0 … 100.
    property real acceleratorPercent: 0
    property real sampleSteeringAngle: 0
    property bool leftBlinker: false
    property bool rightBlinker: false
    property bool brakeApplied: false
    property int autopilotState: 0
    // The smoothed steering angle in degrees; NaN when there is none.
    property real steeringAngle: NaN
    // False when the current video carries no telemetry at all.
    property bool hasTelemetry: true

    readonly property alias presentation: presentation

    implicitHeight: row.implicitHeight + row.anchors.topMargin + row.anchors.bottomMargin
    implicitWidth: row.implicitWidth + 2 * Theme.dashboard.paddingH
    radius: Theme.dashboard.radius
    gradient: Gradient {
        GradientStop { position: 0; color: Theme.dashboard.gradientTop }
        GradientStop { position: 1; color: Theme.dashboard.gradientBottom }
    }
    Accessible.role: Accessible.Grouping
    Accessible.name: "仪表盘"

    DashboardPresentation {
        id: presentation
        hasSample: dashboard.hasSample
        gear: dashboard.gear
        speedMetersPerSecond: dashboard.speedMetersPerSecond
        acceleratorPercent: dashboard.acceleratorPercent
        sampleSteeringAngle: dashboard.sampleSteeringAngle
        steeringAngle: dashboard.steeringAngle
        leftBlinker: dashboard.leftBlinker
        rightBlinker: dashboard.rightBlinker
        brakeApplied: dashboard.brakeApplied
        autopilotState: dashboard.autopilotState
    }

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
            label: "档位"
            Layout.alignment: Qt.AlignVCenter
            Accessible.role: Accessible.StaticText
            Accessible.name: "档位 " + presentation.gearLetter

            Text {
                objectName: "gearText"
                anchors.centerIn: parent
                text: presentation.gearLetter
                font.family: Theme.fontFamily
                font.pixelSize: Theme.dashboard.gearSize
                font.weight: Font.Bold
                color: {
                    switch (presentation.gearTone) {
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
            label: "方向盘"
            Layout.alignment: Qt.AlignVCenter
            Accessible.role: Accessible.StaticText
            Accessible.name: "方向盘 " + Math.round(presentation.wheelAngle) + "°"

            SteeringWheelGlyph {
                objectName: "steeringWheel"
                width: Theme.dashboard.wheelSize
                height: Theme.dashboard.wheelSize
                anchors.centerIn: parent
                rotation: presentation.wheelAngle
                layer.enabled: true
                layer.samples: 4
                layer.smooth: true
            }
        }
        TurnSignalGlyph {
            direction: "left"
            isOn: presentation.leftSignalOn
            Layout.alignment: Qt.AlignVCenter
        }
        SpeedReadout {
            objectName: "speedReadout"
            text: presentation.speedText
            value: presentation.speedKmh
            assistActive: presentation.assistActive
            Layout.fillWidth: true
            Layout.alignment: Qt.AlignVCenter
        }
        TurnSignalGlyph {
            direction: "right"
            isOn: presentation.rightSignalOn
            Layout.alignment: Qt.AlignVCenter
        }
        BrakeIndicator {
            applied: presentation.brakeOn
            Layout.alignment: Qt.AlignVCenter
        }
        AcceleratorGauge {
            progress: presentation.acceleratorProgress
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
        text: "此视频无遥测数据"
        color: Theme.dashboard.label
        font.family: Theme.fontFamily
        font.pixelSize: Theme.captionSize
    }
}
