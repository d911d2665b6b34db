import QtQuick
import QtQuick.Controls
import Velmora.Theme

// One protected app: icon, name and ID, the drive menu, the protection switch and the trash
// button. Every action names the row's app by its ID, never by its position.
Item {
    id: root
    required property string appId
    required property string name
    required property string bundleIdentifier
    required property bool isEnabled
    required property int driveIndex
    // The row's drive menu: every drive, then "+ another drive" entries for spares.
    required property var driveEntries
    required property bool isSelected
    required property int index
    // The AppsSettingsViewModel.
    property QtObject tab
    // A click on the row itself, with the keyboard modifiers held.
    signal rowClicked(int modifiers)

    implicitHeight: 32 + 16

    Rectangle {
        anchors.fill: parent
        radius: 6
        color: root.isSelected ? Qt.rgba(1, 210 / 255, 19 / 255, 0.15) : "transparent"
    }
    MouseArea {
        anchors.fill: parent
        onClicked: mouse => root.rowClicked(mouse.modifiers)
    }

    Row {
        id: content
        anchors.fill: parent
        anchors.leftMargin: 8
        anchors.rightMargin: 8
        spacing: 12

        AppIconView {
            objectName: "icon"
            anchors.verticalCenter: parent.verticalCenter
            bundleIdentifier: root.bundleIdentifier
            size: 32
        }
        Column {
            anchors.verticalCenter: parent.verticalCenter
            width: content.width - 32 - driveMenu.width - controls.width - 3 * content.spacing
            spacing: 2
            Text {
                objectName: "name"
                width: parent.width
                text: root.name
                font: VelmoraTypography.headline
                color: VelmoraColors.textPrimary
                elide: Text.ElideRight
                maximumLineCount: 1
            }
            Text {
                objectName: "identifier"
                width: parent.width
                text: root.bundleIdentifier
                font: VelmoraTypography.caption
                color: VelmoraColors.textSecondary
                elide: Text.ElideRight
                maximumLineCount: 1
            }
        }
        ComboBox {
            id: driveMenu
            objectName: "driveMenu"
            anchors.verticalCenter: parent.verticalCenter
            // Wide enough for its longest entry ("No drive required" in any language, or the
            // names of several drives), within limits that leave the app's name room.
            width: Math.min(180, Math.max(120, widestTitle() + leftPadding + rightPadding + 4))
            height: 24
            enabled: root.tab.isDriveMenuEnabled
            model: root.driveEntries
            textRole: "title"
            valueRole: "value"
            currentIndex: root.driveIndex
            font: VelmoraTypography.caption
            // The open list shows whole entries, its right edge under the box's.
            popup.width: Math.max(width, Math.min(320, widestTitle() + 28))
            popup.x: width - popup.width
            // Entries in the box's font, which is the one they are measured in.
            delegate: ItemDelegate {
                required property var modelData
                required property int index
                width: ListView.view ? ListView.view.width : implicitWidth
                text: modelData.title
                font: driveMenu.font
                highlighted: driveMenu.highlightedIndex === index
            }
            FontMetrics {
                id: menuMetrics
                font: driveMenu.font
            }
            function widestTitle() {
                let widest = 0
                const entries = root.driveEntries
                for (let i = 0; i < entries.length; ++i)
                    widest = Math.max(widest, menuMetrics.advanceWidth(entries[i].title))
                return Math.ceil(widest)
            }
            onActivated: index => {
                root.tab.selectDrive(root.appId, valueAt(index))
                currentIndex = Qt.binding(() => root.driveIndex)
            }
            background: Rectangle {
                radius: 5
                color: VelmoraColors.controlBackground
                border.color: VelmoraColors.separator
                opacity: driveMenu.enabled ? 1 : 0.5
            }
            indicator: Text {
                x: driveMenu.width - width - 6
                anchors.verticalCenter: parent.verticalCenter
                text: "▾"
                font.pixelSize: 11
                color: VelmoraColors.textSecondary
            }
            leftPadding: 6
            rightPadding: 16
            contentItem: Text {
                text: driveMenu.displayText
                font: driveMenu.font
                color: driveMenu.enabled ? VelmoraColors.textPrimary : VelmoraColors.textSecondary
                verticalAlignment: Text.AlignVCenter
                elide: Text.ElideRight
            }
        }
        Row {
            id: controls
            anchors.verticalCenter: parent.verticalCenter
            width: 80
            layoutDirection: Qt.RightToLeft
            spacing: 16
            Item {
                objectName: "trashButton"
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
                    onTapped: root.tab.remove(root.appId)
                }
            }
            GoldSwitchStyle {
                id: protectionSwitch
                objectName: "protectionSwitch"
                anchors.verticalCenter: parent.verticalCenter
                checked: root.isEnabled
                onToggled: {
                    root.tab.toggle(root.appId)
                    checked = Qt.binding(() => root.isEnabled)
                }
            }
        }
    }
}
