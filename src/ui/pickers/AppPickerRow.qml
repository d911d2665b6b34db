import QtQuick
import Velmora.Theme

// One application in the picker: icon, name and ID, and its selection mark. A tap anywhere on
// the row toggles it.
Item {
    id: root
    required property string bundleIdentifier
    required property string name
    required property bool isSelected
    signal tapped()

    implicitHeight: content.implicitHeight + 8

    Row {
        id: content
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.leftMargin: 16
        anchors.rightMargin: 16
        anchors.verticalCenter: parent.verticalCenter
        spacing: 12

        AppIconView {
            objectName: "icon"
            anchors.verticalCenter: parent.verticalCenter
            bundleIdentifier: root.bundleIdentifier
            size: 32
        }
        Column {
            anchors.verticalCenter: parent.verticalCenter
            width: content.width - 32 - 18 - 2 * content.spacing
            spacing: 2
            Text {
                objectName: "name"
                width: parent.width
                text: root.name
                font: VelmoraTypography.headline
                color: VelmoraColors.textPrimary
                elide: Text.ElideRight
            }
            Text {
                objectName: "identifier"
                width: parent.width
                text: root.bundleIdentifier
                font: VelmoraTypography.caption
                color: VelmoraColors.textSecondary
                elide: Text.ElideRight
                maximumLineCount: 1
            }
        }
        SymbolImage {
            objectName: "mark"
            anchors.verticalCenter: parent.verticalCenter
            name: root.isSelected ? "checkmark.circle.fill" : "circle"
            color: root.isSelected ? VelmoraColors.gold : VelmoraColors.textSecondary
            size: 18
        }
    }

    TapHandler {
        onTapped: root.tapped()
    }
}
