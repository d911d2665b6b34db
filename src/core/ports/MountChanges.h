#pragma once

#include <functional>

// Tells that something was mounted or unmounted, so the drives can be checked at once instead of
// at the next poll. Delivered on the main thread.
class MountChanges {
public:
    virtual ~MountChanges() = default;

    void setHandler(std::function<void()> handler) { m_changed = std::move(handler); }

protected:
    void notifyChanged() const {
        if (m_changed)
            m_changed();
    }

private:
    std::function<void()> m_changed;
};
