import QtQuick
import QtQuick.Layouts
import Orvane.Common
import Orvane.Merge

// A range page's controls: the kept part starts or ends at the picture's position; what is kept.
RowLayout {
    id: controls

    property MergeEditorController editor

    spacing: Theme.spaceS

    ActionButton {
        objectName: "mergeRangeStartButton"
        text: controls.editor.rangeStartTitle
        iconName: "start"
        focusPolicy: Qt.TabFocus
        enabled: controls.editor.hasPreviewItem
        onClicked: controls.editor.setRangeStartHere()
    }
    ActionButton {
        objectName: "mergeRangeEndButton"
        text: controls.editor.rangeEndTitle
        iconName: "keyboard_tab"
        focusPolicy: Qt.TabFocus
        enabled: controls.editor.hasPreviewItem
        onClicked: controls.editor.setRangeEndHere()
    }
    ThemedText {
        objectName: "mergeKeptText"
        text: controls.editor.keptText
        mono: true
        textStyle: ThemedText.Headline
        Layout.leftMargin: Theme.spaceM
    }
    ThemedText {
        objectName: "mergeKeptRange"
        text: controls.editor.rangeText(controls.editor.previewRangeStart, controls.editor.previewRangeEnd)
        mono: true
        secondary: true
        textStyle: ThemedText.Footnote
        elide: Text.ElideRight
        Layout.fillWidth: true
    }
}
