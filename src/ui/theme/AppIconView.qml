import QtQuick

// An application's icon by desktop-file ID, `size` pixels square with rounded corners; the grey
// placeholder when the application or its icon cannot be found.
Image {
    id: root
    property string bundleIdentifier: ""
    property real size: 64

    width: size
    height: size
    sourceSize: Qt.size(Math.ceil(size), Math.ceil(size))
    source: "image://velmoraappicon/" + encodeURIComponent(bundleIdentifier)
    cache: false
    smooth: true
}
