import QtQuick
import QtQuick.Controls
import Orvane.Common
import Orvane.Library

// The browser header's calendar button: opens the month calendar of the days shown and asks the
// list to show the chosen day (or the nearest day with footage) from its first row, its first card
// taking the keyboard.
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
        // The list takes the keyboard once the calendar has given it back.
        property int chosenRow: -1
        onAboutToShow: chosenRow = -1
        onDayChosen: (year, month, day) => chosenRow = control.library.rowOfDay(year, month, day)
        onClosed: if (chosenRow >= 0) control.rowRequested(chosenRow)
    }
}
