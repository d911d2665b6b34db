#pragma once

#include "ports/MenuBarWindows.h"

#include <QObject>
#include <QQuickWindow>
#include <memory>

class Logger;
class MenuBarViewModel;
class QQmlEngine;
class QQuickItem;

// The tray panel: a 260 × 300 frameless popup holding MenuBarView. It holds the pointer while
// open, and a click anywhere outside it, Escape or losing the focus closes it.
class MenuBarPanelWindow : public QObject, public MenuBarPanel {
    Q_OBJECT

public:
    static QSize panelSize() { return {260, 300}; }

    MenuBarPanelWindow(QQmlEngine& engine, MenuBarViewModel& model, Logger& logger);
    ~MenuBarPanelWindow() override;

    bool isShown() const override { return m_window->isVisible(); }
    void showNear(const QRect& anchor) override;
    void close() override { m_window->close(); }
    QScreen* screen() const override { return m_window->screen(); }

    QQuickWindow& window() { return *m_window; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showAt(QPoint topLeft, QScreen* screen);

    std::unique_ptr<QQuickWindow> m_window;
    std::unique_ptr<QQuickItem> m_view;
};
