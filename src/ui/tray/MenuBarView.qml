import QtQuick
import Velmora.Theme

// The tray panel: name, protection switch, what is protected, and the commands.
Rectangle {
    id: root
    // A MenuBarViewModel.
    required property QtObject model

    // The panel window takes this height, so there is no empty space under the last row.
    implicitHeight: rows.implicitHeight
    color: Qt.rgba(30 / 255, 30 / 255, 30 / 255, 1)

    component Divider: Item {
        width: parent.width
        height: 1
        Rectangle {
            x: 8
            width: parent.width - 16
            height: 1
            color: VelmoraColors.separator
        }
    }

    component CountRow: Item {
        property string symbol
        property string label
        width: parent.width
        height: 32
        Row {
            x: 16
            anchors.verticalCenter: parent.verticalCenter
            spacing: 8
            SymbolImage {
                anchors.verticalCenter: parent.verticalCenter
                name: symbol
                size: 13
                color: VelmoraColors.textSecondary
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: label
                font: VelmoraTypography.caption
                color: VelmoraColors.textSecondary
            }
        }
    }

    Column {
        id: rows
        width: 260
        spacing: 0

        Item {
            objectName: "header"
            width: parent.width
            height: header.implicitHeight + 24
            Row {
                id: header
                x: 16
                y: 14
                spacing: 8
                SymbolImage {
                    anchors.verticalCenter: parent.verticalCenter
                    name: "lock.fill"
                    size: 16
                    color: VelmoraColors.gold
                }
                Text {
                    anchors.verticalCenter: parent.verticalCenter
                    text: Texts.t("Velmora")
                    font: VelmoraTypography.headline
                    color: VelmoraColors.textPrimary
                }
            }
        }
        Divider {}
        Item {
            objectName: "protectionRow"
            width: parent.width
            height: 32
            Rectangle {
                objectName: "protectionDot"
                x: 16
                anchors.verticalCenter: parent.verticalCenter
                width: 8
                height: 8
                radius: 4
                color: root.model.isProtectionEnabled ? VelmoraColors.success
                                                      : VelmoraColors.textSecondary
            }
            Text {
                objectName: "protectionText"
                x: 32
                anchors.verticalCenter: parent.verticalCenter
                text: Texts.t(root.model.isProtectionEnabled ? "Protection Active" : "Protection Off")
                font: VelmoraTypography.body
                color: VelmoraColors.textSecondary
            }
            GoldSwitchStyle {
                objectName: "protectionSwitch"
                anchors.right: parent.right
                anchors.rightMargin: 16
                anchors.verticalCenter: parent.verticalCenter
                small: true
                checked: root.model.isProtectionEnabled
                // The model decides, also when switching off was refused.
                onToggled: (on) => {
                    root.model.setProtectionEnabled(on)
                    checked = Qt.binding(() => root.model.isProtectionEnabled)
                }
            }
        }
        CountRow {
            objectName: "appsRow"
            symbol: "app.badge.checkmark"
            label: Texts.plural("%lld protected apps", root.model.protectedAppsCount)
        }
        Divider {}
        CountRow {
            objectName: "drivesRow"
            visible: root.model.showsDrivesRow
            symbol: "externaldrive"
            label: Texts.plural("%lld external drives", root.model.externalDrivesCount)
        }
        Divider {
            visible: root.model.showsDrivesRow
        }
        MenuBarButton {
            objectName: "settingsButton"
            width: parent.width
            title: "Settings..."
            icon: "gearshape"
            onClicked: root.model.openSettings()
        }
        MenuBarButton {
            objectName: "aboutButton"
            width: parent.width
            title: "About Velmora"
            icon: "info.circle"
            onClicked: root.model.openAbout()
        }
        Divider {}
        MenuBarButton {
            objectName: "quitButton"
            width: parent.width
            title: "Quit Velmora"
            icon: "power"
            onClicked: root.model.quit()
        }
        Item {
            width: parent.width
            height: 8
        }
    }
}
