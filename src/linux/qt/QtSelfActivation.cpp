#include "qt/QtSelfActivation.h"

#include <QGuiApplication>
#include <QWindow>

void QtSelfActivation::activate() {
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        // Lock overlays never take focus; a window that may is what the user sees of the program.
        if (!window->isVisible() || window->flags().testFlag(Qt::WindowDoesNotAcceptFocus))
            continue;
        window->raise();
        window->requestActivate();
        return;
    }
}
