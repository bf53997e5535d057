import QtQuick
import QtQuick.Controls
import QtQuick.Layouts
import Orvane.Common
import Orvane.Library

// A month of the browser's days: the days with footage marked and the others greyed, stepping
// month by month or to the months with footage. Choosing a day (a click, or the arrow keys and
// Enter) emits dayChosen with its month 1–12; Page Up/Down step to the months with footage.
Popup {
    id: popup

    required property FootageCalendar calendar
    signal dayChosen(int year, int month, int day)

    // View state: the month shown (year * 12 + month - 1) and the day the keyboard stands on.
    property int month: calendar.latestMonth
    property int cursorDay: 1
    readonly property int shownYear: Math.floor(month / 12)
    readonly property int shownMonth: month % 12 // 0-11, as MonthGrid counts

    function showMonth(target) {
        if (target < 0)
            return
        month = target
        cursorDay = Math.max(1, calendar.latestDayIn(target))
    }
    // Moves the keyboard's day by `days`, into the next or previous month when it leaves this one.
    function moveCursor(days) {
        const moved = new Date(shownYear, shownMonth, cursorDay + days, 12)
        month = moved.getFullYear() * 12 + moved.getMonth()
        cursorDay = moved.getDate()
    }
    // A day without footage (reached by the keyboard) shows the nearest day with footage.
    function choose(day) {
        popup.dayChosen(shownYear, shownMonth + 1, day)
        popup.close()
    }

    objectName: "footageCalendar"
    padding: Theme.spaceM
    focus: true
    // A press on the button that opened it is that button's to handle (it closes the calendar).
    closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutsideParent
    // Reopens on the month last shown while it still holds footage, else on the latest one.
    onAboutToShow: showMonth(calendar.latestDayIn(month) > 0 ? month : calendar.latestMonth)
    onOpened: grid.forceActiveFocus()

    background: Rectangle {
        radius: Theme.radiusLarge
        color: Theme.surface
        border.width: Theme.hairline
        border.color: Theme.separator
    }

    contentItem: ColumnLayout {
        spacing: Theme.spaceS

        RowLayout {
            spacing: Theme.spaceXxs
            Layout.fillWidth: true
            IconButton {
                objectName: "previousFootageMonth"
                iconName: "first_page"
                accessibleName: qsTr("上一个有录像的月份")
                enabled: popup.calendar.dayCount >= 0 && popup.calendar.previousMonthWithFootage(popup.month) >= 0
                onClicked: popup.showMonth(popup.calendar.previousMonthWithFootage(popup.month))
            }
            IconButton {
                objectName: "previousMonth"
                iconName: "chevron_left"
                accessibleName: qsTr("上个月")
                onClicked: popup.showMonth(popup.month - 1)
            }
            ThemedText {
                objectName: "calendarMonthTitle"
                text: popup.calendar.monthTitle(popup.month)
                textStyle: ThemedText.Headline
                horizontalAlignment: Text.AlignHCenter
                Accessible.role: Accessible.Heading
                Layout.fillWidth: true
            }
            IconButton {
                objectName: "nextMonth"
                iconName: "chevron_right"
                accessibleName: qsTr("下个月")
                onClicked: popup.showMonth(popup.month + 1)
            }
            IconButton {
                objectName: "nextFootageMonth"
                iconName: "last_page"
                accessibleName: qsTr("下一个有录像的月份")
                enabled: popup.calendar.dayCount >= 0 && popup.calendar.nextMonthWithFootage(popup.month) >= 0
                onClicked: popup.showMonth(popup.calendar.nextMonthWithFootage(popup.month))
            }
        }

        DayOfWeekRow {
            locale: grid.locale
            Layout.fillWidth: true
            delegate: ThemedText {
                required property string shortName
                text: shortName
                textStyle: ThemedText.Caption
                secondary: true
                horizontalAlignment: Text.AlignHCenter
            }
        }

        MonthGrid {
            id: grid
            objectName: "calendarGrid"
            month: popup.shownMonth
            year: popup.shownYear
            locale: Qt.locale()
            spacing: 0
            focusPolicy: Qt.StrongFocus
            Layout.preferredWidth: 7 * Theme.finder.calendarCellSize
            Layout.preferredHeight: 6 * Theme.finder.calendarCellSize
            Accessible.role: Accessible.Table
            Accessible.name: popup.calendar.monthTitle(popup.month)

            Keys.onLeftPressed: popup.moveCursor(-1)
            Keys.onRightPressed: popup.moveCursor(1)
            Keys.onUpPressed: popup.moveCursor(-7)
            Keys.onDownPressed: popup.moveCursor(7)
            Keys.onReturnPressed: popup.choose(popup.cursorDay)
            Keys.onEnterPressed: popup.choose(popup.cursorDay)
            Keys.onSpacePressed: popup.choose(popup.cursorDay)
            Keys.onPressed: (event) => {
                if (event.key === Qt.Key_PageUp)
                    popup.showMonth(popup.calendar.previousMonthWithFootage(popup.month))
                else if (event.key === Qt.Key_PageDown)
                    popup.showMonth(popup.calendar.nextMonthWithFootage(popup.month))
                else
                    return
                event.accepted = true
            }

            delegate: AbstractButton {
                id: cell
                required property int day
                required property int month
                required property int year
                readonly property bool inMonth: month === grid.month
                // Reads dayCount so that new footage marks the days again.
                readonly property int events: popup.calendar.dayCount >= 0 && inMonth
                                              ? popup.calendar.eventCount(year, month + 1, day) : 0
                readonly property bool isCursor: inMonth && day === popup.cursorDay

                objectName: "calendarDay_" + (inMonth ? day : "other")
                visible: inMonth
                enabled: events > 0
                focusPolicy: Qt.NoFocus
                hoverEnabled: true
                Accessible.role: Accessible.Button
                Accessible.name: popup.calendar.dayDescription(year, month + 1, day)
                Accessible.onPressAction: popup.choose(day)
                onClicked: {
                    popup.cursorDay = day
                    popup.choose(day)
                }

                contentItem: Item {
                    ThemedText {
                        anchors.centerIn: parent
                        text: cell.day
                        mono: true
                        font.weight: cell.events > 0 ? Font.Bold : Font.Normal
                        color: cell.events > 0 ? Theme.textPrimary : Theme.textTertiary
                        opacity: cell.events > 0 ? 1 : Theme.disabledOpacity
                    }
                    Rectangle {
                        visible: cell.events > 0
                        anchors.horizontalCenter: parent.horizontalCenter
                        anchors.bottom: parent.bottom
                        anchors.bottomMargin: Theme.spaceXs
                        width: Theme.finder.calendarDotSize
                        height: width
                        radius: width / 2
                        color: Theme.accent
                    }
                }
                background: Rectangle {
                    radius: Theme.radiusMedium
                    color: cell.down ? Theme.surfaceHover
                         : cell.hovered && cell.enabled ? Theme.surfaceMuted
                         : cell.events > 0 ? Theme.accentSoft : "transparent"
                    border.width: cell.isCursor && grid.activeFocus ? Theme.focusRingWidth : 0
                    border.color: Theme.focusRing
                }
            }
        }

        ThemedText {
            objectName: "calendarHint"
            text: popup.calendar.dayCount >= 0 && popup.calendar.latestDayIn(popup.month) > 0
                  ? qsTr("有录像的日期以圆点标出") : qsTr("这个月没有录像")
            textStyle: ThemedText.Caption
            tertiary: true
            Layout.fillWidth: true
            horizontalAlignment: Text.AlignHCenter
        }
    }
}
