import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.Common
import Orvane.Library
import Orvane.Merge

// The splice's controls in the event browser's header: "拼接" beside "批量删除", or while saved
// events are picked, "取消" and "下一步（n）".
RowLayout {
    id: controls

    required property MergeViewModel merge
    // The browser header's BrowserMode.HeaderControls.
    required property int headerControls
    // Whether "拼接" is offered (the saved clips, nothing being picked).
    required property bool offersStart
    // Whether enough events are picked and none is being prepared.
    required property bool canContinue

    readonly property bool picking: headerControls === BrowserMode.MergeSelectionControls

    spacing: Theme.spaceS
    visible: picking || offersStart

    ActionButton {
        objectName: "cancelMergeButton"
        visible: controls.picking
        text: qsTr("取消")
        onClicked: controls.merge.cancelMergeSelection()
    }
    ActionButton {
        objectName: "mergeNextButton"
        visible: controls.picking
        text: controls.merge.mergeNextTitle
        kind: ActionButton.Prominent
        busy: controls.merge.isPreparingMerge
        enabled: controls.canContinue
        onClicked: controls.merge.prepareMergeEditor()
    }
    ActionButton {
        objectName: "startMergeButton"
        visible: controls.offersStart
        text: qsTr("拼接")
        iconName: "library_add"
        onClicked: controls.merge.startMergeSelection()
    }
}
