import QtQuick
import QtQuick.Layouts
import Orvane.Common

// A calm placeholder for an area with nothing to show: a symbol, a line and a hint.
Item {
    id: placeholder

    property string iconName
    property string title
    property string hint

    Accessible.role: Accessible.StaticText
    Accessible.name: title + (hint.length > 0 ? qsTr("。") + hint : "")

    ColumnLayout {
        anchors.centerIn: parent
        width: Math.min(parent.width - 2 * Theme.spaceXl, Theme.dialogWidth)
        spacing: Theme.spaceM

        Rectangle {
            Layout.alignment: Qt.AlignHCenter
            Layout.bottomMargin: Theme.spaceXs
            width: Theme.emptyStateEmblemSize
            height: Theme.emptyStateEmblemSize
            radius: width / 2
            color: Theme.surfaceMuted
            Icon {
                anchors.centerIn: parent
                name: placeholder.iconName
                size: Theme.iconSizeEmptyState
                color: Theme.textTertiary
            }
        }
        ThemedText {
            objectName: "emptyStateTitle"
            text: placeholder.title
            textStyle: ThemedText.Title3
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            Layout.fillWidth: true
        }
        ThemedText {
            objectName: "emptyStateHint"
            visible: text.length > 0
            text: placeholder.hint
            secondary: true
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            lineHeight: Theme.paragraphLineHeight
            Layout.fillWidth: true
        }
    }
}
