pragma Singleton
import QtQuick

// The type scale: the desktop's default family at fixed sizes (one point is one logical pixel).
QtObject {
    readonly property font largeTitle: Qt.font({ pixelSize: 28, weight: Font.Bold })
    readonly property font title: Qt.font({ pixelSize: 20, weight: Font.DemiBold })
    readonly property font headline: Qt.font({ pixelSize: 15, weight: Font.DemiBold })
    readonly property font body: Qt.font({ pixelSize: 13, weight: Font.Normal })
    readonly property font button: Qt.font({ pixelSize: 14, weight: Font.Medium })
    readonly property font caption: Qt.font({ pixelSize: 11, weight: Font.Normal })
}
