import QtQuick

// A translucent backdrop. Behind the window (blendingMode behindWindow) the lock windows ask the
// compositor to blur what lies there; callers show it only where the desktop does blur.
Rectangle {
    id: root
    // Material numbers as the callers name them; only their lightness matters here.
    property int material: 13
    property int blendingMode: 0
    readonly property int behindWindow: 0
    readonly property int withinWindow: 1

    color: material === 13 ? Qt.rgba(0.12, 0.12, 0.13, 0.72) : Qt.rgba(0.2, 0.2, 0.21, 0.6)
}
