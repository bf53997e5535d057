import QtQuick
import QtQuick.Controls
import QtQuick.Shapes
import Orvane.Common
import Orvane.Preview

// The route map beside the picture: the tiles (or a plain background offline) with the event's
// route, its own place, the car at the frame on screen turned to its heading, a scale bar and
// the tile provider's credit. Drag pans, the wheel zooms, a click on the route seeks to that
// moment; with focus the arrows pan, + / − zoom and 0 fits the route again.
Item {
    id: panel

    required property PreviewPageController page
    readonly property RouteMap map: page.map

    activeFocusOnTab: true
    Accessible.role: Accessible.Graphic
    Accessible.name: qsTr("路线地图")

    Keys.onPressed: (event) => {
        const pan = {
            [Qt.Key_Left]: [1, 0], [Qt.Key_Right]: [-1, 0], [Qt.Key_Up]: [0, 1], [Qt.Key_Down]: [0, -1]
        }[event.key]
        if (pan)
            panel.map.panBy(pan[0] * Theme.map.keyPanPixels, pan[1] * Theme.map.keyPanPixels)
        else if (event.key === Qt.Key_Plus || event.key === Qt.Key_Equal)
            panel.map.zoomBy(1, width / 2, height / 2)
        else if (event.key === Qt.Key_Minus)
            panel.map.zoomBy(-1, width / 2, height / 2)
        else if (event.key === Qt.Key_0 || event.key === Qt.Key_Home)
            panel.map.fitRoute()
        else
            return
        event.accepted = true
    }

    RouteMapView {
        id: view
        objectName: "routeMapView"
        anchors.fill: parent
        map: panel.map
        backgroundColor: Theme.map.background
        gridColor: Theme.map.grid
        routeColor: Theme.map.route
        casingColor: Theme.map.casing
        placeColor: Theme.map.place
    }

    MouseArea {
        id: mouse
        anchors.fill: parent
        property point last
        property bool dragged: false
        property real wheelRest: 0
        cursorShape: dragged ? Qt.ClosedHandCursor : Qt.OpenHandCursor
        onPressed: (m) => {
            last = Qt.point(m.x, m.y)
            dragged = false
            panel.forceActiveFocus()
        }
        onPositionChanged: (m) => {
            if (!dragged && Math.abs(m.x - last.x) + Math.abs(m.y - last.y) < Theme.map.dragThreshold)
                return
            dragged = true
            panel.map.panBy(m.x - last.x, m.y - last.y)
            last = Qt.point(m.x, m.y)
        }
        onReleased: (m) => {
            if (!dragged) {
                const time = panel.map.timeNear(m.x, m.y)
                if (time >= 0)
                    panel.page.seek(time)
            }
            dragged = false
        }
        onDoubleClicked: (m) => panel.map.zoomBy(1, m.x, m.y)
        onWheel: (w) => {
            wheelRest += w.angleDelta.y
            const steps = Math.trunc(wheelRest / Theme.map.wheelStep)
            if (steps !== 0) {
                wheelRest -= steps * Theme.map.wheelStep
                panel.map.zoomBy(steps, w.x, w.y)
            }
        }
    }

    // The car: an arrow turned to its heading, or a dot when the record gives none.
    Item {
        objectName: "mapCar"
        visible: panel.map.hasCar
        width: Theme.map.carSize
        height: Theme.map.carSize
        x: panel.map.car.x - width / 2
        y: panel.map.car.y - height / 2
        rotation: panel.map.carHeading

        Shape {
            anchors.fill: parent
            visible: panel.map.carHasHeading
            ShapePath {
                fillColor: Theme.map.car
                strokeColor: Theme.map.casing
                strokeWidth: 2
                joinStyle: ShapePath.RoundJoin
                startX: Theme.map.carSize / 2; startY: 1
                PathLine { x: Theme.map.carSize - 3; y: Theme.map.carSize - 2 }
                PathLine { x: Theme.map.carSize / 2; y: Theme.map.carSize * 0.7 }
                PathLine { x: 3; y: Theme.map.carSize - 2 }
                PathLine { x: Theme.map.carSize / 2; y: 1 }
            }
        }
        Rectangle {
            visible: !panel.map.carHasHeading
            anchors.centerIn: parent
            width: Theme.map.carDotSize
            height: width
            radius: width / 2
            color: Theme.map.car
            border.color: Theme.map.casing
            border.width: 2
        }
    }

    Spinner {
        anchors.centerIn: parent
        visible: panel.page.drive.isLoading
    }

    Column {
        anchors.top: parent.top
        anchors.right: parent.right
        anchors.margins: Theme.spaceS
        spacing: Theme.spaceXxs

        Repeater {
            model: [
                { name: "mapZoomIn", icon: "add", tip: qsTr("放大"), step: 1 },
                { name: "mapZoomOut", icon: "remove", tip: qsTr("缩小"), step: -1 },
                { name: "mapFitRoute", icon: "zoom_out_map", tip: qsTr("适合路线"), step: 0 }
            ]
            delegate: IconButton {
                required property var modelData
                objectName: modelData.name
                iconName: modelData.icon
                accessibleName: modelData.tip
                iconColor: Theme.map.controlForeground
                enabled: modelData.step > 0 ? panel.map.canZoomIn : modelData.step < 0 ? panel.map.canZoomOut : true
                focusPolicy: Qt.NoFocus
                background: Rectangle {
                    radius: Theme.radiusMedium
                    color: Theme.map.controlBackground
                }
                onClicked: modelData.step === 0 ? panel.map.fitRoute()
                                                : panel.map.zoomBy(modelData.step, panel.width / 2, panel.height / 2)
            }
        }
    }

    Rectangle {
        visible: panel.map.tilesUnreachable
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.margins: Theme.spaceS
        width: Math.min(offline.implicitWidth, parent.width - Theme.iconButtonSize - 3 * Theme.spaceS)
        height: offline.implicitHeight
        radius: Theme.radiusSmall
        color: Theme.map.creditBackground
        ThemedText {
            id: offline
            objectName: "mapOffline"
            width: parent.width
            text: qsTr("离线：只显示已缓存的地图")
            textStyle: ThemedText.Caption
            color: Theme.map.controlForeground
            wrapMode: Text.Wrap
            padding: Theme.spaceXs
        }
    }

    // Scale bar: a line with end ticks and the distance it spans.
    Column {
        objectName: "mapScaleBar"
        anchors.left: parent.left
        anchors.bottom: creditBox.visible ? creditBox.top : parent.bottom
        anchors.margins: Theme.spaceS
        spacing: Theme.spaceXxs
        ThemedText {
            objectName: "mapScaleText"
            text: panel.map.scaleBarText
            textStyle: ThemedText.Caption
            color: Theme.map.controlForeground
        }
        Rectangle {
            width: panel.map.scaleBarWidth
            height: Theme.map.scaleBarHeight
            color: "transparent"
            border.color: Theme.map.controlForeground
            border.width: 1.5
            Rectangle { width: parent.width; height: parent.height / 2; color: Theme.map.creditBackground }
        }
    }

    // The tile provider's credit: always on the map while its tiles are drawn.
    Rectangle {
        id: creditBox
        visible: credit.text.length > 0
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        width: credit.implicitWidth
        height: credit.implicitHeight
        color: Theme.map.creditBackground
        ThemedText {
            id: credit
            objectName: "mapAttribution"
            text: panel.map.attribution
            textStyle: ThemedText.Caption
            color: Theme.map.controlForeground
            topPadding: Theme.spaceXxs
            bottomPadding: Theme.spaceXxs
            leftPadding: Theme.spaceXs
            rightPadding: Theme.spaceXs
        }
        MouseArea {
            anchors.fill: parent
            cursorShape: Qt.PointingHandCursor
            onClicked: Qt.openUrlExternally("https://www.openstreetmap.org/copyright")
        }
    }

    RoundedCorners { anchors.fill: parent; radius: Theme.radiusLarge; color: Theme.window }
    Rectangle {
        anchors.fill: parent
        radius: Theme.radiusLarge
        color: "transparent"
        border.color: panel.activeFocus ? Theme.focusRing : Theme.separator
        border.width: panel.activeFocus ? 2 : 1
    }
}
