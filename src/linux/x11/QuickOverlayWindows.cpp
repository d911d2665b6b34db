#include "x11/QuickOverlayWindows.h"

#include "x11/LockOverlayWindow.h"

QuickOverlayWindows::QuickOverlayWindows(OverlayCards& cards)
    : m_cards(cards) {}

std::unique_ptr<OverlayWindow> QuickOverlayWindows::create(const QRect& screen,
                                                           OverlayContent content) {
    return std::make_unique<LockOverlayWindow>(m_cards.make(std::move(content)), screen);
}
