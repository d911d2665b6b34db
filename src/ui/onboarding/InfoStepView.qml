import QtQuick
import Velmora.Theme

// A text step: a gold symbol, a title and a short description, centred.
Item {
    property string icon
    property string title
    property string description

    Column {
        anchors.centerIn: parent
        width: parent.width
        spacing: 16

        Item {
            width: parent.width
            height: 60
            SymbolImage {
                anchors.centerIn: parent
                name: icon
                size: 48
                color: VelmoraColors.gold
            }
        }
        Text {
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            text: Texts.t(title)
            font: VelmoraTypography.largeTitle
            color: VelmoraColors.textPrimary
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            width: Math.min(340, implicitWidth)
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.WordWrap
            text: Texts.t(description)
            font: VelmoraTypography.body
            color: VelmoraColors.textSecondary
        }
    }
}
