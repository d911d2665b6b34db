import QtQuick
import QtQuick.Controls
import Velmora.Theme

// The licence sheet: a fixed heading over the licence texts, shown verbatim and scrolling.
Rectangle {
    id: root
    property string text

    color: Qt.rgba(30 / 255, 30 / 255, 30 / 255, 1)

    Text {
        id: heading
        objectName: "heading"
        x: 20
        y: 20
        text: Texts.t("Licenses")
        font: VelmoraTypography.largeTitle
        color: VelmoraColors.textPrimary
    }

    Flickable {
        id: scroller
        objectName: "scroller"
        anchors.top: heading.bottom
        anchors.topMargin: 20
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        clip: true
        contentWidth: width
        contentHeight: body.implicitHeight + 40
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: ScrollBar {
            policy: ScrollBar.AlwaysOn
        }

        Text {
            id: body
            objectName: "body"
            x: 20
            y: 20
            width: scroller.width - 40
            text: root.text
            textFormat: Text.PlainText
            wrapMode: Text.Wrap
            font.pixelSize: 11
            color: VelmoraColors.textPrimary
        }
    }
}
