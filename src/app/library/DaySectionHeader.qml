import QtQuick
import QtQuick.Layouts
import Orvane.Common
import Orvane.Library

// A day of the browser: its title and, in a capsule, how many events it holds.
RowLayout {
    id: header

    property string title
    property int count

    spacing: Theme.spaceS
    Accessible.role: Accessible.Heading
    Accessible.name: qsTr("%1，%n 个", "", count).arg(title)

    ThemedText {
        text: header.title
        textStyle: ThemedText.Headline
    }
    Rectangle {
        objectName: "dayCount"
        implicitWidth: Math.max(Theme.capsuleHeight, countText.implicitWidth + 2 * Theme.spaceS)
        implicitHeight: Theme.capsuleHeight
        radius: height / 2
        color: Theme.surfaceMuted
        ThemedText {
            id: countText
            anchors.centerIn: parent
            text: header.count
            textStyle: ThemedText.Caption
            mono: true
            secondary: true
        }
    }
    Item { Layout.fillWidth: true }
}
