pragma Singleton
import QtQuick

// The two animation curves, as cubic Béziers for easing.type: Easing.Bezier.
QtObject {
    readonly property QtObject overlayAppear: QtObject {
        readonly property int duration: 200
        readonly property var curve: [0, 0, 0.58, 1, 1, 1] // ease-out
    }
    readonly property QtObject standard: QtObject {
        readonly property int duration: 200
        readonly property var curve: [0.42, 0, 0.58, 1, 1, 1] // ease-in-out
    }
}
