#include "x11/QuickOverlayWindows.h"

#include "x11/LockOverlayWindow.h"
#include "x11/X11HotKeyBackend.h"
#include "x11/X11KeyboardGrab.h"

QuickOverlayWindows::QuickOverlayWindows(OverlayCards& cards, bool throughXWayland, Logger& logger)
    : m_cards(cards)
    , m_throughXWayland(throughXWayland)
    , m_keyboard(std::make_shared<X11KeyboardGrab>(X11HotKeyBackend::qtConnection(), logger)) {}

QuickOverlayWindows::~QuickOverlayWindows() = default;

std::unique_ptr<OverlayWindow> QuickOverlayWindows::create(const QRect& screen,
                                                           OverlayContent content) {
    QString appName = content.appName;
    return std::make_unique<LockOverlayWindow>(m_cards.make(std::move(content)), screen,
                                               m_throughXWayland, m_keyboard, std::move(appName));
}
