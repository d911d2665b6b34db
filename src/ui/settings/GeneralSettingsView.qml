import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Velmora.Theme

// The General tab: six sections, each a card with an optional footer below it.
Item {
    id: root
    // A GeneralSettingsViewModel.
    property QtObject model

    component Card: Rectangle {
        default property alias content: inner.data
        Layout.fillWidth: true
        implicitHeight: 38
        radius: 8
        color: VelmoraColors.cardDark
        Item {
            id: inner
            anchors.fill: parent
            anchors.leftMargin: 12
            anchors.rightMargin: 12
        }
    }

    component Footer: Text {
        Layout.fillWidth: true
        Layout.leftMargin: 12
        Layout.rightMargin: 12
        Layout.topMargin: -6
        font: VelmoraTypography.caption
        color: VelmoraColors.textSecondary
        wrapMode: Text.Wrap
    }

    component Label: Text {
        anchors.verticalCenter: parent.verticalCenter
        font: VelmoraTypography.body
        color: VelmoraColors.textPrimary
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 20
        spacing: 10

        Card {
            GoldSwitchStyle {
                objectName: "launchAtLogin"
                anchors.fill: parent
                label: Texts.t("Launch Velmora at login")
                checked: root.model.launchAtLogin
                onToggled: (on) => root.model.launchAtLogin = on
            }
        }

        Card {
            Label { text: Texts.t("Language:") }
            ComboBox {
                id: languages
                objectName: "language"
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                width: 150
                height: 26
                model: root.model.languageNames
                currentIndex: root.model.languageIndex
                onActivated: (index) => root.model.chooseLanguage(index)
                font: VelmoraTypography.body
                palette.button: VelmoraColors.controlBackground
                palette.buttonText: VelmoraColors.textPrimary
                palette.text: VelmoraColors.textPrimary
                palette.window: VelmoraColors.cardDark
                palette.base: VelmoraColors.cardDark
                palette.highlight: VelmoraColors.gold
                palette.highlightedText: VelmoraColors.background
                palette.light: VelmoraColors.cardDark
                palette.mid: VelmoraColors.separator
                palette.dark: VelmoraColors.textPrimary
            }
        }

        Card {
            GoldSwitchStyle {
                objectName: "requirePasswordToQuit"
                anchors.fill: parent
                // Once on, it can always be asked to go off: the owner then has to confirm.
                enabled: root.model.authAvailable || root.model.requirePasswordToQuit
                label: Texts.t("Require authentication to quit")
                checked: root.model.requirePasswordToQuit
                onToggled: (on) => {
                    root.model.requirePasswordToQuit = on
                    checked = Qt.binding(() => root.model.requirePasswordToQuit)
                }
            }
        }
        Footer {
            objectName: "quitFooter"
            text: Texts.t(root.model.quitFooterKey)
        }
        Footer {
            objectName: "gateFooter"
            text: Texts.t(root.model.gateFooterKey)
        }

        Card {
            Label {
                id: intervalLabel
                text: Texts.t("Drive check interval:")
            }
            Slider {
                id: slider
                objectName: "interval"
                anchors.left: intervalLabel.right
                anchors.leftMargin: 8
                anchors.right: intervalValue.left
                anchors.rightMargin: 8
                anchors.verticalCenter: parent.verticalCenter
                from: 1
                to: 30
                stepSize: 1
                value: root.model.driveCheckInterval
                onMoved: root.model.setDriveCheckInterval(value)
                background: Rectangle {
                    x: slider.leftPadding
                    y: slider.topPadding + slider.availableHeight / 2 - height / 2
                    width: slider.availableWidth
                    height: 4
                    radius: 2
                    color: VelmoraColors.separator
                    Rectangle {
                        width: slider.visualPosition * parent.width
                        height: parent.height
                        radius: 2
                        color: VelmoraColors.gold
                    }
                }
                handle: Rectangle {
                    x: slider.leftPadding + slider.visualPosition * (slider.availableWidth - width)
                    y: slider.topPadding + slider.availableHeight / 2 - height / 2
                    width: 16
                    height: 16
                    radius: 8
                    color: "white"
                }
            }
            Label {
                id: intervalValue
                objectName: "intervalValue"
                anchors.right: parent.right
                width: 50
                horizontalAlignment: Text.AlignRight
                text: Texts.t("%lld sec", [Math.round(root.model.driveCheckInterval)])
            }
        }
        Footer { text: Texts.t("How often to check if required drives are still connected.") }

        Card {
            Label { text: Texts.t("Disconnect notification:") }
            Row {
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                Repeater {
                    model: ["Once", "Repeated"]
                    delegate: Rectangle {
                        required property string modelData
                        required property int index
                        readonly property bool selected:
                            root.model.disconnectNotificationIndex === index
                        objectName: "notification-" + index
                        width: Math.max(70, choice.implicitWidth + 20)
                        height: 24
                        radius: 6
                        color: selected ? VelmoraColors.gold : VelmoraColors.controlBackground
                        Text {
                            id: choice
                            anchors.centerIn: parent
                            text: Texts.t(modelData)
                            font: VelmoraTypography.body
                            color: selected ? VelmoraColors.background : VelmoraColors.textPrimary
                        }
                        TapHandler { onTapped: root.model.setDisconnectNotificationIndex(index) }
                    }
                }
            }
        }
        Footer {
            text: Texts.t("Whether to notify once or repeatedly when a required drive is disconnected.")
        }

        Card {
            Rectangle {
                id: updateButton
                objectName: "checkForUpdates"
                anchors.verticalCenter: parent.verticalCenter
                width: updateTitle.implicitWidth + 24
                height: 24
                radius: 6
                color: updateTap.pressed ? VelmoraColors.separator : VelmoraColors.controlBackground
                border.color: VelmoraColors.separator
                Text {
                    id: updateTitle
                    anchors.centerIn: parent
                    text: Texts.t("Check for Updates…")
                    font: VelmoraTypography.body
                    color: VelmoraColors.textPrimary
                }
                TapHandler {
                    id: updateTap
                    onTapped: root.model.checkForUpdates()
                }
            }
            Text {
                anchors.left: updateButton.right
                anchors.leftMargin: 8
                anchors.verticalCenter: parent.verticalCenter
                text: Texts.t("Velmora %@", [root.model.version])
                font: VelmoraTypography.caption
                color: VelmoraColors.textSecondary
            }
        }

        Item { Layout.fillHeight: true }
    }
}
