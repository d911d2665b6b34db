import QtQuick

// The gold call-to-action button. `title` is a text key, looked up here; `icon` an optional
// symbol name shown before it.
Rectangle {
    id: root
    property string title
    property string icon: ""
    signal clicked()

    implicitWidth: row.implicitWidth + 48
    implicitHeight: row.implicitHeight + 20
    radius: 8
    color: VelmoraColors.gold
    opacity: enabled ? (tap.pressed ? 0.8 : 1) : 0.4

    Row {
        id: row
        anchors.centerIn: parent
        spacing: 8

        SymbolImage {
            objectName: "icon"
            anchors.verticalCenter: parent.verticalCenter
            visible: root.icon !== ""
            name: root.icon
            size: 15
            color: VelmoraColors.background
        }
        Text {
            objectName: "title"
            anchors.verticalCenter: parent.verticalCenter
            text: Texts.t(root.title)
            font: VelmoraTypography.button
            color: VelmoraColors.background
        }
    }

    TapHandler {
        id: tap
        onTapped: root.clicked()
    }
}
