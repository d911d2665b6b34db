#pragma once

#include "ports/OverlayCards.h"

#include <memory>

class Logger;
class X11KeyboardGrab;

// Lock overlays as Qt Quick windows (X11, and XWayland where the compositor has no layer-shell):
// one LockOverlayWindow per call, with a card of `cards`; together they hold the keyboard.
class QuickOverlayWindows : public OverlayWindows {
public:
    // `throughXWayland`: the X server is a Wayland compositor's XWayland.
    QuickOverlayWindows(OverlayCards& cards, bool throughXWayland, Logger& logger);
    ~QuickOverlayWindows() override;

    std::unique_ptr<OverlayWindow> create(const QRect& screen, OverlayContent content) override;

private:
    OverlayCards& m_cards;
    bool m_throughXWayland;
    // Shared with the windows, which may outlive this.
    std::shared_ptr<X11KeyboardGrab> m_keyboard;
};
