#pragma once

#include "ports/MenuBarWindows.h"

#include <QObject>
#include <QQuickWindow>
#include <memory>

class Logger;
class MenuBarViewModel;
class QQmlEngine;
class QQuickItem;

// The tray panel: a frameless popup 260 wide and as tall as MenuBarView's rows, placed inside the
// free area of the icon's screen. It holds the pointer while open, and a click anywhere outside
// it, Escape or losing the focus closes it.
class MenuBarPanelWindow : public QObject, public MenuBarPanel {
    Q_OBJECT

public:
    static constexpr int panelWidth = 260;
    // The view's own height; a fixed one when the view did not load.
    QSize panelSize() const;

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
    void place();
    void fitToView();

    std::unique_ptr<QQuickWindow> m_window;
    std::unique_ptr<QQuickItem> m_view;
    QRect m_anchor;
};
