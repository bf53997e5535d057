import QtQuick
import QtQuick.Layouts
import Orvane.Common
import Orvane.Window

// One titled group of the sidebar ("导入", "导出", "输出"); its children stack under the title.
ColumnLayout {
    id: section

    property string title
    default property alias content: body.data

    spacing: Theme.spaceS
    Layout.fillWidth: true

    ThemedText {
        text: section.title
        textStyle: ThemedText.Footnote
        font.weight: Font.DemiBold
        tertiary: true
        Accessible.role: Accessible.Heading
    }
    ColumnLayout {
        id: body
        spacing: Theme.spaceS
        Layout.fillWidth: true
    }
}
