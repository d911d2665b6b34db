import QtQuick
import Velmora.Theme

// The lock overlay's content: a backdrop over the whole screen and a centred card naming the
// application and the drive it needs, with one Force Quit button. The backdrop is blurred and
// dimmed where the compositor blurs behind the window, and opaque in the card's colour everywhere
// else: nothing of the locked application may be read through it.
Item {
    id: root
    // A LockOverlayViewModel.
    required property QtObject model
    property bool isVisible: false
    // Set by the window when the compositor blurs what lies behind it.
    property bool blurredBehind: false

    BlurView {
        anchors.fill: parent
        material: 13
        blendingMode: behindWindow
        visible: root.blurredBehind
    }

    Rectangle {
        objectName: "backdrop"
        anchors.fill: parent
        color: root.blurredBehind ? Qt.rgba(0, 0, 0, 0.4) : VelmoraColors.cardDark
    }

    // A soft shadow, black at 30 % reaching 20 points out, 8 points below the card: rings of
    // falling strength, which every scene graph renderer draws, the software one included.
    Item {
        id: shadow
        objectName: "shadow"
        x: card.x
        y: card.y + 8
        width: card.width
        height: card.height
        scale: card.scale
        opacity: card.opacity
        Repeater {
            model: 10
            Rectangle {
                readonly property real spread: (index + 1) * 4
                x: -spread / 2
                y: -spread / 2
                width: shadow.width + spread
                height: shadow.height + spread
                radius: 16 + spread / 2
                color: Qt.rgba(0, 0, 0, 0.3 / 10 * (1 - index / 12))
            }
        }
    }

    Rectangle {
        id: card
        objectName: "card"
        anchors.centerIn: parent
        width: stack.width + 80
        height: stack.height + 80
        radius: 16
        color: VelmoraColors.cardDark
        scale: root.isVisible ? 1.0 : 0.9
        opacity: root.isVisible ? 1 : 0

        Behavior on scale {
            NumberAnimation {
                duration: VelmoraAnimations.overlayAppear.duration
                easing.type: Easing.Bezier
                easing.bezierCurve: VelmoraAnimations.overlayAppear.curve
            }
        }
        Behavior on opacity {
            NumberAnimation {
                duration: VelmoraAnimations.overlayAppear.duration
                easing.type: Easing.Bezier
                easing.bezierCurve: VelmoraAnimations.overlayAppear.curve
            }
        }

        Column {
            id: stack
            anchors.centerIn: parent
            spacing: 20

            AppIconView {
                objectName: "appIcon"
                anchors.horizontalCenter: parent.horizontalCenter
                bundleIdentifier: root.model.bundleIdentifier
                size: 64
            }
            Text {
                objectName: "title"
                anchors.horizontalCenter: parent.horizontalCenter
                // A very long name wraps instead of stretching the card across the screen.
                width: Math.min(implicitWidth, 600, root.width - 160)
                text: root.model.title
                font: VelmoraTypography.largeTitle
                color: VelmoraColors.textPrimary
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.Wrap
            }
            SymbolImage {
                objectName: "driveSymbol"
                anchors.horizontalCenter: parent.horizontalCenter
                name: "externaldrive.fill"
                size: 40
                color: VelmoraColors.gold
            }
            Text {
                objectName: "driveLine"
                anchors.horizontalCenter: parent.horizontalCenter
                text: root.model.driveLine
                font: VelmoraTypography.body
                color: VelmoraColors.textSecondary
                horizontalAlignment: Text.AlignHCenter
            }
            Text {
                objectName: "hint"
                anchors.horizontalCenter: parent.horizontalCenter
                width: Math.min(implicitWidth, 300)
                text: root.model.hint
                font: VelmoraTypography.caption
                color: VelmoraColors.secondaryLabel
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.Wrap
            }
            Text {
                objectName: "startNote"
                anchors.horizontalCenter: parent.horizontalCenter
                width: Math.min(implicitWidth, 300)
                visible: text.length > 0
                text: root.model.startNote
                font: VelmoraTypography.caption
                color: VelmoraColors.gold
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.Wrap
            }
            // The button has four extra points of space above it.
            Item {
                anchors.horizontalCenter: parent.horizontalCenter
                width: forceQuit.width
                height: forceQuit.height + 4

                Rectangle {
                    id: forceQuit
                    objectName: "forceQuit"
                    y: 4
                    width: forceQuitLabel.implicitWidth + 48
                    height: forceQuitLabel.implicitHeight + 20
                    radius: 8
                    color: VelmoraColors.systemRed
                    opacity: forceQuitTap.pressed ? 0.8 : 1

                    Text {
                        id: forceQuitLabel
                        anchors.centerIn: parent
                        text: root.model.forceQuitTitle
                        font: VelmoraTypography.headline
                        color: "white"
                    }
                    TapHandler {
                        id: forceQuitTap
                        onTapped: root.model.forceQuitProtectedApp()
                    }
                }
            }
        }
    }

    Component.onCompleted: isVisible = true
}
