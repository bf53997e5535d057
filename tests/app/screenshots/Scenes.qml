import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import QtQuick.Window
import Orvane.App
import "qrc:/orvane-test/qml"

// The screenshot harness's window: one scene at a time, each reporting when it has settled.
Window {
    id: window

    property var fixtures: ({})
    // The real application state of the preview and merge editor scenes (PreviewFixtures).
    property var viewModel
    property var previewFixtures: ({})
    property string scene
    readonly property bool sceneReady: loader.item !== null && loader.item.ready === true

    width: 900
    height: 700
    color: Theme.window
    title: "Orvane screenshots"

    Loader {
        id: loader
        anchors.fill: parent
        sourceComponent: ({
            "dashboard-drive": dashboardDrive,
            "dashboard-accelerator": dashboardAccelerator,
            "dashboard-states": dashboardStates,
            "thumbnails": thumbnails,
            "export-bar": exportBar,
            "export-spinner": exportSpinner,
            "result-captures": resultCaptures,
            "result-empty": resultEmpty,
            "about": about,
            "about-update": aboutUpdate,
            "update-overlay": updateOverlay,
            "alert": alert,
            "window-empty": windowEmpty,
            "window-browser": windowBrowser,
            "window-sentry-empty": windowSentryEmpty,
            "window-delete": windowDelete,
            "window-export": windowExport,
            "window-result": windowResult,
            "window-about": windowAbout,
            "window-update-alert": windowUpdateAlert,
            "window-error": windowError,
            "preview-single": previewScenes.previewSingle,
            "preview-grid": previewScenes.previewGrid,
            "preview-toast": previewScenes.previewToast,
            "preview-no-camera": previewScenes.previewNoCamera,
            "preview-segments": previewScenes.previewSegments,
            "merge-range": previewScenes.mergeRange,
            "merge-review": previewScenes.mergeReview
        })[window.scene] || null
    }

    PreviewScenes {
        id: previewScenes
        viewModel: window.viewModel
        fixtures: window.previewFixtures
    }

    // A stand-in for the preview page: a still frame with the watermark and toast, the dashboard under it.
    component PreviewMock: Item {
        id: mock
        property bool ready: true
        property alias dashboard: dash
        property string toast
        property bool toastIsError: false

        ColumnLayout {
            anchors.fill: parent
            anchors.margins: Theme.spaceL
            spacing: Theme.spaceM
            Rectangle {
                Layout.fillWidth: true
                Layout.fillHeight: true
                color: Theme.videoBackground
                Image {
                    anchors.fill: parent
                    source: window.fixtures.frameUrl
                    fillMode: Image.PreserveAspectFit
                }
                TimeWatermark {
                    anchors.right: parent.right
                    anchors.bottom: parent.bottom
                    text: "2024-05-01 10:19:31"
                }
                FeedbackToast {
                    anchors.left: parent.left
                    anchors.bottom: parent.bottom
                    anchors.margins: Theme.watermarkInset * 2
                    message: mock.toast
                    isError: mock.toastIsError
                }
                RoundedCorners { anchors.fill: parent; radius: Theme.radiusLarge; color: Theme.window }
            }
            TeslaDashboardView {
                id: dash
                Layout.fillWidth: true
            }
        }
    }

    Component {
        id: dashboardDrive
        PreviewMock {
            toast: "已设置开始点 00:12"
            dashboard.hasSample: true
            dashboard.gear: 1
            dashboard.speedMetersPerSecond: 17.2
            dashboard.sampleSteeringAngle: -30
            dashboard.steeringAngle: -35
            dashboard.leftBlinker: true
            dashboard.brakeApplied: true
            dashboard.autopilotState: 1
        }
    }
    Component {
        id: dashboardAccelerator
        PreviewMock {
            toast: "结束点必须晚于开始点"
            toastIsError: true
            dashboard.hasSample: true
            dashboard.gear: 1
            dashboard.speedMetersPerSecond: 23.9
            dashboard.steeringAngle: 90
            dashboard.rightBlinker: true
            dashboard.acceleratorPercent: 64
        }
    }
    Component {
        id: dashboardStates
        Item {
            property bool ready: true
            ColumnLayout {
                anchors.fill: parent
                anchors.margins: Theme.spaceL
                spacing: Theme.spaceM
                TeslaDashboardView { Layout.fillWidth: true; hasTelemetry: false }
                TeslaDashboardView { Layout.fillWidth: true; hasSample: true; gear: 0 }
                TeslaDashboardView { Layout.fillWidth: true; hasSample: true; gear: 2; speedMetersPerSecond: -2.5; sampleSteeringAngle: 120; brakeApplied: true }
                TeslaDashboardView { Layout.fillWidth: true; hasSample: true; gear: 3; speedMetersPerSecond: 0.14; leftBlinker: true; rightBlinker: true }
                TeslaDashboardView { Layout.fillWidth: true; hasSample: true; gear: 7; speedMetersPerSecond: 33.4; acceleratorPercent: 150; autopilotState: 2 }
                Item { Layout.fillHeight: true }
            }
        }
    }

    Component {
        id: thumbnails
        Item {
            id: browser
            property int settled: 0
            readonly property int expected: window.fixtures.cards.length
            property bool ready: settled >= expected
            GridView {
                id: grid
                anchors.fill: parent
                anchors.margins: Theme.spaceL
                readonly property int columns: Math.max(3, Math.floor(width / 300))
                cellWidth: Math.floor(width / columns)
                cellHeight: cellWidth * 9 / 16 + 64
                model: window.fixtures.cards
                delegate: Item {
                    required property var modelData
                    width: grid.cellWidth
                    height: grid.cellHeight
                    Rectangle {
                        anchors.fill: parent
                        anchors.margins: Theme.spaceS
                        radius: Theme.radiusLarge
                        color: Theme.surface
                        border.width: Theme.hairline
                        border.color: Theme.separator
                        ColumnLayout {
                            anchors.fill: parent
                            anchors.margins: Theme.spaceS
                            spacing: Theme.spaceXs
                            EventThumbnailView {
                                id: thumb
                                source: modelData.source
                                Layout.fillWidth: true
                                Layout.preferredHeight: width * 9 / 16
                                readonly property bool settled: imageStatus === Image.Error
                                                                || (imageStatus === Image.Ready && duration > 0)
                                // A picture and length already cached are settled from the start.
                                Component.onCompleted: if (settled) browser.settled += 1
                                onSettledChanged: if (settled) browser.settled += 1
                            }
                            ThemedText { text: modelData.title; textStyle: "headline"; mono: true; Layout.fillWidth: true }
                            ThemedText { text: modelData.subtitle; secondary: true; textStyle: "footnote"; elide: Text.ElideRight; Layout.fillWidth: true }
                        }
                    }
                }
            }
        }
    }

    Component {
        id: exportBar
        ExportLoadingOverlay {
            property bool ready: true
            fileName: "TeslaCam_2024-05-01_10-19-30_前路.mp4"
            statusMessage: "正在导出视频..."
            progress: 0.37
        }
    }
    Component {
        id: exportSpinner
        ExportLoadingOverlay {
            property bool ready: true
            fileName: "TeslaCam_2024-05-01_10-19-30_四宫格.mp4"
            statusMessage: "正在从 U 盘复制源视频..."
            isIndeterminate: true
        }
    }

    Component {
        id: resultCaptures
        ExportResultView {
            id: result
            property int step: 0
            property bool ready: step >= 4 && controller.saveMessage.length > 0
            videoUrl: window.fixtures.videoUrl
            videoStartDate: window.fixtures.videoStartDate
            message: "已导出到 ~/Downloads/TeslaCam_2024-05-01_10-19-30_前路.mp4"
            openOutputButtonTitle: "打开所在文件夹"
            // Two captures a second apart, then save them beside the video.
            Timer {
                interval: 300; repeat: true
                running: result.controller.isReady && result.step < 4
                onTriggered: {
                    const page = result.controller
                    if (page.isCapturing || page.isSavingCaptures)
                        return
                    if (result.step === 0 || result.step === 2) {
                        page.beginScrub(); page.scrub(result.step === 0 ? 0.8 : 2.1); page.endScrub()
                    } else {
                        page.captureCurrentFrame()
                    }
                    result.step += 1
                    if (result.step === 4)
                        saveLater.start()
                }
            }
            Timer {
                id: saveLater
                interval: 600
                onTriggered: result.controller.saveAllCaptures()
            }
        }
    }
    Component {
        id: resultEmpty
        ExportResultView {
            property bool ready: controller.isReady
            videoUrl: window.fixtures.videoUrl
            videoStartDate: window.fixtures.videoStartDate
            message: "已导出到系统相册"
            openOutputButtonTitle: "打开相册"
            outputToPhotosLibrary: true
        }
    }

    Component {
        id: about
        PreviewMock {
            dashboard.hasSample: true
            dashboard.speedMetersPerSecond: 12
            dashboard.gear: 1
            AboutSheet {
                updateController: StubUpdateController {}
                Component.onCompleted: open()
            }
        }
    }
    Component {
        id: aboutUpdate
        PreviewMock {
            dashboard.hasSample: true
            dashboard.speedMetersPerSecond: 12
            dashboard.gear: 1
            AboutSheet {
                updateController: StubUpdateController {
                    showUpdateAlert: true
                    availableUpdate: ({ version: "0.2.0", displayReleaseNotes: "四宫格导出更快；修复从 U 盘导入时偶尔卡住的问题。" })
                }
                Component.onCompleted: open()
            }
        }
    }
    Component {
        id: updateOverlay
        PreviewMock {
            dashboard.hasSample: true
            dashboard.speedMetersPerSecond: 12
            dashboard.gear: 1
            UpdateLoadingOverlay {
                statusMessage: "正在下载更新..."
                Component.onCompleted: open()
            }
        }
    }
    Component {
        id: alert
        PreviewMock {
            dashboard.hasSample: true
            dashboard.speedMetersPerSecond: 12
            dashboard.gear: 1
            AlertDialog {
                title: "提示"
                message: "所选文件夹不是 TeslaCam 目录，请选择 U 盘中的 TeslaCam 文件夹。"
                Component.onCompleted: open()
            }
        }
    }

    // Every item below `item` whose objectName is `name`.
    function findAll(item, name) {
        let found = item.objectName === name ? [item] : []
        for (let i = 0; i < item.children.length; ++i)
            found = found.concat(findAll(item.children[i], name))
        return found
    }

    // The real main window over a real view model of the sample drive.
    component WindowScene: Item {
        id: scene
        property bool holdExports: false
        property bool importDrive: true
        readonly property QtObject viewModel: window.fixtures.viewModels.create(holdExports)
        property QtObject updater: StubUpdateController {}
        readonly property alias content: content
        readonly property bool imported: !importDrive || (viewModel.importMode !== "none" && !viewModel.isImporting)
        // Once the import has been applied whole (its state changes land together).
        signal arrived()
        // Every card on screen has its picture and length.
        property bool thumbnailsSettled: false
        property bool ready: imported && thumbnailsSettled

        ContentView {
            id: content
            anchors.fill: parent
            viewModel: scene.viewModel
            updateController: scene.updater
        }
        Timer {
            interval: 50; running: scene.importDrive && scene.imported
            onTriggered: scene.arrived()
        }
        Timer {
            interval: 200; repeat: true; running: scene.imported && !scene.thumbnailsSettled
            onTriggered: {
                const thumbs = window.findAll(content, "cardThumbnail")
                scene.thumbnailsSettled = thumbs.every((t) => !t.visible || t.imageStatus === Image.Error
                                                            || (t.imageStatus === Image.Ready && t.duration > 0))
            }
        }
        Component.onCompleted: {
            viewModel.exportQuality = "balanced"
            viewModel.setCustomOutputDirectory(window.fixtures.exportFolderUrl)
            if (importDrive)
                viewModel.importTeslaCamFolders([window.fixtures.driveUrl])
        }
    }

    Component {
        id: windowEmpty
        WindowScene { importDrive: false }
    }
    Component {
        id: windowBrowser
        WindowScene {}
    }
    Component {
        id: windowSentryEmpty
        WindowScene {
            onArrived: viewModel.selectCategory("sentry")
        }
    }
    Component {
        id: windowDelete
        WindowScene {
            onArrived: {
                viewModel.startDeleteSelection()
                viewModel.toggleDeleteEvent(viewModel.eventsInSelectedCategory.get(0).eventID)
                viewModel.toggleDeleteEvent(viewModel.eventsInSelectedCategory.get(2).eventID)
                content.showDeleteConfirmation = true
            }
        }
    }
    // Opens the latest event and exports it once its first minute is ready.
    component ExportingScene: WindowScene {
        id: exporting
        property bool started: false
        onArrived: viewModel.selectEvent(viewModel.eventsInSelectedCategory.get(0).eventID)
        Timer {
            interval: 100; repeat: true; running: !exporting.started
            onTriggered: {
                const preview = exporting.viewModel.activePreview
                if (exporting.viewModel.hasSelectedEvent && !exporting.viewModel.isLoadingEvent
                        && preview.duration > 0 && !preview.isLoading) {
                    exporting.started = true
                    exporting.viewModel.startProcessing()
                }
            }
        }
    }
    Component {
        id: windowExport
        ExportingScene {
            holdExports: true
            ready: viewModel.isProcessing && viewModel.exportProgress > 0.3
        }
    }
    Component {
        id: windowResult
        ExportingScene {
            id: resultScene
            property int step: 0
            property var page: null
            ready: step >= 4 && page !== null && page.controller.saveMessage.length > 0
            // Two captures a second apart, then save them beside the video.
            Timer {
                interval: 300; repeat: true
                running: resultScene.step < 4
                onTriggered: {
                    if (!resultScene.page)
                        resultScene.page = window.findAll(content, "exportResult")[0] || null
                    if (!resultScene.page || !resultScene.page.controller.isReady)
                        return
                    const page = resultScene.page.controller
                    if (page.isCapturing || page.isSavingCaptures)
                        return
                    if (resultScene.step === 0 || resultScene.step === 2) {
                        page.beginScrub(); page.scrub(resultScene.step === 0 ? 0.6 : 1.4); page.endScrub()
                    } else {
                        page.captureCurrentFrame()
                    }
                    resultScene.step += 1
                    if (resultScene.step === 4)
                        resultSave.start()
                }
            }
            Timer {
                id: resultSave
                interval: 600
                onTriggered: resultScene.page.controller.saveAllCaptures()
            }
        }
    }
    Component {
        id: windowAbout
        WindowScene {
            onArrived: content.showAboutSheet = true
        }
    }
    Component {
        id: windowUpdateAlert
        WindowScene {
            updater: StubUpdateController {
                showUpdateAlert: true
                availableUpdate: ({ version: "0.2.0", displayReleaseNotes: "四宫格导出更快；修复从 U 盘导入时偶尔卡住的问题。" })
            }
        }
    }
    Component {
        id: windowError
        WindowScene {
            // A folder that holds no TeslaCam footage: the import's own message.
            onArrived: viewModel.importTeslaCamFolders([window.fixtures.exportFolderUrl])
            ready: viewModel.errorMessage.length > 0 && !viewModel.isImporting
        }
    }
}
