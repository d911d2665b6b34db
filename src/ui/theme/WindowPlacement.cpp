#include "theme/WindowPlacement.h"

#include <QScreen>
#include <QWindow>

void WindowPlacement::centre(QWindow& window, const QScreen* screen, QSize size) {
    if (!screen)
        return;
    window.setPosition(screen->availableGeometry().center() -
                       QPoint(size.width() / 2, size.height() / 2));
}
