import QtQuick
import Velmora.Theme

// Shows the panic key as it is pressed here: Ctrl + Alt + Shift + Super + U. The key itself is
// already registered, so pressing it works while this step shows, and the step says so.
Item {
    // The OnboardingViewModel.
    property QtObject model
    readonly property bool tried: model !== null && model.panicKeyTried
    readonly property var keys: [
        { symbol: "Ctrl", label: "Control" },
        { symbol: "Alt", label: "Alt" },
        { symbol: "⇧", label: "Shift" },
        { symbol: "❖", label: "Super" },
        { symbol: "U", label: "" }
    ]

    Column {
        anchors.centerIn: parent
        width: parent.width
        spacing: 16

        Item {
            width: parent.width
            height: 60
            SymbolImage {
                anchors.centerIn: parent
                name: "exclamationmark.triangle.fill"
                size: 48
                color: VelmoraColors.gold
            }
        }
        Text {
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            text: Texts.t("Emergency Panic Key")
            font: VelmoraTypography.largeTitle
            color: VelmoraColors.textPrimary
        }
        Text {
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            text: Texts.t("If you ever get locked out, this shortcut\ninstantly dismisses all overlays:")
            font: VelmoraTypography.body
            color: VelmoraColors.textSecondary
        }
        Row {
            objectName: "keyCaps"
            anchors.horizontalCenter: parent.horizontalCenter
            topPadding: 8
            bottomPadding: 8
            spacing: 6
            Repeater {
                model: keys
                Row {
                    spacing: 6
                    Text {
                        visible: index > 0
                        y: 10
                        text: "+"
                        font: VelmoraTypography.body
                        color: VelmoraColors.textSecondary
                    }
                    KeyCap {
                        symbol: modelData.symbol
                        label: modelData.label
                    }
                }
            }
        }
        Text {
            objectName: "tryIt"
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            text: tried ? Texts.t("✓ It works — this key frees your screen whenever you need it.")
                        : Texts.t("Try it now — it always works, even in full screen.")
            font: tried ? VelmoraTypography.body : VelmoraTypography.caption
            color: tried ? VelmoraColors.success : VelmoraColors.textSecondary
        }
    }
}
