#include "x11/QuickOverlayWindows.h"

#include "x11/LockOverlayWindow.h"

QuickOverlayWindows::QuickOverlayWindows(OverlayCards& cards, bool throughXWayland)
    : m_cards(cards)
    , m_throughXWayland(throughXWayland) {}

std::unique_ptr<OverlayWindow> QuickOverlayWindows::create(const QRect& screen,
                                                           OverlayContent content) {
    return std::make_unique<LockOverlayWindow>(m_cards.make(std::move(content)), screen,
                                               m_throughXWayland);
}
