import QtQuick
import Velmora.Theme

// One key of a shortcut: the key's face on a dark rounded cap, its name underneath (a blank line
// when it has none, so the caps line up).
Column {
    property string symbol
    property string label: ""

    spacing: 4

    Item {
        width: 36
        height: 36
        anchors.horizontalCenter: parent.horizontalCenter

        Rectangle {
            // The drop shadow.
            x: 0
            y: 2
            width: parent.width
            height: parent.height
            radius: 6
            color: Qt.rgba(0, 0, 0, 0.4)
        }
        Rectangle {
            anchors.fill: parent
            radius: 6
            color: VelmoraColors.cardDark
            Text {
                anchors.centerIn: parent
                text: symbol
                font.pixelSize: symbol.length > 2 ? 12 : 16
                font.weight: Font.DemiBold
                color: VelmoraColors.textPrimary
            }
        }
    }
    Text {
        anchors.horizontalCenter: parent.horizontalCenter
        text: label === "" ? " " : Texts.t(label)
        font.pixelSize: 8
        color: label === "" ? "transparent" : VelmoraColors.textSecondary
    }
}
