import QtQuick
import QtQuick.Controls
import Velmora.Theme

// The "Add External Drive" window: the mounted external volumes, one click registers one.
Item {
    id: root
    // A DrivePickerViewModel.
    required property QtObject model

    // A plain desktop button drawn in the program's dark look.
    component StandardButton: Rectangle {
        id: button
        property string title
        signal clicked()
        implicitWidth: Math.max(80, label.implicitWidth + 24)
        implicitHeight: 26
        radius: 5
        color: tap.pressed ? Qt.lighter(VelmoraColors.controlBackground, 1.6)
                           : Qt.lighter(VelmoraColors.controlBackground, 1.3)
        border.color: VelmoraColors.separator
        Text {
            id: label
            anchors.centerIn: parent
            text: Texts.t(button.title)
            font: VelmoraTypography.body
            color: VelmoraColors.textPrimary
        }
        TapHandler {
            id: tap
            onTapped: button.clicked()
        }
    }

    Rectangle {
        anchors.fill: parent
        color: VelmoraColors.background
    }

    Column {
        id: stack
        anchors.fill: parent
        anchors.margins: 20
        spacing: 16

        Text {
            objectName: "title"
            text: Texts.t("Add External Drive")
            font: VelmoraTypography.title
            color: VelmoraColors.textPrimary
        }

        Item {
            width: stack.width
            height: stack.height - y - buttons.height - stack.spacing

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
                    text: Texts.t("No external drives detected")
                    font: VelmoraTypography.headline
                    color: VelmoraColors.textSecondary
                }
                Text {
                    width: parent.width
                    horizontalAlignment: Text.AlignHCenter
                    wrapMode: Text.WordWrap
                    text: Texts.t("Connect an external drive and click Refresh.")
                    font: VelmoraTypography.caption
                    color: VelmoraColors.textSecondary
                }
            }

            ListView {
                objectName: "list"
                visible: !root.model.isEmpty
                anchors.fill: parent
                clip: true
                model: root.model.volumes
                boundsBehavior: Flickable.StopAtBounds
                ScrollBar.vertical: ScrollBar {}

                delegate: Item {
                    id: volumeItem
                    required property var modelData
                    // What the texts may take beside the symbol.
                    readonly property real textWidth: width - 32
                    width: ListView.view.width
                    height: content.height + 8

                    Row {
                        id: content
                        objectName: "volumeRow"
                        anchors.verticalCenter: parent.verticalCenter
                        spacing: 12

                        SymbolImage {
                            objectName: "symbol"
                            anchors.verticalCenter: parent.verticalCenter
                            name: modelData.symbol
                            size: 20
                            color: VelmoraColors.textSecondary
                        }
                        Column {
                            anchors.verticalCenter: parent.verticalCenter
                            spacing: 2
                            Text {
                                objectName: "name"
                                width: Math.min(implicitWidth, volumeItem.textWidth)
                                elide: Text.ElideRight
                                text: modelData.name
                                font: VelmoraTypography.headline
                                color: VelmoraColors.textPrimary
                            }
                            Text {
                                width: Math.min(implicitWidth, volumeItem.textWidth)
                                elide: Text.ElideMiddle
                                text: modelData.path
                                font: VelmoraTypography.caption
                                color: VelmoraColors.textSecondary
                            }
                            Text {
                                objectName: "readOnlyNote"
                                visible: modelData.isReadOnly
                                width: Math.min(implicitWidth, volumeItem.textWidth)
                                wrapMode: Text.WordWrap
                                text: Texts.t("Read-only: it cannot hold a key, so a copy of it would pass")
                                font: VelmoraTypography.caption
                                color: VelmoraColors.gold
                            }
                        }

                        // The symbol and the texts take the click, not the empty rest of the row.
                        TapHandler {
                            onTapped: root.model.registerVolume(modelData.id)
                        }
                    }
                }
            }
        }

        Item {
            id: buttons
            width: stack.width
            height: refresh.implicitHeight

            StandardButton {
                id: refresh
                objectName: "refresh"
                title: "Refresh"
                onClicked: root.model.scanVolumes()
            }
            StandardButton {
                objectName: "cancel"
                anchors.right: parent.right
                title: "Cancel"
                onClicked: root.model.dismiss()
            }
        }
    }
}
