import QtQuick
import Orvane.Common
import Orvane.Preview

// The speed in large equal-width digits over its unit. A new value rolls in (up when faster,
// down when slower) with a short, barely overshooting spring.
Item {
    id: readout

    property string text: "—"
    // The transition's key: the speed shown (0 without a sample).
    property string unit: "km/h"
    property int value: 0
    property bool assistActive: false

    property string previousText: text
    property int previousValue: value
    property int direction: 1
    readonly property real travel: Theme.dashboard.speedSize * 0.45

    implicitWidth: Math.max(current.implicitWidth, unitRow.implicitWidth)
    implicitHeight: digits.height + unitRow.implicitHeight
    Accessible.role: Accessible.StaticText
    Accessible.name: text + " " + unit

    onTextChanged: {
        outgoing.text = previousText
        direction = value >= previousValue ? 1 : -1
        previousText = text
        previousValue = value
        roll.restart()
    }

    Item {
        id: digits
        width: parent.width
        height: Theme.dashboard.speedSize * 1.18
        clip: true

        Text {
            id: outgoing
            anchors.horizontalCenter: parent.horizontalCenter
            anchors.verticalCenter: parent.verticalCenter
            opacity: 0
            color: Theme.dashboard.value
            font.family: Theme.monoFamily
            font.pixelSize: Theme.dashboard.speedSize
            font.weight: Font.Medium
        }
        Text {
            id: current
            text: readout.text
            anchors.horizontalCenter: parent.horizontalCenter
            anchors.verticalCenter: parent.verticalCenter
            color: Theme.dashboard.value
            font.family: Theme.monoFamily
            font.pixelSize: Theme.dashboard.speedSize
            font.weight: Font.Medium
        }
    }

    ParallelAnimation {
        id: roll
        NumberAnimation { target: outgoing; property: "anchors.verticalCenterOffset"; from: 0; to: -readout.direction * readout.travel; duration: Theme.motionSpeedRoll; easing.type: Easing.OutCubic }
        NumberAnimation { target: outgoing; property: "opacity"; from: 1; to: 0; duration: Theme.motionSpeedRoll; easing.type: Easing.OutCubic }
        NumberAnimation { target: current; property: "anchors.verticalCenterOffset"; from: readout.direction * readout.travel; to: 0; duration: Theme.motionSpeedRoll; easing.type: Easing.OutBack; easing.overshoot: 0.6 }
        NumberAnimation { target: current; property: "opacity"; from: 0; to: 1; duration: Theme.motionSpeedRoll; easing.type: Easing.OutCubic }
    }

    Item {
        id: unitRow
        anchors.top: digits.bottom
        anchors.topMargin: -Theme.spaceXs
        width: parent.width
        implicitWidth: unitText.implicitWidth + 2 * (badge.implicitWidth + Theme.spaceS)
        implicitHeight: Math.max(unitText.implicitHeight, badge.implicitHeight)

        Text {
            id: unitText
            objectName: "speedUnit"
            anchors.centerIn: parent
            text: readout.unit
            color: Theme.dashboard.unit
            font.family: Theme.fontFamily
            font.pixelSize: Theme.captionSize
            font.weight: Font.DemiBold
        }
        // Shown while driver assistance is engaged; the modes are numbered differently by
        // firmware version, so it names none.
        Rectangle {
            id: badge
            visible: readout.assistActive
            anchors.left: unitText.right
            anchors.leftMargin: Theme.spaceS
            anchors.verticalCenter: unitText.verticalCenter
            implicitWidth: badgeText.implicitWidth + 2 * Theme.spaceS
            implicitHeight: badgeText.implicitHeight + Theme.spaceXxs * 2
            width: implicitWidth
            height: implicitHeight
            radius: height / 2
            color: Theme.dashboard.assistFill
            border.width: Theme.hairline
            border.color: Theme.dashboard.assist
            Accessible.role: Accessible.StaticText
            Accessible.name: badgeText.text

            Text {
                id: badgeText
                anchors.centerIn: parent
                text: qsTr("辅助驾驶")
                color: Theme.dashboard.assist
                font.family: Theme.fontFamily
                font.pixelSize: Theme.captionSize - 1
                font.weight: Font.DemiBold
            }
        }
    }
}
