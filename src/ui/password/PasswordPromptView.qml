import QtQuick
import Velmora.Theme

// Velmora's own password window: what it is for, PAM's question with a password field, PAM's
// remarks or "wrong password", and Cancel / Authenticate. Enter sends, Escape cancels.
Rectangle {
    id: root
    // A PasswordPromptViewModel.
    required property QtObject model

    color: VelmoraColors.controlBackground

    Connections {
        target: root.model
        function onChanged() {
            if (root.model.isAsking) {
                field.text = ""
                field.forceActiveFocus()
            }
        }
    }

    Column {
        anchors.fill: parent
        anchors.margins: 24
        spacing: 12

        Text {
            objectName: "heading"
            width: parent.width
            text: Texts.t("Authentication Required")
            font: VelmoraTypography.headline
            color: VelmoraColors.textPrimary
        }
        Text {
            width: parent.width
            text: Texts.t("Velmora needs your login password to quit or to lower its protection.")
            font: VelmoraTypography.body
            color: VelmoraColors.secondaryLabel
            wrapMode: Text.Wrap
        }
        Rectangle {
            objectName: "fieldFrame"
            width: parent.width
            height: 32
            radius: 6
            color: VelmoraColors.cardDark
            border.color: field.activeFocus ? VelmoraColors.gold : VelmoraColors.separator
            opacity: root.model.isAsking ? 1 : 0.5

            TextInput {
                id: field
                objectName: "passwordField"
                anchors.fill: parent
                anchors.leftMargin: 10
                anchors.rightMargin: 10
                verticalAlignment: TextInput.AlignVCenter
                clip: true
                focus: true
                enabled: root.model.isAsking
                echoMode: root.model.echo ? TextInput.Normal : TextInput.Password
                font: VelmoraTypography.body
                color: VelmoraColors.textPrimary
                selectionColor: VelmoraColors.gold
                selectedTextColor: VelmoraColors.background
                onAccepted: root.send()
                Keys.onEscapePressed: root.model.cancel()

                Text {
                    anchors.fill: parent
                    visible: field.text === ""
                    text: root.model.question !== "" ? root.model.question
                                                     : Texts.t("Password")
                    font: field.font
                    color: VelmoraColors.textSecondary
                    verticalAlignment: Text.AlignVCenter
                    elide: Text.ElideRight
                }
            }
        }
        Text {
            objectName: "feedback"
            width: parent.width
            height: 32
            text: root.model.lastAttemptFailed ? Texts.t("That password didn't work. Try again.")
                : root.model.remark !== "" ? root.model.remark
                : !root.model.isAsking ? Texts.t("Checking…") : ""
            font: VelmoraTypography.caption
            color: root.model.lastAttemptFailed || root.model.remarkIsError
                   ? VelmoraColors.systemRed : VelmoraColors.textSecondary
            wrapMode: Text.Wrap
            elide: Text.ElideRight
        }
    }

    Row {
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.margins: 20
        spacing: 12

        Rectangle {
            objectName: "cancel"
            width: cancelLabel.implicitWidth + 32
            height: authenticate.height
            radius: 8
            color: cancelTap.pressed ? Qt.rgba(1, 1, 1, 0.22) : Qt.rgba(1, 1, 1, 0.14)
            border.color: Qt.rgba(1, 1, 1, 0.18)
            Text {
                id: cancelLabel
                anchors.centerIn: parent
                text: Texts.t("Cancel")
                font: VelmoraTypography.button
                color: VelmoraColors.textPrimary
            }
            TapHandler {
                id: cancelTap
                onTapped: root.model.cancel()
            }
        }
        PrimaryButton {
            id: authenticate
            objectName: "authenticate"
            title: "Authenticate"
            enabled: root.model.isAsking
            onClicked: root.send()
        }
    }

    function send() {
        if (!root.model.isAsking)
            return
        const answer = field.text
        field.text = ""
        root.model.submit(answer)
    }
}
