import QtQuick
import QtQuick.Controls
import Velmora.Theme

// The Drives tab: the registered drives, whether each is connected, and "Add Drive".
Item {
    id: root
    // A DriveSettingsViewModel.
    required property QtObject model

    Component.onCompleted: model.viewAppeared()
    Component.onDestruction: model.viewDisappeared()

    Column {
        id: stack
        anchors.fill: parent
        anchors.margins: 20
        spacing: 24

        Text {
            objectName: "title"
            text: Texts.t("Required External Drives")
            font: VelmoraTypography.title
            color: VelmoraColors.textPrimary
        }

        Item {
            width: stack.width
            height: stack.height - y - footer.height - stack.spacing

            Column {
                objectName: "emptyState"
                visible: root.model.isEmpty
                anchors.centerIn: parent
                width: parent.width
                spacing: 12

                SymbolImage {
                    anchors.horizontalCenter: parent.horizontalCenter
                    name: "externaldrive"
                    size: 40
                    color: VelmoraColors.textSecondary
                }
                Text {
                    width: parent.width
                    horizontalAlignment: Text.AlignHCenter
                    wrapMode: Text.WordWrap
                    text: Texts.t("No external drives registered")
                    font: VelmoraTypography.headline
                    color: VelmoraColors.textSecondary
                }
                Text {
                    objectName: "emptyHint"
                    anchors.horizontalCenter: parent.horizontalCenter
                    width: Math.min(340, parent.width)
                    horizontalAlignment: Text.AlignHCenter
                    wrapMode: Text.WordWrap
                    text: Texts.t("Add an external drive (移动硬盘). Apps that require it will be blocked when the drive is not connected.")
                    font: VelmoraTypography.caption
                    color: VelmoraColors.textSecondary
                }
            }

            ListView {
                id: list
                objectName: "list"
                visible: !root.model.isEmpty
                anchors.fill: parent
                clip: true
                model: root.model.rowModel
                boundsBehavior: Flickable.StopAtBounds
                ScrollBar.vertical: ScrollBar {}

                delegate: ProtectedDriveRow {
                    required property var model
                    required property int index
                    width: ListView.view.width
                    drive: model
                    viewModel: root.model
                    position: index
                }

                Keys.onPressed: (event) => {
                    if (event.key !== Qt.Key_Delete && event.key !== Qt.Key_Backspace)
                        return
                    root.model.deleteSelected()
                    event.accepted = true
                }
            }
        }

        Item {
            id: footer
            width: stack.width
            height: addButton.implicitHeight

            PrimaryButton {
                id: addButton
                objectName: "addDrive"
                anchors.right: parent.right
                title: "Add Drive"
                icon: "externaldrive.badge.plus"
                onClicked: root.model.addDrive(root.Window.window)
            }
        }
    }
}
