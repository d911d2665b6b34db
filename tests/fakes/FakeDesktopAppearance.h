#pragma once

#include "ports/DesktopAppearance.h"

class FakeDesktopAppearance : public DesktopAppearance {
public:
    ColorScheme colorScheme() const override { return scheme; }
    void change(ColorScheme newScheme) {
        scheme = newScheme;
        notifyChanged();
    }

    ColorScheme scheme = ColorScheme::noPreference;
};
