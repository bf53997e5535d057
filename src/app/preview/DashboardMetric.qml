import QtQuick
import QtQuick.Layouts
import Orvane.Common
import Orvane.Preview

// One instrument of the dashboard: its content in a fixed-height frame over a small label.
ColumnLayout {
    id: metric

    property string label
    property color labelColor: Theme.dashboard.label
    property bool labelEmphasis: false
    default property alias content: frame.data

    spacing: Theme.dashboard.metricSpacing
    // A nested layout would otherwise share the row's spare width with the speed.
    Layout.fillWidth: false
    Layout.minimumWidth: Theme.dashboard.metricMinWidth

    Item {
        id: frame
        implicitHeight: Theme.dashboard.metricContentHeight
        implicitWidth: Theme.dashboard.metricMinWidth
        Layout.fillWidth: true
        Layout.preferredHeight: Theme.dashboard.metricContentHeight
    }
    Text {
        text: metric.label
        color: metric.labelColor
        font.family: Theme.fontFamily
        font.pixelSize: Theme.captionSize
        font.weight: metric.labelEmphasis ? Font.DemiBold : Font.Normal
        Layout.alignment: Qt.AlignHCenter
    }
}
