pragma Singleton
import QtQuick 2.15

// The look of the screens: dark, high contrast, legible at arm's length on the 1280 x 720 panel.
QtObject {
    readonly property color background: "#16181d"
    readonly property color panel: "#22252b"
    readonly property color panelRaised: "#2b2f37"
    readonly property color line: "#4a505c"
    readonly property color text: "#f2f4f7"
    readonly property color textDim: "#a0a6b0"
    readonly property color accent: "#ffb21f"      // selection, the active tool
    readonly property color info: "#3ec6ff"
    readonly property color danger: "#e8323c"
    readonly property color ok: "#2fb36a"
    readonly property color tabActive: "#FFFFFF"
    readonly property color tabIdle: "#949494"
    readonly property string fontFamily: "Calibri"
    readonly property int fontSmall: 20
    readonly property int fontNormal: 24
    readonly property int fontLarge: 30
    readonly property int fontTitle: 36
    // Touch targets are never smaller than this.
    readonly property int touch: 56
    readonly property int radius: 10
}
