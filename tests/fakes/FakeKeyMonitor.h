#pragma once

#include "platform/KeyMonitor.h"

#include <map>

class FakeKeyMonitor : public KeyMonitor {
public:
    Handle install(Filter filter) override {
        m_filters.emplace(m_next, std::move(filter));
        return m_next++;
    }
    void remove(Handle handle) override { m_filters.erase(handle); }

    // Whether the press was dropped by an installed filter.
    bool press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        for (auto& [handle, filter] : m_filters) {
            if (filter(KeyPress{key, modifiers}))
                return true;
        }
        return false;
    }
    std::size_t installedCount() const { return m_filters.size(); }

private:
    Handle m_next = 1;
    std::map<Handle, Filter> m_filters;
};
