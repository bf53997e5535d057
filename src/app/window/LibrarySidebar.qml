import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.Common
import Orvane.Library
import Orvane.Preview
import Orvane.Export
import Orvane.Window

// The sidebar: import a TeslaCam folder, the export quality, the output destination, the speed unit, the
// language, the status line and the About row. The folder choosers and the sheet belong to the window.
Rectangle {
    id: sidebar

    required property LibraryViewModel library
    required property ExportViewModel exporter
    required property PreviewViewModel preview
    required property AppMessages messages
    required property LanguageSetting language
    readonly property bool outputsToFolder: exporter.outputDestination === ExportViewModel.Folder
    signal importRequested()
    signal changeOutputRequested()
    signal aboutRequested()

    color: Theme.surface
    Accessible.role: Accessible.Pane
    Accessible.name: qsTr("侧边栏")

    Rectangle {
        anchors.right: parent.right
        width: Theme.hairline
        height: parent.height
        color: Theme.separator
    }

    // Scrolls when the window is too low for every section (the smallest window in English).
    Flickable {
        id: scroller
        anchors.fill: parent
        contentHeight: content.height + Theme.spaceXl + Theme.spaceL
        boundsBehavior: Flickable.StopAtBounds
        clip: true
    }

    ColumnLayout {
        id: content
        parent: scroller.contentItem
        x: Theme.spaceL
        y: Theme.spaceXl
        width: scroller.width - 2 * Theme.spaceL
        height: Math.max(scroller.height - Theme.spaceXl - Theme.spaceL, implicitHeight)
        spacing: Theme.spaceXl

        ThemedText {
            text: "Orvane"
            textStyle: ThemedText.Title2
            Accessible.role: Accessible.Heading
            Layout.leftMargin: Theme.spaceXxs
        }

        SidebarSection {
            title: qsTr("导入")
            ActionButton {
                objectName: "importButton"
                text: qsTr("选择 TeslaCam 文件夹")
                iconName: "folder_open"
                kind: ActionButton.Prominent
                busy: sidebar.library.isImporting
                Layout.fillWidth: true
                onClicked: sidebar.importRequested()
            }
        }

        SidebarSection {
            title: qsTr("导出")
            ThemedText { text: qsTr("清晰度"); textStyle: ThemedText.Footnote; secondary: true }
            SegmentedPicker {
                objectName: "qualityPicker"
                accessibleName: qsTr("清晰度")
                options: WindowText.exportQualityOptions
                currentValue: sidebar.exporter.exportQuality
                Layout.fillWidth: true
                onChosen: (value) => sidebar.exporter.exportQuality = value
            }
            ThemedText {
                objectName: "qualityDescription"
                text: sidebar.exporter.exportQualityDescription
                textStyle: ThemedText.Footnote
                tertiary: true
                wrapMode: Text.Wrap
                // Wrapped at the column's own width from the start: a height measured at another
                // width would leave the section too short and the next one over its last row.
                Layout.preferredWidth: content.width
                Layout.fillWidth: true
            }
            // The two overlays side by side: the sidebar keeps its height for the sections below.
            GridLayout {
                columns: 2
                columnSpacing: Theme.spaceS
                rowSpacing: Theme.spaceXs
                Layout.fillWidth: true
                ThemedText {
                    text: qsTr("叠加仪表盘")
                    textStyle: ThemedText.Footnote
                    secondary: true
                    elide: Text.ElideRight
                    Layout.fillWidth: true
                    Layout.preferredWidth: 1
                }
                ThemedText {
                    text: qsTr("叠加地图")
                    textStyle: ThemedText.Footnote
                    secondary: true
                    elide: Text.ElideRight
                    Layout.fillWidth: true
                    Layout.preferredWidth: 1
                }
                SegmentedPicker {
                    objectName: "dashboardPicker"
                    accessibleName: qsTr("叠加仪表盘")
                    options: WindowText.dashboardOptions
                    currentValue: sidebar.exporter.showDashboard
                    Layout.fillWidth: true
                    Layout.preferredWidth: 1
                    onChosen: (value) => sidebar.exporter.showDashboard = value
                }
                SegmentedPicker {
                    objectName: "mapPicker"
                    accessibleName: qsTr("叠加地图")
                    options: WindowText.dashboardOptions
                    currentValue: sidebar.exporter.showMap
                    Layout.fillWidth: true
                    Layout.preferredWidth: 1
                    onChosen: (value) => sidebar.exporter.showMap = value
                }
            }
            ThemedText { text: qsTr("延时倍速"); textStyle: ThemedText.Footnote; secondary: true }
            SegmentedPicker {
                objectName: "exportSpeedPicker"
                accessibleName: qsTr("延时倍速")
                options: WindowText.exportSpeedOptions
                currentValue: sidebar.exporter.exportSpeed
                // Seven choices would widen the column past the sidebar: they share its width.
                Layout.preferredWidth: content.width
                Layout.fillWidth: true
                onChosen: (value) => sidebar.exporter.exportSpeed = value
            }
        }

        SidebarSection {
            title: qsTr("事故报告")
            SegmentedPicker {
                objectName: "reportPlacePicker"
                accessibleName: qsTr("事故报告中的位置")
                options: WindowText.reportPlaceOptions
                currentValue: sidebar.exporter.reportHidesPlace
                Layout.fillWidth: true
                onChosen: (value) => sidebar.exporter.reportHidesPlace = value
            }
        }

        SidebarSection {
            title: qsTr("输出")
            RowLayout {
                spacing: Theme.spaceXs + 2
                Layout.fillWidth: true
                Icon {
                    name: sidebar.outputsToFolder ? "folder" : "photo_library"
                    size: Theme.iconSizeSmall
                    color: Theme.textSecondary
                }
                ThemedText {
                    objectName: "outputLocation"
                    text: sidebar.exporter.outputFolderDisplayPath
                    textStyle: ThemedText.Footnote
                    secondary: true
                    elide: Text.ElideMiddle
                    Layout.fillWidth: true
                }
            }
            ThemedText {
                objectName: "photosLibraryHint"
                visible: !sidebar.outputsToFolder
                text: sidebar.exporter.photosLibraryHint
                textStyle: ThemedText.Caption
                tertiary: true
                elide: Text.ElideMiddle
                Layout.fillWidth: true
            }
            SegmentedPicker {
                objectName: "outputPicker"
                accessibleName: qsTr("输出位置")
                options: WindowText.outputLocationOptions
                currentValue: sidebar.exporter.outputLocationOption
                Layout.fillWidth: true
                onChosen: (value) => sidebar.exporter.selectOutputLocation(value)
            }
            ActionButton {
                objectName: "changeOutputButton"
                visible: sidebar.outputsToFolder
                text: qsTr("更改目录")
                iconName: "drive_folder_upload"
                Layout.fillWidth: true
                onClicked: sidebar.changeOutputRequested()
            }
        }

        SidebarSection {
            title: qsTr("仪表盘")
            SegmentedPicker {
                objectName: "speedUnitPicker"
                accessibleName: qsTr("速度单位")
                options: WindowText.speedUnitOptions
                currentValue: sidebar.preview.speedUnit
                Layout.fillWidth: true
                onChosen: (value) => sidebar.preview.speedUnit = value
            }
        }

        SidebarSection {
            title: qsTr("语言")
            SegmentedPicker {
                objectName: "languagePicker"
                accessibleName: qsTr("语言")
                options: sidebar.language.options
                currentValue: sidebar.language.choice
                Layout.fillWidth: true
                onChosen: (value) => sidebar.language.choice = value
            }
            ThemedText {
                objectName: "languageRestartNote"
                visible: sidebar.language.needsRestart
                text: qsTr("重新启动 Orvane 后生效")
                textStyle: ThemedText.Caption
                tertiary: true
                Layout.fillWidth: true
            }
        }

        Item { Layout.fillHeight: true }

        ThemedText {
            objectName: "statusLine"
            text: sidebar.messages.statusMessage
            textStyle: ThemedText.Caption
            tertiary: true
            wrapMode: Text.Wrap
            maximumLineCount: 3
            elide: Text.ElideRight
            Accessible.role: Accessible.StatusBar
            Layout.fillWidth: true
        }
        ActionButton {
            objectName: "aboutButton"
            text: qsTr("关于")
            iconName: "info_outline"
            kind: ActionButton.Plain
            Layout.alignment: Qt.AlignLeft
            Layout.leftMargin: -Theme.spaceS
            onClicked: sidebar.aboutRequested()
        }
    }
}
