#pragma once

#include "ports/KeyMonitor.h"

#include <QObject>
#include <map>
#include <optional>

// Sees the key presses of every window of this program through an application-wide event filter,
// installed only while someone listens. A dropped key press also keeps its shortcut (a menu
// action's Ctrl+Q, say) from firing.
class QtKeyMonitor : public QObject, public KeyMonitor {
    Q_OBJECT

public:
    explicit QtKeyMonitor(QObject* parent = nullptr);
    ~QtKeyMonitor() override;

    Handle install(Filter filter) override;
    void remove(Handle handle) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool dropped(const KeyPress& press);

    Handle m_next = 1;
    std::map<Handle, Filter> m_filters;
    // A shortcut check already dropped this press; the key press that follows goes too, without
    // asking the filters twice.
    std::optional<KeyPress> m_droppedShortcut;
};
