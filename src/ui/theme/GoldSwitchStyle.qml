import QtQuick

// The gold on/off switch: the label, flexible space, then the switch. Only the switch itself
// takes taps; a tap flips `checked` and reports the new value through toggled().
Item {
    id: root
    property bool checked: false
    property bool small: false
    // Shown as given: callers pass a looked-up text (Texts.t) or nothing.
    property string label: ""
    property alias labelFont: labelText.font
    property alias labelColor: labelText.color
    signal toggled(bool checked)

    readonly property real trackWidth: small ? 32 : 38
    readonly property real trackHeight: small ? 18 : 22
    readonly property real knobSize: small ? 14 : 18
    readonly property real knobPadding: 2

    opacity: enabled ? 1 : 0.5
    implicitWidth: (label === "" ? 0 : labelText.implicitWidth + 8) + trackWidth
    implicitHeight: Math.max(label === "" ? 0 : labelText.implicitHeight, trackHeight)

    Text {
        id: labelText
        objectName: "label"
        anchors.left: parent.left
        anchors.right: track.left
        anchors.rightMargin: 8
        anchors.verticalCenter: parent.verticalCenter
        visible: root.label !== ""
        text: root.label
        font: VelmoraTypography.body
        color: VelmoraColors.textPrimary
        elide: Text.ElideRight
    }

    Rectangle {
        id: track
        objectName: "track"
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        width: root.trackWidth
        height: root.trackHeight
        radius: height / 2
        color: root.checked ? VelmoraColors.gold : VelmoraColors.separator
        Behavior on color {
            ColorAnimation { duration: 150; easing.type: Easing.Bezier; easing.bezierCurve: [0.42, 0, 0.58, 1, 1, 1] }
        }

        // Shadow: black at 15 %, one pixel down.
        Rectangle {
            x: knob.x
            y: knob.y + 1
            width: knob.width
            height: knob.height
            radius: width / 2
            color: Qt.rgba(0, 0, 0, 0.15)
        }

        Rectangle {
            id: knob
            objectName: "knob"
            width: root.knobSize
            height: root.knobSize
            radius: width / 2
            y: root.knobPadding
            x: root.checked ? track.width - width - root.knobPadding : root.knobPadding
            color: "white"
            Behavior on x {
                NumberAnimation { duration: 150; easing.type: Easing.Bezier; easing.bezierCurve: [0.42, 0, 0.58, 1, 1, 1] }
            }
        }

        TapHandler {
            onTapped: {
                root.checked = !root.checked
                root.toggled(root.checked)
            }
        }
    }
}
