pragma Singleton
import QtQuick
import Orvane.Common

// Colours, type, spacing and motion for every Orvane screen. The chrome follows the desktop's
// light or dark preference; the video and dashboard areas are always dark.
QtObject {
    id: theme

    readonly property bool dark: DesktopAppearance.prefersDark

    // Chrome
    readonly property color window: dark ? "#17181b" : "#f3f4f6"
    readonly property color surface: dark ? "#222428" : "#ffffff"
    readonly property color surfaceMuted: dark ? "#2b2d32" : "#eceef1"
    readonly property color surfaceHover: dark ? "#33363c" : "#e3e6ea"
    readonly property color separator: dark ? "#393c43" : "#dcdfe4"
    readonly property color textPrimary: dark ? "#eceef1" : "#1c1e22"
    readonly property color textSecondary: dark ? "#a9afb8" : "#5c636e"
    readonly property color textTertiary: dark ? "#7d838d" : "#8b929c"
    readonly property color accent: dark ? "#4c8dff" : "#2563eb"
    readonly property color accentPressed: dark ? "#3a76e0" : "#1d4fc4"
    readonly property color accentSoft: Qt.rgba(accent.r, accent.g, accent.b, dark ? 0.22 : 0.12)
    readonly property color accentForeground: "#ffffff"
    readonly property color success: dark ? "#34c759" : "#1f9d55"
    readonly property color warning: dark ? "#ff9f0a" : "#d97706"
    readonly property color warningBackground: Qt.rgba(warning.r, warning.g, warning.b, dark ? 0.18 : 0.1)
    readonly property color danger: dark ? "#ff5a4f" : "#d93a2f"
    readonly property color focusRing: accent
    readonly property color scrim: Qt.rgba(0, 0, 0, dark ? 0.55 : 0.38)
    readonly property color shadow: Qt.rgba(0, 0, 0, dark ? 0.5 : 0.14)

    // Video areas (always dark)
    readonly property color videoBackground: "#000000"
    readonly property color videoForeground: "#ffffff"
    readonly property color videoForegroundSecondary: Qt.rgba(1, 1, 1, 0.7)
    readonly property color videoBox: Qt.rgba(0, 0, 0, 0.78)
    readonly property color videoErrorBox: Qt.rgba(1.0, 0.584, 0.0, 0.9)

    // Dashboard strip
    readonly property QtObject dashboard: QtObject {
        readonly property color gradientTop: Qt.rgba(0.14, 0.15, 0.17, 1)
        readonly property color gradientBottom: Qt.rgba(0.08, 0.09, 0.10, 1)
        readonly property color park: "#ff3b30"
        readonly property color reverse: "#ff9500"
        readonly property color neutral: Qt.rgba(1, 1, 1, 0.7)
        readonly property color drive: "#0a84ff"
        readonly property color unknownGear: Qt.rgba(1, 1, 1, 0.35)
        readonly property color signalOn: "#30d158"
        readonly property color signalOff: Qt.rgba(1, 1, 1, 0.12)
        readonly property color brake: "#ff3b30"
        readonly property color pedalIdle: Qt.rgba(1, 1, 1, 0.35)
        readonly property color accelerator: "#0a84ff"
        readonly property color gaugeTrack: Qt.rgba(1, 1, 1, 0.06)
        readonly property color gaugeOutline: Qt.rgba(1, 1, 1, 0.24)
        readonly property color acceleratorGlyphIdle: Qt.rgba(1, 1, 1, 0.4)
        readonly property color wheel: Qt.rgba(1, 1, 1, 0.92)
        readonly property color value: "#ffffff"
        readonly property color unit: Qt.rgba(1, 1, 1, 0.55)
        readonly property color label: Qt.rgba(1, 1, 1, 0.45)
        readonly property color assist: "#64d2ff"
        readonly property color assistFill: Qt.rgba(0.39, 0.82, 1.0, 0.16)
        readonly property int radius: 16
        readonly property int paddingH: 18
        readonly property int paddingV: 14
        readonly property int itemSpacing: 12
        readonly property int metricMinWidth: 62
        readonly property int metricContentHeight: 38
        readonly property int metricSpacing: 5
        readonly property int gearSize: 34
        readonly property int wheelSize: 30
        readonly property int signalWidth: 34
        readonly property int signalSize: 22
        readonly property int speedSize: 48
        readonly property int pedalFrame: 42
        readonly property int gaugeSize: 36
        readonly property int gaugeOutlineWidth: 2
        readonly property int brakeGlyphWidth: 30
        readonly property int brakeGlyphHeight: 20
        readonly property int acceleratorGlyphWidth: 16
        readonly property int acceleratorGlyphHeight: 21
        readonly property real pedalStroke: 1.8
        readonly property real pedalStrokeApplied: 2.4
        readonly property color acceleratorGlyphPressed: "#ffffff"
        readonly property int noteInset: 9
        readonly property int noteClearance: 12
        readonly property int rowMaxWidth: 1040
    }

    // Event preview page
    readonly property QtObject preview: QtObject {
        readonly property int gridSpacing: 3
        readonly property int rangeButtonHeight: 28
        // The drive strip under the slider: its height and how near a click must come to a mark.
        readonly property int driveStripHeight: 40
        readonly property int driveMarkTolerance: 8
        readonly property int rangeButtonMinWidth: 54
        readonly property int rangeButtonPaddingH: 5
        readonly property int rangeButtonRadius: 7
        readonly property int menuWidth: 120
        readonly property int reportMenuWidth: 200
        readonly property int sliderMinWidth: 120
        readonly property int segmentChipHeight: 36
    }

    // The route map beside the preview's picture. Tiles are light whatever the chrome, so the
    // plain background and the controls over the map are too.
    readonly property QtObject map: QtObject {
        readonly property int minWidth: 220
        readonly property int maxWidth: 400
        readonly property real widthShare: 0.3
        readonly property color background: "#ebe8e1"
        readonly property color grid: Qt.rgba(0, 0, 0, 0.06)
        readonly property color route: "#2563eb"
        readonly property color casing: "#ffffff"
        readonly property color place: "#d93a2f"
        readonly property color car: "#1c1e22"
        readonly property color controlBackground: Qt.rgba(1, 1, 1, 0.9)
        readonly property color controlForeground: "#1c1e22"
        readonly property color creditBackground: Qt.rgba(1, 1, 1, 0.78)
        readonly property int carSize: 24
        readonly property int carDotSize: 12
        readonly property int dragThreshold: 4
        readonly property int keyPanPixels: 64
        readonly property int scaleBarHeight: 6
        readonly property int wheelStep: 120
    }

    // Merge editor
    readonly property QtObject merge: QtObject {
        readonly property int reviewRowHeight: 44
        readonly property int reviewListMaxHeight: 184
    }

    // Finding an event in the browser: the jump-to-day calendar and the reason menu.
    readonly property QtObject finder: QtObject {
        readonly property int calendarCellSize: 40
        readonly property int calendarDotSize: 4
        readonly property int reasonMenuWidth: 340
    }

    // Type
    readonly property string fontFamily: "Noto Sans CJK SC"
    readonly property string monoFamily: "Noto Sans Mono CJK SC"
    readonly property string iconFamily: "Material Icons"
    readonly property int captionSize: 12
    readonly property int footnoteSize: 13
    readonly property int bodySize: 14
    readonly property int headlineSize: 15
    readonly property int title3Size: 17
    readonly property int title2Size: 20
    readonly property int title1Size: 24
    readonly property int largeTitleSize: 28
    readonly property int iconSize: 20
    readonly property int iconSizeSmall: 16
    readonly property int iconSizeControl: 24
    readonly property int iconSizeMedium: 28
    readonly property int iconSizeEmptyState: 32
    readonly property int iconSizeLarge: 36
    readonly property int thumbnailSpinnerSize: 22

    // Spacing scale
    readonly property int spaceXxs: 2
    readonly property int spaceXs: 4
    readonly property int spaceS: 8
    readonly property int spaceM: 12
    readonly property int spaceL: 16
    readonly property int spaceXl: 24
    readonly property int spaceXxl: 32
    readonly property int spaceXxxl: 48

    // Shapes and sizes
    readonly property int radiusSmall: 6
    readonly property int radiusMedium: 8
    readonly property int radiusLarge: 12
    readonly property int radiusXl: 16
    readonly property int controlHeight: 32
    readonly property int iconButtonSize: 32
    readonly property int hairline: 1
    readonly property int focusRingWidth: 2
    // Pages keep a readable width on wide screens.
    readonly property int pageMaxWidth: 1280
    readonly property int dialogWidth: 420
    readonly property int overlayCardWidth: 460
    readonly property int captureThumbnailHeight: 92
    readonly property int thumbnailWidth: 320
    readonly property int thumbnailHeight: 180
    readonly property int emblemSize: 56
    readonly property int buttonMinWidth: 72
    readonly property int wideButtonMinWidth: 120
    readonly property int sheetButtonMinWidth: 180
    readonly property int driveOfferNameMaxWidth: 200
    readonly property int overlayButtonSize: 24
    readonly property int progressBarHeight: 8
    readonly property int percentLabelWidth: 44
    readonly property int sliderHeight: 24
    readonly property int sliderTrackHeight: 4
    readonly property int sliderHandleSize: 14
    // How far a marked part of a slider reaches beyond its track.
    readonly property int sliderMarkOutset: 4
    readonly property color sliderHandle: "#ffffff"
    readonly property int shortcutKeyWidth: 72
    readonly property int videoMinHeight: 160
    readonly property real disabledOpacity: 0.4
    readonly property real paragraphLineHeight: 1.15
    readonly property color overVideoHover: Qt.rgba(1, 1, 1, 0.14)
    readonly property color overVideoPressed: Qt.rgba(1, 1, 1, 0.24)

    // Main window
    readonly property int sidebarWidth: 272
    readonly property int toolbarHeight: 52
    readonly property int cardMinWidth: 260
    readonly property int cardSpacing: 16
    readonly property int capsuleHeight: 20
    readonly property int selectionMarkSize: 22
    readonly property int emptyStateEmblemSize: 72
    readonly property int browserMaxWidth: 1680

    // Video overlay boxes
    readonly property int watermarkPaddingH: 6
    readonly property int watermarkPaddingV: 4
    readonly property int watermarkInset: 6
    readonly property int toastPaddingH: 9
    readonly property int toastPaddingV: 6
    readonly property int toastSpacing: 5

    // Motion (milliseconds)
    readonly property int motionFast: 150
    readonly property int motionSpeedRoll: 200
    readonly property int motionGaugeFill: 120
    readonly property int motionSpinnerTurn: 900
}
