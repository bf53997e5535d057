import QtQuick
import Orvane.App

// Chrome text in one of the type styles: "caption", "footnote", "body", "headline", "title3",
// "title2", "title1". `secondary`/`tertiary` soften the colour; `mono` gives equal-width digits.
Text {
    property string textStyle: "body"
    property bool secondary: false
    property bool tertiary: false
    property bool mono: false

    font.family: mono ? Theme.monoFamily : Theme.fontFamily
    font.pixelSize: textStyle === "caption" ? Theme.captionSize
                  : textStyle === "footnote" ? Theme.footnoteSize
                  : textStyle === "headline" ? Theme.headlineSize
                  : textStyle === "title3" ? Theme.title3Size
                  : textStyle === "title2" ? Theme.title2Size
                  : textStyle === "title1" ? Theme.title1Size
                  : Theme.bodySize
    font.weight: textStyle === "headline" || textStyle.startsWith("title") ? Font.DemiBold : Font.Normal
    color: tertiary ? Theme.textTertiary : secondary ? Theme.textSecondary : Theme.textPrimary
    wrapMode: Text.NoWrap
    Accessible.role: Accessible.StaticText
    Accessible.name: text
}
