import QtQuick
import Velmora.Theme

// The last step: all set, and whether Velmora starts at login (on unless switched off).
Item {
    property QtObject model

    Column {
        anchors.centerIn: parent
        width: parent.width
        spacing: 16

        Item {
            width: parent.width
            height: 60
            SymbolImage {
                anchors.centerIn: parent
                name: "checkmark.circle.fill"
                size: 48
                color: VelmoraColors.success
            }
        }
        Text {
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            text: Texts.t("You're All Set")
            font: VelmoraTypography.largeTitle
            color: VelmoraColors.textPrimary
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            width: Math.min(340, implicitWidth)
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.WordWrap
            text: Texts.t("Velmora runs in your menu bar.\nProtected apps will be blocked when their required drive is not connected.")
            font: VelmoraTypography.body
            color: VelmoraColors.textSecondary
        }
        Column {
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 20

            GoldSwitchStyle {
                objectName: "launchAtLogin"
                anchors.horizontalCenter: parent.horizontalCenter
                label: Texts.t("Launch Velmora at login")
                checked: model.launchAtLogin
                onToggled: (on) => model.launchAtLogin = on
            }
            Text {
                objectName: "settingsHint"
                anchors.horizontalCenter: parent.horizontalCenter
                width: Math.min(340, implicitWidth)
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.WordWrap
                text: Texts.t("You can configure drives and apps\nin Settings.")
                      + (model.isTrayAvailable ? "" : "\n" + Texts.t("Without a system tray, open Velmora again from the application menu to reach its settings."))
                font: VelmoraTypography.caption
                color: VelmoraColors.textSecondary
            }
        }
    }
}
