import QtQuick
import QtQuick.Layouts
import Orvane.Common
import Orvane.Window

// A drive with car footage was just plugged in: one click opens it, the cross puts the offer away.
Rectangle {
    id: banner

    required property DriveOffer offer

    implicitWidth: row.implicitWidth + 2 * Theme.spaceM
    implicitHeight: row.implicitHeight + 2 * Theme.spaceS
    radius: Theme.radiusLarge
    color: Theme.surface
    border.width: Theme.hairline
    border.color: Theme.separator

    Accessible.role: Accessible.AlertMessage
    Accessible.name: qsTr("打开新插入的行车记录仪 U 盘") + " " + offer.driveName

    Rectangle {
        z: -1
        anchors.fill: parent
        anchors.topMargin: Theme.spaceXs
        anchors.bottomMargin: -Theme.spaceXs
        radius: parent.radius
        color: Theme.shadow
    }

    RowLayout {
        id: row
        anchors.centerIn: parent
        spacing: Theme.spaceS

        Icon {
            name: "usb"
            color: Theme.accent
        }
        ThemedText {
            objectName: "driveOfferName"
            text: banner.offer.driveName
            secondary: true
            elide: Text.ElideMiddle
            Layout.maximumWidth: Theme.driveOfferNameMaxWidth
        }
        ActionButton {
            objectName: "openNewDriveButton"
            text: qsTr("打开新插入的行车记录仪 U 盘")
            iconName: "folder_open"
            kind: ActionButton.Prominent
            onClicked: banner.offer.open()
        }
        IconButton {
            objectName: "dismissDriveOfferButton"
            iconName: "close"
            accessibleName: qsTr("不用了")
            onClicked: banner.offer.dismiss()
        }
    }
}
