#pragma once

#include <QSize>

class QScreen;
class QWindow;

// Where the program's own dialogs open: in the middle of the screen's area free of panels.
class WindowPlacement {
public:
    // Leaves the window where it is when there is no screen.
    static void centre(QWindow& window, const QScreen* screen, QSize size);
};
