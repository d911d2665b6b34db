#pragma once

#include "ports/OverlayCards.h"

// Lock overlays as Qt Quick windows (X11, and XWayland where the compositor has no layer-shell):
// one LockOverlayWindow per call, with a card of `cards`.
class QuickOverlayWindows : public OverlayWindows {
public:
    // `throughXWayland`: the X server is a Wayland compositor's XWayland.
    QuickOverlayWindows(OverlayCards& cards, bool throughXWayland);

    std::unique_ptr<OverlayWindow> create(const QRect& screen, OverlayContent content) override;

private:
    OverlayCards& m_cards;
    bool m_throughXWayland;
};
