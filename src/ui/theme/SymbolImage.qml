import QtQuick

// A named symbol ("lock.fill", "trash", ...) drawn in one colour, `size` pixels square.
Image {
    id: root
    property string name
    property color color: "black"
    property real size: 16

    width: size
    height: size
    sourceSize: Qt.size(Math.ceil(size), Math.ceil(size))
    source: name === "" ? "" : "image://velmorasymbol/" + name + "/" + color.toString().substring(1)
    fillMode: Image.PreserveAspectFit
    smooth: true
}
