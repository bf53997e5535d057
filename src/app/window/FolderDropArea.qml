import QtQuick
import QtQuick.Layouts
import Orvane.Common
import Orvane.Window

// Takes folders dropped on the window (from a file manager) and shows where they will land.
DropArea {
    id: area

    signal foldersDropped(var urls)

    keys: ["text/uri-list"]
    onEntered: (drag) => drag.accepted = drag.hasUrls
    onDropped: (drop) => {
        if (!drop.hasUrls)
            return
        drop.accept(Qt.CopyAction)
        area.foldersDropped(drop.urls)
    }

    Rectangle {
        objectName: "dropHint"
        anchors.fill: parent
        anchors.margins: Theme.spaceS
        visible: area.containsDrag
        radius: Theme.radiusXl
        color: Theme.accentSoft
        border.width: Theme.focusRingWidth
        border.color: Theme.accent

        ColumnLayout {
            anchors.centerIn: parent
            spacing: Theme.spaceS
            Icon {
                name: "drive_folder_upload"
                size: Theme.iconSizeLarge
                color: Theme.accent
                Layout.alignment: Qt.AlignHCenter
            }
            ThemedText {
                text: qsTr("松开以导入 TeslaCam 文件夹")
                textStyle: ThemedText.Title3
                color: Theme.accent
                Layout.alignment: Qt.AlignHCenter
            }
        }
    }
}
