import QtQuick
import QtQuick.Layouts
import Orvane.Common
import Orvane.Library

// Blocks the window while the marked events' files move to the Trash.
BlockingOverlay {
    id: overlay

    // How many events are being deleted.
    property int count

    ThemedText {
        objectName: "deletingTitle"
        Accessible.role: Accessible.AlertMessage
        text: qsTr("正在删除视频片段")
        textStyle: ThemedText.Headline
        horizontalAlignment: Text.AlignHCenter
        wrapMode: Text.Wrap
        Layout.fillWidth: true
    }
    ThemedText {
        text: LibraryText.deletingDetail(overlay.count)
        secondary: true
        horizontalAlignment: Text.AlignHCenter
        wrapMode: Text.Wrap
        Layout.fillWidth: true
    }
    ThemedText {
        text: qsTr("请勿关闭应用或拔出 TeslaCam U 盘")
        textStyle: ThemedText.Footnote
        color: Theme.warning
        horizontalAlignment: Text.AlignHCenter
        wrapMode: Text.Wrap
        Layout.fillWidth: true
    }
}
