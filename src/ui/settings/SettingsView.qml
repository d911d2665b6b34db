import QtQuick
import QtQuick.Layouts
import Velmora.Theme

// The settings window's content: the tab bar across the top and the selected tab below it. When
// the model says so (a language change) every tab's content is built anew; the selection stays.
Rectangle {
    id: root
    // A SettingsViewModel.
    property QtObject model
    property QtObject generalModel: model ? model.generalModel : null
    property QtObject appsModel: model ? model.appsModel : null
    property QtObject drivesModel: model ? model.drivesModel : null

    readonly property var tabs: [
        { title: "General", symbol: "gearshape", file: "GeneralSettingsView.qml" },
        { title: "Apps", symbol: "square.grid.2x2", file: "AppsSettingsView.qml" },
        { title: "Drives", symbol: "externaldrive", file: "DriveSettingsView.qml" }
    ]

    width: 520
    height: 480
    color: VelmoraColors.controlBackground

    function tabModel(index) {
        return index === 0 ? generalModel : index === 1 ? appsModel : drivesModel
    }

    function reload() {
        for (let i = 0; i < tabs.length; ++i) {
            const loader = pages.children[i]
            const tabModel = root.tabModel(i)
            loader.sourceComponent = undefined
            loader.source = ""
            if (tabModel)
                loader.setSource(Qt.resolvedUrl(tabs[i].file), { model: tabModel })
            else
                loader.sourceComponent = placeholder
        }
    }

    Component.onCompleted: reload()
    Connections {
        target: root.model
        function onContentChanged() { root.reload() }
    }

    Row {
        id: tabBar
        anchors.top: parent.top
        anchors.topMargin: 8
        anchors.horizontalCenter: parent.horizontalCenter
        spacing: 4

        Repeater {
            model: root.tabs
            delegate: Rectangle {
                required property var modelData
                required property int index
                readonly property bool selected: root.model && root.model.selectedTab === index
                objectName: "tab-" + index
                width: 76
                height: 48
                radius: 6
                color: selected ? VelmoraColors.cardDark : "transparent"

                Column {
                    anchors.centerIn: parent
                    spacing: 3
                    SymbolImage {
                        anchors.horizontalCenter: parent.horizontalCenter
                        name: modelData.symbol
                        size: 20
                        color: selected ? VelmoraColors.gold : VelmoraColors.textSecondary
                    }
                    Text {
                        anchors.horizontalCenter: parent.horizontalCenter
                        text: Texts.t(modelData.title)
                        font: VelmoraTypography.caption
                        color: selected ? VelmoraColors.textPrimary : VelmoraColors.textSecondary
                    }
                }
                TapHandler {
                    onTapped: if (root.model) root.model.selectedTab = index
                }
            }
        }
    }

    Rectangle {
        id: divider
        anchors.top: tabBar.bottom
        anchors.topMargin: 8
        width: parent.width
        height: 1
        color: VelmoraColors.separator
    }

    StackLayout {
        id: pages
        objectName: "pages"
        anchors.top: divider.bottom
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        currentIndex: root.model ? root.model.selectedTab : 0

        Loader { objectName: "generalContent" }
        Loader { objectName: "appsContent" }
        Loader { objectName: "drivesContent" }
    }

    Component {
        id: placeholder
        Item {
            Text {
                anchors.centerIn: parent
                text: Texts.t(root.tabs[pages.currentIndex].title)
                font: VelmoraTypography.headline
                color: VelmoraColors.textSecondary
            }
        }
    }
}
