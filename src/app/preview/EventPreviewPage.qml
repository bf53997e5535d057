import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.Common
import Orvane.Preview

// The screen of an open event: header, camera tabs, the picture (one camera or the grid) with
// its recording time and range toast, the dashboard, the transport and, for events of several
// minutes, the minute list with its merge selection. Its logic is its PreviewPageController.
//
//   EventPreviewPage { preview: vm.preview }   // vm: the MainViewModel
//
// Keyboard (while the page has focus, which it takes when shown): Space play/pause, ← / → 5 s,
// , / . one frame, [ / ] range start / end, M the event's moment, Esc back (first out of
// choosing minutes), Ctrl+E export.
FocusScope {
    id: root

    required property PreviewViewModel preview
    // Ctrl+E exports from this page; off while a page in front of it (the merge editor) has its own.
    property bool exportShortcutEnabled: true
    readonly property alias controller: page
    readonly property PreviewController player: preview.activePreview

    Accessible.role: Accessible.Pane
    Accessible.name: page.detailTitle

    PreviewPageController {
        id: page
        preview: root.preview
    }

    Component.onCompleted: if (visible) forceActiveFocus()
    onVisibleChanged: if (visible) forceActiveFocus()

    Keys.onPressed: (event) => handleKey(event)
    Shortcut {
        sequence: "Ctrl+E"
        enabled: root.visible && root.exportShortcutEnabled
        onActivated: page.exportSelection()
    }

    // The page's keys; a focused button keeps Space for itself.
    function handleKey(event) {
        if (event.modifiers & ~Qt.KeypadModifier)
            return
        const actions = {
            [Qt.Key_Space]: () => page.togglePlayPause(),
            [Qt.Key_Left]: () => page.skipBack(),
            [Qt.Key_Right]: () => page.skipForward(),
            [Qt.Key_Comma]: () => page.stepFrame(-1),
            [Qt.Key_Period]: () => page.stepFrame(1),
            [Qt.Key_BracketLeft]: () => page.range.recordStart(),
            [Qt.Key_BracketRight]: () => page.range.recordEnd(),
            [Qt.Key_M]: () => page.jumpToEventMoment(),
            [Qt.Key_Escape]: () => page.escape()
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

        RowLayout {
            spacing: Theme.spaceM
            Layout.fillWidth: true

            ActionButton {
                objectName: "backButton"
                text: qsTr("返回")
                iconName: "chevron_left"
                kind: ActionButton.Plain
                focusPolicy: Qt.TabFocus
                onClicked: page.goBack()
            }
            ColumnLayout {
                spacing: 0
                Layout.fillWidth: true
                ThemedText {
                    objectName: "detailTitle"
                    text: page.detailTitle
                    textStyle: ThemedText.Headline
                    elide: Text.ElideRight
                    Layout.fillWidth: true
                }
                ThemedText {
                    objectName: "detailSubtitle"
                    visible: text.length > 0
                    text: page.detailSubtitle
                    textStyle: ThemedText.Footnote
                    secondary: true
                    elide: Text.ElideRight
                    Layout.fillWidth: true
                }
            }
            ReportMenuButton {
                objectName: "reportButton"
                visible: page.canWriteReport
                hasEventMoment: page.hasEventMoment
                onChosen: (atFrameOnScreen) => page.writeReport(atFrameOnScreen)
            }
            IconButton {
                objectName: "mapToggle"
                visible: page.drive.hasRoute
                iconName: "map"
                accessibleName: root.preview.mapShown ? qsTr("收起地图") : qsTr("显示地图")
                iconColor: root.preview.mapShown ? Theme.accent : Theme.textSecondary
                focusPolicy: Qt.TabFocus
                onClicked: root.preview.mapShown = !root.preview.mapShown
            }
            CameraTabs {
                objectName: "cameraTabs"
                options: page.cameraOptions
                current: root.preview.cameraFilter
                onPicked: (value) => page.selectCamera(value)
            }
        }

        RowLayout {
            spacing: Theme.spaceM
            Layout.fillWidth: true
            Layout.fillHeight: true
            Layout.minimumHeight: Theme.videoMinHeight

            PreviewVideoArea {
                objectName: "videoArea"
                preview: root.preview
                page: page
                Layout.fillWidth: true
                Layout.fillHeight: true
            }
            RouteMapPanel {
                objectName: "routeMap"
                visible: root.preview.mapShown && (page.drive.hasRoute || page.drive.isLoading)
                page: page
                Layout.fillHeight: true
                Layout.preferredWidth: Math.max(Theme.map.minWidth,
                                                Math.min(Theme.map.maxWidth, parent.width * Theme.map.widthShare))
            }
        }

        // Footage with a record but no position: the map's place says why in one line (without
        // any record, the drive strip's line says it for both).
        ThemedText {
            objectName: "mapNote"
            visible: root.preview.mapShown && page.drive.hasRecord && !page.drive.hasRoute
            text: page.drive.note
            secondary: true
            textStyle: ThemedText.Footnote
            elide: Text.ElideRight
            Layout.fillWidth: true
        }

        TeslaDashboardView {
            objectName: "dashboard"
            presentation: page.dashboard
            hasTelemetry: page.timeline.hasTelemetry
            Layout.fillWidth: true
        }

        EventMomentBar {
            objectName: "eventMomentBar"
            visible: page.hasEventMoment
            page: page
            preview: root.preview
            Layout.fillWidth: true
        }

        PreviewTransport {
            id: transport
            objectName: "transport"
            page: page
            player: root.player
            Layout.fillWidth: true
            onKeyPressed: (event) => root.handleKey(event)
        }

        DriveStripBar {
            objectName: "driveStripBar"
            page: page
            time: root.player ? root.player.currentTime : 0
            Layout.fillWidth: true
        }

        SegmentStrip {
            objectName: "segmentStrip"
            visible: page.segments.isShown
            preview: root.preview
            page: page
            Layout.fillWidth: true
        }
    }
}
