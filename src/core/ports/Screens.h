#pragma once

#include <QList>
#include <QRect>
#include <functional>

// The connected screens, in the system's order, with their geometry in global coordinates.
class Screens {
public:
    virtual ~Screens() = default;
    virtual QList<QRect> screens() const = 0;
    // The part of each screen, in the same order, that ordinary windows may use: without panels
    // and docks.
    virtual QList<QRect> availableAreas() const { return screens(); }

    // Screens were added, removed or rearranged.
    void setChangeHandler(std::function<void()> handler) { m_changed = std::move(handler); }

protected:
    void notifyChanged() const {
        if (m_changed)
            m_changed();
    }

private:
    std::function<void()> m_changed;
};
