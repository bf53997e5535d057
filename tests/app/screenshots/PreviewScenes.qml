import QtQuick
import Orvane.App

// The event preview page and the merge editor over the harness's real view model: each scene
// puts the application into its state step by step and says when the picture has settled.
QtObject {
    id: scenes

    property var viewModel
    // eventID, mergeEventIDs, driveTime, rangeStart (PreviewFixtures).
    property var fixtures: ({})

    readonly property Component previewSingle: Component { PreviewScene { camera: "front" } }
    readonly property Component previewGrid: Component { PreviewScene { camera: "all" } }
    readonly property Component previewToast: Component { PreviewScene { camera: "front"; recordsRange: true } }
    readonly property Component previewNoCamera: Component { NoCameraScene {} }
    readonly property Component previewSegments: Component { PreviewScene { camera: "front"; picksMinutes: true } }
    readonly property Component mergeRange: Component { MergeScene {} }
    readonly property Component mergeReview: Component { MergeScene { review: true } }

    // A seek is done once the player stands at the time and has no file to open.
    function landed(player, time) {
        return player && !player.isLoading && Math.abs(player.currentTime - time) < 0.01
    }

    component PreviewScene: Item {
        id: scene
        property string camera
        property bool recordsRange: false
        // Ends choosing minutes to splice, the one playing picked.
        property bool picksMinutes: false
        property int step: 0
        property int waited: 0
        property bool ready: false
        readonly property var vm: scenes.viewModel
        readonly property var page: preview.controller

        EventPreviewPage {
            id: preview
            anchors.fill: parent
            viewModel: scenes.viewModel
        }
        Timer {
            interval: 50
            repeat: true
            running: !scene.ready
            onTriggered: scene.advance()
        }
        function advance() {
            const f = scenes.fixtures
            const target = step === 2 && recordsRange ? f.rangeStart : f.driveTime
            // A camera switch still reloading at the time it had may land after the seek: again.
            if (step >= 2 && !scenes.landed(preview.player, target) && ++waited % 10 === 0)
                page.seek(target)
            if (step === 0) {
                vm.cancelMergeSelection()
                vm.cancelSegmentMergeSelection()
                vm.switchCameraFilter(camera)
                if (vm.selectedEventID !== f.eventID)
                    vm.selectEvent(f.eventID)
                step = 1
            } else if (step === 1 && page.hasVideo && !page.isVideoLoading && preview.player.duration > 0) {
                vm.clearExportRange()
                page.seek(recordsRange ? f.rangeStart : f.driveTime)
                step = 2
            } else if (step === 2 && scenes.landed(preview.player, target) && page.timeline.hasSample) {
                if (picksMinutes) {
                    vm.startSegmentMergeSelection()
                    vm.toggleMergeSegment(vm.selectedTimestampKey)
                }
                if (!recordsRange) {
                    ready = true
                    return
                }
                page.recordRangeStart()
                page.seek(f.driveTime)
                step = 3
            } else if (step === 3 && scenes.landed(preview.player, f.driveTime)) {
                page.recordRangeEnd()
                ready = true
            }
        }
    }

    // A camera the car does not have: the note in place of the picture.
    component NoCameraScene: Item {
        id: scene
        property bool ready: false
        readonly property var vm: scenes.viewModel
        readonly property var page: preview.controller

        EventPreviewPage {
            id: preview
            anchors.fill: parent
            viewModel: scenes.viewModel
        }
        Component.onCompleted: {
            vm.cancelMergeSelection()
            vm.cancelSegmentMergeSelection()
            vm.switchCameraFilter("left_pillar")
            if (vm.selectedEventID !== scenes.fixtures.eventID)
                vm.selectEvent(scenes.fixtures.eventID)
        }
        Timer {
            interval: 50
            repeat: true
            running: !scene.ready
            onTriggered: scene.ready = !scene.page.isVideoLoading && !scene.page.hasVideo && scene.vm.hasSelectedEvent
        }
    }

    component MergeScene: Item {
        id: scene
        property bool review: false
        property int step: 0
        property bool ready: false
        readonly property var vm: scenes.viewModel
        readonly property var editor: loader.item ? loader.item.controller : null
        readonly property var player: vm.mergePreview
        readonly property real reviewTime: 3

        Loader {
            id: loader
            anchors.fill: parent
            active: scene.step >= 2
            sourceComponent: VideoMergeEditorView { viewModel: scenes.viewModel }
        }
        Timer {
            interval: 50
            repeat: true
            running: !scene.ready
            onTriggered: scene.advance()
        }
        function advance() {
            const ids = scenes.fixtures.mergeEventIDs
            if (step === 0) {
                vm.cancelSegmentMergeSelection()
                vm.closeEventPreview()
                vm.cancelMergeSelection()
                vm.startMergeSelection()
                ids.forEach(id => vm.toggleMergeEvent(id))
                vm.prepareMergeEditor()
                step = 1
            } else if (step === 1 && vm.isMergeEditorPresented) {
                step = 2
            } else if (step === 2 && editor && editor.hasPreviewItem && player.duration > 0 && !player.isLoading) {
                const first = vm.mergeItems.get(0).itemID
                vm.setMergeRangeStart(1.5, first)
                vm.setMergeRangeEnd(6.25, first)
                if (review) {
                    editor.performAction()
                    editor.performAction()
                } else {
                    player.seek(3.4)
                }
                step = 3
            } else if (step === 3 && !review && scenes.landed(player, 3.4)) {
                ready = true
            } else if (step === 3 && review && editor.isReviewPage && scenes.landed(player, 1.5)) {
                editor.seekReview(reviewTime)
                step = 4
            } else if (step === 4 && scenes.landed(player, 1.5 + reviewTime)) {
                ready = true
            }
        }
    }
}
