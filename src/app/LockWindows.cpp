#include "app/LockWindows.h"

LockWindows::LockWindows(std::unique_ptr<OverlayCards> cards, const WindowsFactory& makeWindows)
    : m_cards(std::move(cards))
    , m_windows(makeWindows(*m_cards)) {}

std::unique_ptr<OverlayWindow> LockWindows::create(const QRect& screen, OverlayContent content) {
    return m_windows->create(screen, std::move(content));
}
