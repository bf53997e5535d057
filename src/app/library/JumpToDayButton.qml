import QtQuick
import QtQuick.Controls
import Orvane.Common
import Orvane.Library

// The browser header's calendar button: opens the month calendar of the days shown and asks the
// list to show the chosen day (or the nearest day with footage) from its first row.
IconButton {
    id: control

    required property LibraryViewModel library
    readonly property alias calendarOpen: popup.opened
    signal rowRequested(int row)

    objectName: "jumpToDayButton"
    iconName: "calendar_month"
    accessibleName: qsTr("跳到日期")
    enabled: library.footageCalendar.dayCount > 0
    Accessible.role: Accessible.ButtonMenu
    onClicked: popup.opened ? popup.close() : popup.open()

    FootageCalendarPopup {
        id: popup
        calendar: control.library.footageCalendar
        x: control.width - width
        y: control.height + Theme.spaceXs
        onDayChosen: (year, month, day) => {
            const row = control.library.rowOfDay(year, month, day)
            if (row >= 0)
                control.rowRequested(row)
        }
    }
}
