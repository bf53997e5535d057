import QtQuick
import Orvane.Common

// Chrome text in one of the type styles below. `secondary`/`tertiary` soften the colour; `mono`
// gives equal-width digits.
Text {
    enum Style { Caption, Footnote, Body, Headline, Title3, Title2, Title1 }

    property int textStyle: ThemedText.Body
    property bool secondary: false
    property bool tertiary: false
    property bool mono: false

    font.family: mono ? Theme.monoFamily : Theme.fontFamily
    font.pixelSize: textStyle === ThemedText.Caption ? Theme.captionSize
                  : textStyle === ThemedText.Footnote ? Theme.footnoteSize
                  : textStyle === ThemedText.Headline ? Theme.headlineSize
                  : textStyle === ThemedText.Title3 ? Theme.title3Size
                  : textStyle === ThemedText.Title2 ? Theme.title2Size
                  : textStyle === ThemedText.Title1 ? Theme.title1Size
                  : Theme.bodySize
    font.weight: textStyle >= ThemedText.Headline ? Font.DemiBold : Font.Normal
    color: tertiary ? Theme.textTertiary : secondary ? Theme.textSecondary : Theme.textPrimary
    wrapMode: Text.NoWrap
    Accessible.role: Accessible.StaticText
    Accessible.name: text
}
