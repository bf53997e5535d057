import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.Common
import Orvane.Library
import Orvane.Merge
import Orvane.Window

// The library in two columns: the sidebar (which slides away) and the detail column with the
// sidebar button, the category picker and the event browser, or the first-run placeholder.
RowLayout {
    id: columns

    required property MainViewModel viewModel
    required property ContentViewState screenState
    property bool sidebarVisible: true
    signal toggleSidebar()
    signal importRequested()
    signal changeOutputRequested()
    signal aboutRequested()
    signal deleteRequested()

    readonly property bool imported: viewModel.library.hasImported

    spacing: 0

    Item {
        id: sidebarSlot
        objectName: "sidebarSlot"
        clip: true
        visible: Layout.preferredWidth > 0
        Layout.fillHeight: true
        Layout.preferredWidth: columns.sidebarVisible ? Theme.sidebarWidth : 0
        Behavior on Layout.preferredWidth {
            NumberAnimation { duration: Theme.motionFast * 2; easing.type: Easing.OutCubic }
        }

        LibrarySidebar {
            objectName: "sidebar"
            anchors.top: parent.top
            anchors.bottom: parent.bottom
            anchors.right: parent.right
            width: Theme.sidebarWidth
            library: columns.viewModel.library
            exporter: columns.viewModel.exporter
            preview: columns.viewModel.preview
            messages: columns.viewModel.messages
            language: columns.viewModel.language
            onImportRequested: columns.importRequested()
            onChangeOutputRequested: columns.changeOutputRequested()
            onAboutRequested: columns.aboutRequested()
        }
    }

    Item {
        Layout.fillWidth: true
        Layout.fillHeight: true

        ColumnLayout {
            anchors.top: parent.top
            anchors.bottom: parent.bottom
            anchors.horizontalCenter: parent.horizontalCenter
            width: Math.min(parent.width - 2 * Theme.spaceXl, Theme.browserMaxWidth)
            spacing: Theme.spaceL

            RowLayout {
                spacing: Theme.spaceM
                Layout.fillWidth: true
                Layout.preferredHeight: Theme.toolbarHeight
                Layout.topMargin: Theme.spaceS

                IconButton {
                    objectName: "sidebarToggle"
                    iconName: columns.sidebarVisible ? "menu_open" : "menu"
                    iconColor: Theme.textSecondary
                    accessibleName: WindowText.sidebarToggleHelp(columns.sidebarVisible)
                    onClicked: columns.toggleSidebar()
                }
                SegmentedPicker {
                    objectName: "categoryPicker"
                    visible: columns.imported
                    accessibleName: qsTr("片段类型")
                    options: columns.screenState.categoryOptions
                    currentValue: columns.screenState.categorySelection
                    onChosen: (value) => columns.viewModel.library.selectCategory(value)
                }
                Item { Layout.fillWidth: true }
            }

            EmptyState {
                objectName: "firstRun"
                visible: !columns.imported
                iconName: "video_library"
                title: qsTr("请先在左侧选择 TeslaCam 文件夹")
                hint: qsTr("导入后会显示片段列表，选中视频后可预览播放")
                Layout.fillWidth: true
                Layout.fillHeight: true
                Layout.bottomMargin: Theme.toolbarHeight
            }

            EventBrowser {
                visible: columns.imported
                library: columns.viewModel.library
                headerControls: columns.screenState.headerControls
                cardSelectionMode: columns.screenState.cardSelectionMode
                category: columns.screenState.categorySelection
                Layout.fillWidth: true
                Layout.fillHeight: true
                onDeleteRequested: columns.deleteRequested()
                onEventActivated: (eventID) => columns.screenState.activateEvent(eventID)

                MergeSelectionControls {
                    merge: columns.viewModel.merge
                    headerControls: columns.screenState.headerControls
                    offersStart: columns.screenState.offersMergeSelection
                    canContinue: columns.screenState.canContinueMerge
                }
            }
        }
    }
}
