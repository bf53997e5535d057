import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.Common
import Orvane.Preview

// The moment the car saved the event: its time, a button to jump there (key M), and "around the
// event": the seconds before and after it to export, and the export itself.
RowLayout {
    id: bar

    property PreviewPageController page: null
    property PreviewViewModel preview: null
    // The longest stretch the fields offer on either side of the moment, in seconds.
    readonly property int maximumSeconds: 600

    spacing: Theme.spaceS

    Icon {
        name: "flag"
        size: Theme.iconSizeSmall
        color: Theme.warning
    }
    ThemedText {
        objectName: "eventMomentTitle"
        text: bar.page ? bar.page.eventMomentTitle : ""
        textStyle: ThemedText.Footnote
        mono: true
    }
    ActionButton {
        objectName: "jumpToMomentButton"
        text: qsTr("跳到事件时刻")
        kind: ActionButton.Plain
        focusPolicy: Qt.TabFocus
        enabled: bar.page !== null && bar.page.hasVideo
        onClicked: bar.page.jumpToEventMoment()
    }
    Item { Layout.fillWidth: true }
    ThemedText {
        text: qsTr("事件前")
        textStyle: ThemedText.Footnote
        secondary: true
    }
    SpinBox {
        objectName: "aroundBeforeField"
        from: 0
        to: bar.maximumSeconds
        editable: true
        value: bar.preview ? bar.preview.aroundEventBefore : 0
        Accessible.name: qsTr("事件前秒数")
        onValueModified: if (bar.preview) bar.preview.aroundEventBefore = value
    }
    ThemedText {
        text: qsTr("秒，事件后")
        textStyle: ThemedText.Footnote
        secondary: true
    }
    SpinBox {
        objectName: "aroundAfterField"
        from: 0
        to: bar.maximumSeconds
        editable: true
        value: bar.preview ? bar.preview.aroundEventAfter : 0
        Accessible.name: qsTr("事件后秒数")
        onValueModified: if (bar.preview) bar.preview.aroundEventAfter = value
    }
    ThemedText {
        text: qsTr("秒")
        textStyle: ThemedText.Footnote
        secondary: true
    }
    ActionButton {
        objectName: "exportAroundEventButton"
        // Beside the transport's "导出" of the range: says which footage this one takes.
        text: qsTr("导出事件前后")
        iconName: "ios_share"
        focusPolicy: Qt.TabFocus
        enabled: bar.page !== null && bar.page.canExport
        onClicked: bar.page.exportAroundEvent()
    }
}
