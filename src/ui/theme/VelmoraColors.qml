pragma Singleton
import QtQuick

// The program's palette: dark with gold accents.
QtObject {
    readonly property color background: Qt.rgba(0, 0, 0, 1)
    readonly property color gold: Qt.rgba(255 / 255, 210 / 255, 19 / 255, 1)
    readonly property color textPrimary: Qt.rgba(1, 1, 1, 1)
    readonly property color textSecondary: Qt.rgba(142 / 255, 142 / 255, 147 / 255, 1)
    readonly property color cardDark: Qt.rgba(44 / 255, 44 / 255, 46 / 255, 1)
    readonly property color error: Qt.rgba(255 / 255, 59 / 255, 48 / 255, 1)
    readonly property color success: Qt.rgba(52 / 255, 199 / 255, 89 / 255, 1)

    // Stand-ins for desktop colours the views also use.
    readonly property color separator: Qt.rgba(120 / 255, 120 / 255, 128 / 255, 0.36)
    readonly property color secondaryLabel: Qt.rgba(235 / 255, 235 / 255, 245 / 255, 0.6)
    readonly property color systemRed: Qt.rgba(255 / 255, 69 / 255, 58 / 255, 1)
    readonly property color controlBackground: Qt.rgba(30 / 255, 30 / 255, 30 / 255, 1)
}
