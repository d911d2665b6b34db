#pragma once

#include <functional>

// Whether the desktop prefers light or dark colours; the answer may come late and may change.
class DesktopAppearance {
public:
    enum class ColorScheme { noPreference, dark, light };

    virtual ~DesktopAppearance() = default;
    virtual ColorScheme colorScheme() const = 0;

    void setChangeHandler(std::function<void()> handler) { m_changed = std::move(handler); }

protected:
    void notifyChanged() const {
        if (m_changed)
            m_changed();
    }

private:
    std::function<void()> m_changed;
};
