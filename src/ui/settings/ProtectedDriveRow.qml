import QtQuick
import Velmora.Theme

// One registered drive: symbol, name, mount point, UUID and hardware, whether it can hold a key,
// mount state, switch and trash.
Item {
    id: row
    // One row of DriveSettingsViewModel.rowModel (its roles), and the view model itself.
    required property var drive
    required property QtObject viewModel
    required property int position

    implicitHeight: line.implicitHeight + 16

    function tone(name) {
        return name === "success" ? VelmoraColors.success
             : name === "error" ? VelmoraColors.error : VelmoraColors.textSecondary
    }

    Rectangle {
        objectName: "selection"
        anchors.fill: parent
        radius: 6
        visible: row.drive.isSelected
        color: Qt.rgba(VelmoraColors.gold.r, VelmoraColors.gold.g, VelmoraColors.gold.b, 0.18)
    }

    Row {
        id: line
        anchors.verticalCenter: parent.verticalCenter
        // Inside the selection's rounded corners.
        x: 6
        width: parent.width - 12
        spacing: 12

        SymbolImage {
            objectName: "symbol"
            anchors.verticalCenter: parent.verticalCenter
            name: row.drive.symbol
            size: 20
            color: row.tone(row.drive.symbolTone)
        }

        Column {
            id: texts
            anchors.verticalCenter: parent.verticalCenter
            width: line.width - x - dot.width - enabledSwitch.width - trash.width - 3 * line.spacing
            spacing: 2

            Text {
                objectName: "name"
                width: parent.width
                elide: Text.ElideRight
                text: row.drive.name
                font: VelmoraTypography.headline
                color: VelmoraColors.textPrimary
            }
            Text {
                objectName: "mountPoint"
                width: parent.width
                elide: Text.ElideMiddle
                text: row.drive.mountPoint
                font: VelmoraTypography.caption
                color: VelmoraColors.textSecondary
            }
            Text {
                objectName: "uuid"
                width: parent.width
                elide: Text.ElideRight
                visible: row.drive.uuidLine !== ""
                text: row.drive.uuidLine
                font.family: "monospace"
                font.pixelSize: 10
                color: VelmoraColors.textSecondary
            }
            Text {
                objectName: "hardware"
                width: parent.width
                elide: Text.ElideRight
                visible: row.drive.hardwareLine !== ""
                text: row.drive.hardwareLine
                font: VelmoraTypography.caption
                color: VelmoraColors.textSecondary
            }
            // Read-only: known by its UUID alone, so a copy of it cannot be told apart.
            Text {
                objectName: "keyNote"
                width: parent.width
                elide: Text.ElideRight
                visible: row.drive.cannotHoldKey
                text: Texts.t("cannot hold a key")
                font: VelmoraTypography.caption
                color: VelmoraColors.gold
            }
        }

        Rectangle {
            id: dot
            objectName: "dot"
            anchors.verticalCenter: parent.verticalCenter
            width: 8
            height: 8
            radius: 4
            color: row.tone(row.drive.dotTone)
        }

        GoldSwitchStyle {
            id: enabledSwitch
            objectName: "switch"
            anchors.verticalCenter: parent.verticalCenter
            checked: row.drive.isEnabled
            // The stored state decides, also when lowering protection was refused.
            onToggled: {
                row.viewModel.toggleDrive(row.drive.id)
                checked = Qt.binding(() => row.drive.isEnabled)
            }
        }

        Item {
            id: trash
            objectName: "trash"
            anchors.verticalCenter: parent.verticalCenter
            width: 20
            height: 20
            SymbolImage {
                anchors.centerIn: parent
                name: "trash"
                size: 12
                color: VelmoraColors.error
            }
            TapHandler {
                onTapped: row.viewModel.removeDrive(row.drive.id)
            }
        }
    }

    // Selecting takes clicks on the symbol and texts; the switch and trash keep their own.
    MouseArea {
        objectName: "selectArea"
        x: 0
        width: line.x + texts.x + texts.width
        height: parent.height
        onClicked: (mouse) => {
            row.ListView.view.forceActiveFocus()
            row.viewModel.clickRow(row.position, mouse.modifiers)
        }
    }
}
