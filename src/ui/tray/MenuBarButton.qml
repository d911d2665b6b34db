import QtQuick
import Velmora.Theme

// One command row of the tray panel: symbol and title on a rounded highlight that shows while
// the pointer is over the row. The whole row takes the click.
Item {
    id: root
    property string title
    property string icon
    property bool isHovered: false
    signal clicked()

    implicitHeight: row.implicitHeight + 16

    Rectangle {
        objectName: "highlight"
        anchors.fill: parent
        anchors.leftMargin: 4
        anchors.rightMargin: 4
        radius: 4
        color: root.isHovered ? Qt.rgba(1, 1, 1, 0.1) : "transparent"

        Row {
            id: row
            anchors.left: parent.left
            anchors.leftMargin: 16
            anchors.verticalCenter: parent.verticalCenter
            spacing: 10

            Item {
                width: 16
                height: 16
                anchors.verticalCenter: parent.verticalCenter
                SymbolImage {
                    anchors.centerIn: parent
                    name: root.icon
                    size: 14
                    color: VelmoraColors.textPrimary
                }
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: Texts.t(root.title)
                font: VelmoraTypography.body
                color: VelmoraColors.textPrimary
            }
        }

        HoverHandler {
            onHoveredChanged: root.isHovered = hovered
        }
        TapHandler {
            onTapped: root.clicked()
        }
    }
}
