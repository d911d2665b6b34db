#pragma once

#include <Qt>
#include <cstdint>
#include <functional>

// One key press addressed to this program.
struct KeyPress {
    int key = 0; // Qt::Key
    Qt::KeyboardModifiers modifiers;
};

// Sees every key press of this program before it is handled, and may drop it. The filter
// installed last sees a press first.
class KeyMonitor {
public:
    using Handle = std::uint64_t;
    // Returns true to drop the key press.
    using Filter = std::function<bool(const KeyPress&)>;

    virtual ~KeyMonitor() = default;
    virtual Handle install(Filter filter) = 0;
    virtual void remove(Handle handle) = 0;
};
