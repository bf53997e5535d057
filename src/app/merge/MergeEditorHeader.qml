import QtQuick
import QtQuick.Layouts
import Orvane.Common
import Orvane.Preview
import Orvane.Merge

// The merge editor's header: back, the page's title and hint, and the merge camera picker.
RowLayout {
    id: header

    required property MergeViewModel merge
    required property MergeEditorController editor

    spacing: Theme.spaceM

    ActionButton {
        objectName: "mergeBackButton"
        text: qsTr("返回")
        iconName: "chevron_left"
        kind: ActionButton.Plain
        focusPolicy: Qt.TabFocus
        Layout.alignment: Qt.AlignTop
        onClicked: header.editor.goBack()
    }
    ColumnLayout {
        spacing: Theme.spaceXxs
        Layout.fillWidth: true
        ThemedText {
            objectName: "mergeTitle"
            text: header.editor.title
            textStyle: ThemedText.Title3
            elide: Text.ElideRight
            Layout.fillWidth: true
        }
        ThemedText {
            objectName: "mergeHint"
            text: header.editor.hint
            textStyle: ThemedText.Footnote
            secondary: true
            elide: Text.ElideRight
            Layout.fillWidth: true
        }
    }
    CameraTabs {
        objectName: "mergeCameraPicker"
        options: header.editor.cameraOptions
        current: header.merge.mergeCameraAngle
        Layout.alignment: Qt.AlignTop
        onPicked: (value) => header.editor.selectCamera(value)
    }
}
