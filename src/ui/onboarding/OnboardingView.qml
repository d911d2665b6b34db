import QtQuick
import Velmora.Theme

// The welcome walk: the current step above a footer with one dot per step and the gold button.
Rectangle {
    id: root
    property QtObject model

    implicitWidth: 480
    implicitHeight: 420
    color: VelmoraColors.background

    Item {
        id: stepArea
        anchors { left: parent.left; right: parent.right; top: parent.top; bottom: footer.top }

        Loader {
            id: step
            objectName: "step"
            anchors.fill: parent
            sourceComponent: root.model.stepKind === "panicKey" ? panicKeyStep
                           : root.model.stepKind === "final" ? finalStep : infoStep

            // Each new step fades in with the kit's standard curve.
            onLoaded: if (item) fadeIn.restart()
            NumberAnimation {
                id: fadeIn
                target: step.item
                property: "opacity"
                from: 0
                to: 1
                duration: VelmoraAnimations.standard.duration
                easing.type: Easing.Bezier
                easing.bezierCurve: VelmoraAnimations.standard.curve
            }
        }
        Connections {
            target: root.model
            function onCurrentStepChanged() { step.active = false; step.active = true }
        }
    }

    Component {
        id: infoStep
        InfoStepView {
            icon: root.model.infoStep.icon || ""
            title: root.model.infoStep.title || ""
            description: root.model.infoStep.description || ""
        }
    }
    Component { id: panicKeyStep; PanicKeyStep { model: root.model } }
    Component { id: finalStep; FinalStep { model: root.model } }

    Item {
        id: footer
        anchors { left: parent.left; right: parent.right; bottom: parent.bottom }
        anchors { leftMargin: 32; rightMargin: 32; bottomMargin: 24 }
        height: button.implicitHeight

        Row {
            objectName: "dots"
            anchors.verticalCenter: parent.verticalCenter
            spacing: 8
            Repeater {
                model: root.model.totalSteps
                Rectangle {
                    width: 8
                    height: 8
                    radius: 4
                    color: index === root.model.currentStep ? VelmoraColors.gold
                                                            : Qt.rgba(0.5, 0.5, 0.5, 0.3)
                }
            }
        }
        PrimaryButton {
            id: button
            objectName: "button"
            anchors { right: parent.right; verticalCenter: parent.verticalCenter }
            title: root.model.buttonTitle
            onClicked: root.model.pressButton()
        }
    }
}
