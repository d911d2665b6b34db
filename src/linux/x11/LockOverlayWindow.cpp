#include "x11/LockOverlayWindow.h"

#include "x11/X11KeyboardGrab.h"
#include "x11/X11OverlayHints.h"

#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickItem>
#include <utility>

namespace {

xcb_connection_t* x11Connection() {
    if (QGuiApplication::platformName() != QStringLiteral("xcb"))
        return nullptr;
    const auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// A focused full-screen window outranks even "above" windows in several X11 window managers;
// only a window the manager does not stack (override-redirect) stays on top of it. Such a window
// is also on every desktop and never focused by the manager: the keyboard grab focuses it.
Qt::WindowFlags overlayFlags(bool throughXWayland) {
    Qt::WindowFlags flags = Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool;
    xcb_connection_t* connection = x11Connection();
    if (connection && X11OverlayHints::mayBypassWindowManager(
                          X11OverlayHints::windowManagerName(connection), throughXWayland))
        flags |= Qt::BypassWindowManagerHint;
    return flags;
}

} // namespace

LockOverlayWindow::LockOverlayWindow(OverlayCard card, const QRect& screen, bool throughXWayland,
                                     std::shared_ptr<X11KeyboardGrab> keyboard, QString appName)
    : m_engine(std::move(card.engine))
    , m_window(std::make_unique<QQuickWindow>())
    , m_model(std::move(card.model))
    , m_keyboard(std::move(keyboard))
    , m_appName(std::move(appName)) {
    m_window->setFlags(overlayFlags(throughXWayland));
    m_window->setColor(Qt::transparent);
    QSurfaceFormat format = m_window->format();
    format.setAlphaBufferSize(8);
    m_window->setFormat(format);
    m_window->setTitle(QStringLiteral("Velmora"));
    m_view = card.loadView(*m_window, m_model.get());
    QObject::connect(m_window.get(), &QWindow::widthChanged, m_window.get(), [this] {
        if (m_view)
            m_view->setSize(m_window->size());
    });
    QObject::connect(m_window.get(), &QWindow::heightChanged, m_window.get(), [this] {
        if (m_view)
            m_view->setSize(m_window->size());
    });
    setGeometry(screen);
    applyPlatformHints();
    // A managed window asks to be full screen; an unmanaged one already covers it.
    if (!m_window->flags().testFlag(Qt::BypassWindowManagerHint))
        m_window->setWindowStates(Qt::WindowFullScreen);
    m_window->show();
    if (m_keyboard)
        m_keyboard->hold(m_appName, static_cast<xcb_window_t>(m_window->winId()));
}

LockOverlayWindow::~LockOverlayWindow() {
    releaseKeyboard();
    // The view reads the model until it is gone.
    m_view.reset();
}

void LockOverlayWindow::setGeometry(const QRect& screen) {
    m_window->setGeometry(screen);
    if (m_view)
        m_view->setSize(screen.size());
}

void LockOverlayWindow::close() {
    releaseKeyboard();
    m_window->close();
}

void LockOverlayWindow::releaseKeyboard() {
    if (m_keyboard)
        std::exchange(m_keyboard, nullptr)->release(m_appName);
}

void LockOverlayWindow::applyPlatformHints() {
    xcb_connection_t* connection = x11Connection();
    if (!connection)
        return;
    m_window->create();
    const auto id = static_cast<xcb_window_t>(m_window->winId());
    X11OverlayHints::keepOnEveryDesktop(connection, id);
    // Without a blurring compositor the view draws an opaque backdrop instead.
    if (X11OverlayHints::blurBehind(connection, id) && m_view)
        m_view->setProperty("blurredBehind", true);
}
