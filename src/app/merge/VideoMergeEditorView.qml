import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.Common
import Orvane.Merge

// The merge editor: one page per item to choose the part kept, then a review page that plays
// every kept part in output order, where the order can still change and the splice starts.
// Its logic is its MergeEditorController; the picture is the view model's merge player.
//
//   VideoMergeEditorView { merge: vm.merge }   // shown while vm.merge.isMergeEditorPresented
//
// Keyboard: Space play/pause, ← / → 5 s, , / . one frame, [ / ] kept part start / end (range
// pages), Esc back, Ctrl+E start the splice (review page).
FocusScope {
    id: root

    required property MergeViewModel merge
    readonly property alias controller: editor
    readonly property VideoPreviewController player: merge.mergePreview

    Accessible.role: Accessible.Pane
    Accessible.name: editor.title

    MergeEditorController {
        id: editor
        merge: root.merge
    }

    Component.onCompleted: if (visible) forceActiveFocus()
    onVisibleChanged: if (visible) forceActiveFocus()
    Keys.onPressed: (event) => handleKey(event)
    Shortcut {
        sequence: "Ctrl+E"
        enabled: root.visible && editor.isReviewPage
        onActivated: editor.performAction()
    }

    // The editor's keys; a focused button keeps Space for itself.
    function handleKey(event) {
        if (event.modifiers & ~Qt.KeypadModifier)
            return
        const actions = {
            [Qt.Key_Space]: () => editor.togglePreviewPlayback(),
            [Qt.Key_Left]: () => editor.skipBack(),
            [Qt.Key_Right]: () => editor.skipForward(),
            [Qt.Key_Comma]: () => editor.stepFrame(-1),
            [Qt.Key_Period]: () => editor.stepFrame(1),
            [Qt.Key_BracketLeft]: () => editor.setRangeStartHere(),
            [Qt.Key_BracketRight]: () => editor.setRangeEndHere(),
            [Qt.Key_Escape]: () => editor.goBack()
        }
        const action = actions[event.key]
        if (action) {
            action()
            event.accepted = true
        }
    }

    Rectangle {
        anchors.fill: parent
        color: Theme.window
    }

    ColumnLayout {
        anchors.top: parent.top
        anchors.bottom: parent.bottom
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.topMargin: Theme.spaceM
        anchors.bottomMargin: Theme.spaceL
        width: Math.min(parent.width - 2 * Theme.spaceXl, Theme.pageMaxWidth)
        spacing: Theme.spaceM

        MergeEditorHeader {
            merge: root.merge
            editor: editor
            Layout.fillWidth: true
        }

        MergePreviewPanel {
            objectName: "mergePreviewPanel"
            merge: root.merge
            editor: editor
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.minimumHeight: Theme.videoMinHeight
        }

        MergePlaybackBar {
            objectName: "mergePlaybackBar"
            editor: editor
            player: root.player
            Layout.fillWidth: true
        }

        MergeRangeControls {
            objectName: "mergeRangeControls"
            visible: !editor.isReviewPage
            editor: editor
            Layout.fillWidth: true
        }

        MergeReviewList {
            objectName: "mergeReviewList"
            visible: editor.isReviewPage
            merge: root.merge
            editor: editor
            Layout.fillWidth: true
            Layout.preferredHeight: Math.min(implicitHeight, Theme.merge.reviewListMaxHeight)
        }

        Rectangle {
            color: Theme.separator
            Layout.fillWidth: true
            Layout.preferredHeight: Theme.hairline
        }

        RowLayout {
            spacing: Theme.spaceM
            Layout.fillWidth: true
            ThemedText {
                objectName: "mergeFooterText"
                text: editor.footerText
                mono: true
                secondary: true
                Layout.fillWidth: true
            }
            ActionButton {
                objectName: "mergeActionButton"
                text: editor.actionTitle
                iconName: editor.isReviewPage ? "content_cut" : "arrow_forward"
                kind: ActionButton.Prominent
                focusPolicy: Qt.TabFocus
                enabled: editor.itemCount > 0 && !root.merge.isExportBusy
                Layout.minimumWidth: Theme.wideButtonMinWidth
                onClicked: editor.performAction()
            }
        }
    }

    BlockingOverlay {
        objectName: "preparingMergeOverlay"
        visible: root.merge.isPreparingMerge
        ThemedText {
            text: qsTr("正在准备拼接片段...")
            textStyle: ThemedText.Headline
            horizontalAlignment: Text.AlignHCenter
            Layout.fillWidth: true
        }
    }
}
