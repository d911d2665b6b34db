#include "tray/MenuBarPanelWindow.h"

#include "ports/Logger.h"
#include "theme/ViewLoader.h"
#include "tray/MenuBarViewModel.h"
#include "tray/PanelPlacement.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QQuickItem>
#include <QScreen>
#include <QtMath>

namespace {

const QUrl viewUrl(QStringLiteral("qrc:/qt/qml/Velmora/tray/MenuBarView.qml"));

QList<PanelPlacement::ScreenArea> screenAreas() {
    QList<PanelPlacement::ScreenArea> areas;
    for (QScreen* screen : QGuiApplication::screens())
        areas.append({screen->geometry(), screen->availableGeometry()});
    return areas;
}

} // namespace

MenuBarPanelWindow::MenuBarPanelWindow(QQmlEngine& engine, MenuBarViewModel& model, Logger& logger)
    : m_window(std::make_unique<QQuickWindow>()) {
    // A popup is left alone by the window manager and holds pointer and keyboard while shown.
    m_window->setFlags(Qt::Popup | Qt::FramelessWindowHint | Qt::NoDropShadowWindowHint);
    m_window->setTitle(QStringLiteral("Velmora"));
    m_window->resize(panelSize());
    m_window->setColor(QColor(30, 30, 30));
    m_window->installEventFilter(this);
    connect(m_window.get(), &QWindow::activeChanged, this, [this] {
        if (!m_window->isActive() && m_window->isVisible() &&
            QGuiApplication::focusWindow() != nullptr)
            m_window->close();
    });

    m_view = ViewLoader::load(engine, viewUrl, &model, *m_window, logger,
                              QStringLiteral("[Velmora] Tray panel view failed to load: %1"));
    if (m_view)
        connect(m_view.get(), &QQuickItem::implicitHeightChanged, this,
                &MenuBarPanelWindow::fitToView);
    fitToView();
}

MenuBarPanelWindow::~MenuBarPanelWindow() {
    m_view.reset();
}

QSize MenuBarPanelWindow::panelSize() const {
    const int height = m_view ? qCeil(m_view->implicitHeight()) : 0;
    return {panelWidth, height > 0 ? height : 300};
}

void MenuBarPanelWindow::showNear(const QRect& anchor) {
    m_anchor = anchor;
    place();
    m_window->show();
    m_window->requestActivate();
}

// The screens' free areas are read at every opening: panels come and go, and a program started
// with the session may have seen the screen before the desktop's bars were up.
void MenuBarPanelWindow::place() {
    const QList<PanelPlacement::ScreenArea> areas = screenAreas();
    const int index = PanelPlacement::screenFor(m_anchor, areas);
    if (index >= 0)
        m_window->setScreen(QGuiApplication::screens().at(index));
    m_window->setPosition(PanelPlacement::topLeft(m_anchor, panelSize(), areas));
}

// A row shown or hidden while open changes the height; the panel stays inside its screen.
void MenuBarPanelWindow::fitToView() {
    const QSize size = panelSize();
    m_window->resize(size);
    if (m_view)
        m_view->setSize(size);
    if (m_window->isVisible())
        place();
}

bool MenuBarPanelWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_window.get())
        return false;
    // A popup holds pointer and keyboard once it is on the screen, so a click elsewhere reaches
    // it and closes it.
    if (event->type() == QEvent::Expose && m_window->isExposed()) {
        m_window->setKeyboardGrabEnabled(true);
        m_window->setMouseGrabEnabled(true);
    }
    if (event->type() == QEvent::MouseButtonPress) {
        const auto* press = static_cast<QMouseEvent*>(event);
        if (!QRect(QPoint(0, 0), m_window->size()).contains(press->position().toPoint())) {
            m_window->close();
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        m_window->close();
        return true;
    }
    return false;
}
