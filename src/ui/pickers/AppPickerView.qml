import QtQuick
import QtQuick.Controls
import Velmora.Theme

// The "Add Applications" window's content: a searchable, multi-select list of the installed
// applications. Escape, Cancel and the close symbol cancel; "Add Selected" confirms.
Rectangle {
    id: root
    // An AppPickerViewModel.
    property QtObject model

    width: 440
    height: 520
    color: VelmoraColors.cardDark

    Shortcut {
        sequences: ["Escape"]
        onActivated: root.model.cancel()
    }

    Column {
        anchors.fill: parent

        Item {
            width: parent.width
            height: header.implicitHeight + 32
            Text {
                id: header
                objectName: "title"
                anchors.left: parent.left
                anchors.leftMargin: 16
                anchors.verticalCenter: parent.verticalCenter
                text: Texts.t("Select Applications")
                font: VelmoraTypography.title
                color: VelmoraColors.textPrimary
            }
            SymbolImage {
                objectName: "closeButton"
                anchors.right: parent.right
                anchors.rightMargin: 16
                anchors.verticalCenter: parent.verticalCenter
                name: "xmark.circle.fill"
                size: 18
                color: VelmoraColors.textSecondary
                TapHandler {
                    onTapped: root.model.cancel()
                }
            }
        }

        Rectangle {
            x: 16
            width: parent.width - 32
            height: search.implicitHeight + 16
            radius: 8
            color: VelmoraColors.controlBackground
            SymbolImage {
                id: glass
                anchors.left: parent.left
                anchors.leftMargin: 8
                anchors.verticalCenter: parent.verticalCenter
                name: "magnifyingglass"
                size: 14
                color: VelmoraColors.textSecondary
            }
            TextInput {
                id: search
                objectName: "searchField"
                anchors.left: glass.right
                anchors.leftMargin: 8
                anchors.right: parent.right
                anchors.rightMargin: 8
                anchors.verticalCenter: parent.verticalCenter
                focus: true
                clip: true
                font: VelmoraTypography.body
                color: VelmoraColors.textPrimary
                selectionColor: VelmoraColors.gold
                selectedTextColor: VelmoraColors.background
                text: root.model.searchText
                onTextEdited: root.model.searchText = text
                Text {
                    anchors.fill: parent
                    visible: search.text === ""
                    text: Texts.t("Search apps...")
                    font: search.font
                    color: VelmoraColors.textSecondary
                    verticalAlignment: Text.AlignVCenter
                }
            }
        }

        Item { width: 1; height: 8 }
        Rectangle { width: parent.width; height: 1; color: VelmoraColors.separator }

        ListView {
            id: list
            objectName: "list"
            width: parent.width
            height: root.height - y - footer.height - 1
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            model: root.model
            ScrollBar.vertical: ScrollBar {}
            delegate: AppPickerRow {
                width: list.width
                height: 40
                onTapped: root.model.toggleSelection(bundleIdentifier)
            }
            Text {
                objectName: "noMatches"
                anchors.centerIn: parent
                width: parent.width - 64
                visible: list.count === 0 && root.model.searchText !== ""
                text: Texts.t("No apps match “%@”", [root.model.searchText])
                font: VelmoraTypography.body
                color: VelmoraColors.textSecondary
                horizontalAlignment: Text.AlignHCenter
                wrapMode: Text.Wrap
            }
        }

        Rectangle { width: parent.width; height: 1; color: VelmoraColors.separator }

        Item {
            id: footer
            width: parent.width
            height: addButton.implicitHeight + 32
            Text {
                objectName: "selectedCount"
                anchors.left: parent.left
                anchors.leftMargin: 16
                anchors.verticalCenter: parent.verticalCenter
                text: Texts.t("%lld selected", [root.model.selectedCount])
                font: VelmoraTypography.caption
                color: VelmoraColors.textSecondary
            }
            Row {
                anchors.right: parent.right
                anchors.rightMargin: 16
                anchors.verticalCenter: parent.verticalCenter
                spacing: 12
                Rectangle {
                    objectName: "cancelButton"
                    anchors.verticalCenter: parent.verticalCenter
                    width: cancelTitle.implicitWidth + 24
                    height: cancelTitle.implicitHeight + 10
                    radius: 6
                    color: cancelTap.pressed ? Qt.lighter(VelmoraColors.controlBackground, 1.6)
                                             : Qt.lighter(VelmoraColors.controlBackground, 1.9)
                    Text {
                        id: cancelTitle
                        anchors.centerIn: parent
                        text: Texts.t("Cancel")
                        font: VelmoraTypography.body
                        color: VelmoraColors.textPrimary
                    }
                    TapHandler {
                        id: cancelTap
                        onTapped: root.model.cancel()
                    }
                }
                PrimaryButton {
                    id: addButton
                    objectName: "addButton"
                    title: "Add Selected"
                    enabled: root.model.selectedCount > 0
                    onClicked: root.model.confirm()
                }
            }
        }
    }
}
