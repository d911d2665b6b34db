#pragma once

#include "ports/KeyMonitor.h"

#include <map>

class FakeKeyMonitor : public KeyMonitor {
public:
    Handle install(Filter filter) override {
        m_filters.emplace(m_next, std::move(filter));
        return m_next++;
    }
    void remove(Handle handle) override { m_filters.erase(handle); }

    // Whether the press was dropped by an installed filter. The filter installed last sees a
    // press first, as with the real event filters.
    bool press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        for (auto it = m_filters.rbegin(); it != m_filters.rend(); ++it) {
            if (it->second(KeyPress{key, modifiers}))
                return true;
        }
        return false;
    }
    std::size_t installedCount() const { return m_filters.size(); }

private:
    Handle m_next = 1;
    std::map<Handle, Filter> m_filters;
};
