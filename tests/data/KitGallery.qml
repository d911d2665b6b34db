import QtQuick
import Velmora.Theme
import Velmora.Native

// Every piece of the style kit on one page, for people to look at.
Rectangle {
    id: root
    property var symbols: []
    color: VelmoraColors.background

    Column {
        x: 20
        y: 20
        spacing: 18

        Text {
            text: Texts.t("Velmora Settings") + "  ·  " + VelmoraLanguage.currentLanguage
            font: VelmoraTypography.largeTitle
            color: VelmoraColors.textPrimary
        }

        Row {
            spacing: 24
            Column {
                spacing: 10
                width: 300
                GoldSwitchStyle { width: parent.width; label: Texts.t("Launch Velmora at login"); checked: true }
                GoldSwitchStyle { width: parent.width; label: Texts.t("Require authentication to quit"); checked: false }
                GoldSwitchStyle { width: parent.width; label: Texts.t("Protection Active"); small: true; checked: true }
                GoldSwitchStyle { width: parent.width; label: Texts.t("Protection Off"); small: true; checked: false }
            }
            Column {
                spacing: 10
                PrimaryButton { title: "Add App"; icon: "plus" }
                PrimaryButton { title: "Add Drive"; icon: "externaldrive.badge.plus" }
                PrimaryButton { title: "Add Selected" }
                PrimaryButton { title: "Get Started"; enabled: false }
            }
            Column {
                spacing: 10
                Row {
                    spacing: 10
                    AppIconView { bundleIdentifier: "org.example.Gallery"; size: 64 }
                    AppIconView { bundleIdentifier: "org.example.NotInstalled"; size: 64 }
                    AppIconView { bundleIdentifier: ""; size: 32 }
                }
                Rectangle {
                    width: 220
                    height: 70
                    color: "#3a6ea5"
                    BlurView { anchors.fill: parent; anchors.margins: 10 }
                    Text {
                        anchors.centerIn: parent
                        text: "BlurView"
                        color: VelmoraColors.textPrimary
                        font: VelmoraTypography.caption
                    }
                }
            }
        }

        Rectangle {
            width: 820
            height: card.implicitHeight + 40
            radius: 16
            color: VelmoraColors.cardDark
            Column {
                id: card
                x: 20
                y: 20
                spacing: 8
                Text { text: Texts.t("%@ 无法启动", ["Text Editor"]); font: VelmoraTypography.title; color: VelmoraColors.textPrimary }
                Text { text: Texts.t("需要移动硬盘「%@」", ["Backup"]); font: VelmoraTypography.body; color: VelmoraColors.textSecondary }
                Text { text: Texts.t("%lld protected apps", [3]) + "  ·  " + Texts.t("%lld external drives", [2]) + "  ·  " + Texts.t("%lld sec", [5]); font: VelmoraTypography.headline; color: VelmoraColors.gold }
                Text { text: Texts.t("Add an external drive (移动硬盘). Apps that require it will be blocked when the drive is not connected."); font: VelmoraTypography.caption; color: VelmoraColors.textSecondary; width: 780; wrapMode: Text.Wrap }
            }
        }

        Flow {
            width: 820
            spacing: 6
            Repeater {
                model: root.symbols
                Column {
                    width: 130
                    spacing: 4
                    Row {
                        anchors.horizontalCenter: parent.horizontalCenter
                        spacing: 8
                        SymbolImage { name: modelData; size: 24; color: VelmoraColors.gold }
                        SymbolImage { name: modelData; size: 24; color: VelmoraColors.textPrimary }
                    }
                    Text {
                        width: parent.width
                        horizontalAlignment: Text.AlignHCenter
                        text: modelData
                        font: VelmoraTypography.caption
                        color: VelmoraColors.textSecondary
                        elide: Text.ElideMiddle
                    }
                }
            }
        }
    }
}
