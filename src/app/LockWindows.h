#pragma once

#include "ports/OverlayCards.h"

#include <functional>
#include <memory>

// The lock windows of this session's kind (X11 windows or layer-shell surfaces) together with the
// cards they show, which must outlive them.
class LockWindows : public OverlayWindows {
public:
    using WindowsFactory = std::function<std::unique_ptr<OverlayWindows>(OverlayCards&)>;

    LockWindows(std::unique_ptr<OverlayCards> cards, const WindowsFactory& makeWindows);

    std::unique_ptr<OverlayWindow> create(const QRect& screen, OverlayContent content) override;

private:
    std::unique_ptr<OverlayCards> m_cards;
    std::unique_ptr<OverlayWindows> m_windows;
};
