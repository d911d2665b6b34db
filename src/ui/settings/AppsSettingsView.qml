import QtQuick
import QtQuick.Controls
import Velmora.Theme

// The settings window's Apps tab: the protected apps with their drive, switch and trash button,
// or an empty state; "Add App" opens the application picker. Rows are selected with clicks
// (Ctrl and Shift add to the selection) and removed with Delete or Backspace.
Item {
    id: root
    // An AppsSettingsViewModel.
    property QtObject model

    Text {
        id: title
        objectName: "title"
        anchors.left: parent.left
        anchors.top: parent.top
        anchors.margins: 20
        text: Texts.t("Protected Applications")
        font: VelmoraTypography.title
        color: VelmoraColors.textPrimary
    }

    Item {
        id: middle
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.top: title.bottom
        anchors.bottom: addButton.top
        anchors.leftMargin: 20
        anchors.rightMargin: 20
        anchors.topMargin: 24
        anchors.bottomMargin: 20

        Column {
            objectName: "emptyState"
            anchors.centerIn: parent
            width: parent.width
            visible: root.model.isEmpty
            spacing: 12
            SymbolImage {
                anchors.horizontalCenter: parent.horizontalCenter
                name: "lock.open"
                size: 40
                color: VelmoraColors.textSecondary
            }
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                text: Texts.t("No protected apps yet")
                font: VelmoraTypography.headline
                color: VelmoraColors.textSecondary
            }
            Text {
                width: parent.width
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.Wrap
                text: Texts.t("Add apps and optionally require an external drive for them to launch.")
                font: VelmoraTypography.caption
                color: VelmoraColors.textSecondary
            }
        }

        ListView {
            id: list
            objectName: "list"
            anchors.fill: parent
            visible: !root.model.isEmpty
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            model: root.model
            ScrollBar.vertical: ScrollBar {}
            Keys.onPressed: event => {
                if (event.key === Qt.Key_Delete || event.key === Qt.Key_Backspace) {
                    root.model.removeSelected()
                    event.accepted = true
                }
            }
            delegate: ProtectedAppRow {
                width: list.width
                tab: root.model
                onRowClicked: modifiers => {
                    list.forceActiveFocus()
                    root.model.selectRow(index, (modifiers & Qt.ControlModifier) !== 0,
                                         (modifiers & Qt.ShiftModifier) !== 0)
                }
            }
        }
    }

    PrimaryButton {
        id: addButton
        objectName: "addButton"
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        anchors.margins: 20
        title: "Add App"
        icon: "plus"
        onClicked: root.model.addApp()
    }
}
