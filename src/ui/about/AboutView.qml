import QtQuick
import Velmora.Theme

// About: the program's icon, name, version and one line on what it does, and its licences in a
// sheet that Escape closes.
Rectangle {
    id: root
    // An AboutViewModel.
    required property QtObject model

    color: Qt.rgba(30 / 255, 30 / 255, 30 / 255, 1)

    Column {
        anchors.centerIn: parent
        width: parent.width - 64
        spacing: 16

        Image {
            objectName: "icon"
            anchors.horizontalCenter: parent.horizontalCenter
            width: 80
            height: 80
            sourceSize: Qt.size(160, 160)
            source: root.model.iconSource
            smooth: true
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: Texts.t("Velmora")
            font: VelmoraTypography.largeTitle
            color: VelmoraColors.textPrimary
        }
        Text {
            objectName: "version"
            anchors.horizontalCenter: parent.horizontalCenter
            text: Texts.t("Version %@", [root.model.version])
            font: VelmoraTypography.caption
            color: VelmoraColors.secondaryLabel
        }
        Text {
            width: parent.width
            text: Texts.t(
                "Lock any app until its external drive is connected. Quitting Velmora can require your system password.")
            font: VelmoraTypography.body
            color: VelmoraColors.secondaryLabel
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
        }
        Rectangle {
            anchors.horizontalCenter: parent.horizontalCenter
            width: 200
            height: 1
            color: VelmoraColors.separator
        }
        Rectangle {
            objectName: "viewLicenses"
            anchors.horizontalCenter: parent.horizontalCenter
            width: label.implicitWidth + 24
            height: label.implicitHeight + 10
            radius: 6
            color: tap.pressed ? Qt.rgba(1, 1, 1, 0.22) : Qt.rgba(1, 1, 1, 0.14)
            border.color: Qt.rgba(1, 1, 1, 0.18)
            Text {
                id: label
                anchors.centerIn: parent
                text: Texts.t("View Licenses")
                font: VelmoraTypography.body
                color: VelmoraColors.textPrimary
            }
            TapHandler {
                id: tap
                onTapped: root.model.showLicenses = true
            }
        }
    }

    Window {
        id: sheet
        objectName: "licenseSheet"
        transientParent: root.Window.window
        modality: Qt.WindowModal
        flags: Qt.Dialog
        width: 520
        height: 420
        minimumWidth: 520
        maximumWidth: 520
        minimumHeight: 420
        maximumHeight: 420
        title: Texts.t("Licenses")
        color: Qt.rgba(30 / 255, 30 / 255, 30 / 255, 1)
        visible: root.model.showLicenses
        onVisibleChanged: {
            if (visible)
                licenses.text = root.model.licenseText()
            else
                root.model.showLicenses = false
        }

        LicenseView {
            id: licenses
            anchors.fill: parent
        }
        Shortcut {
            sequence: "Escape"
            onActivated: sheet.close()
        }
    }
}
