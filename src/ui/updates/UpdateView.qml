import QtQuick
import QtQuick.Controls.Basic
import Velmora.Theme

// The update window's content: what the check is doing or what it found.
Rectangle {
    id: root
    // An UpdateViewModel; states: 0 checking, 1 up to date, 2 available, 3 failed,
    // 4 package manager.
    property QtObject model
    readonly property int state: model ? model.state : 0

    width: 420
    height: 260
    color: VelmoraColors.controlBackground

    readonly property string title: [Texts.t("Checking for updates…"), Texts.t("You're up to date."),
                                     Texts.t("A new version of Velmora is available!"),
                                     Texts.t("Update check failed"),
                                     Texts.t("Updates come from your package manager")][state]

    // Every state but a found release: centred in the window.
    Column {
        visible: root.state !== 2
        anchors.centerIn: parent
        width: parent.width - 60
        spacing: 10

        BusyIndicator {
            anchors.horizontalCenter: parent.horizontalCenter
            visible: root.state === 0
            running: visible
            width: 32
            height: 32
            palette.dark: VelmoraColors.gold
        }
        SymbolImage {
            anchors.horizontalCenter: parent.horizontalCenter
            visible: root.state !== 0
            size: 32
            name: root.state === 1 ? "checkmark.circle.fill"
                : root.state === 3 ? "exclamationmark.triangle.fill" : "info.circle"
            color: root.state === 1 ? VelmoraColors.success
                : root.state === 3 ? VelmoraColors.error : VelmoraColors.gold
        }
        Text {
            objectName: "title"
            visible: root.state !== 2
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            font: VelmoraTypography.headline
            color: VelmoraColors.textPrimary
            text: root.title
        }
        Text {
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.Wrap
            font: VelmoraTypography.body
            color: VelmoraColors.textSecondary
            text: !root.model ? ""
                : root.state === 1 ? Texts.t("Velmora %@ is the newest version available.", [root.model.currentVersion])
                : root.state === 3 ? root.model.errorText
                : root.state === 4 ? Texts.t("This copy of Velmora is kept up to date by your system's package manager.")
                : ""
        }
    }

    // A found release: what it is, its notes, and the way to get it.
    Column {
        id: heading
        visible: root.state === 2
        anchors.top: parent.top
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.margins: 20
        spacing: 8

        Text {
            objectName: "availableTitle"
            width: parent.width
            wrapMode: Text.Wrap
            font: VelmoraTypography.headline
            color: VelmoraColors.textPrimary
            text: root.title
        }
        Text {
            width: parent.width
            wrapMode: Text.Wrap
            font: VelmoraTypography.body
            color: VelmoraColors.textSecondary
            text: root.model ? Texts.t("Velmora %@ is available — you have %@.", [root.model.version, root.model.currentVersion]) : ""
        }
    }

    Rectangle {
        id: notesBox
        visible: root.state === 2 && root.model && root.model.notes !== ""
        anchors.top: heading.bottom
        anchors.topMargin: 12
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: download.top
        anchors.margins: 20
        radius: 8
        color: VelmoraColors.cardDark
        clip: true

        Flickable {
            anchors.fill: parent
            anchors.margins: 10
            contentHeight: notes.implicitHeight
            boundsBehavior: Flickable.StopAtBounds
            Text {
                id: notes
                objectName: "notes"
                width: parent.width
                wrapMode: Text.Wrap
                textFormat: Text.PlainText
                font: VelmoraTypography.body
                color: VelmoraColors.textPrimary
                text: root.model ? root.model.notes : ""
            }
        }
    }

    PrimaryButton {
        id: download
        objectName: "download"
        visible: root.state === 2
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.margins: 20
        title: "Download"
        onClicked: root.model.download()
    }
}
