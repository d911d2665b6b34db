#include "qt/QtKeyMonitor.h"

#include <QCoreApplication>
#include <QKeyEvent>

namespace {

bool samePress(const KeyPress& a, const KeyPress& b) {
    return a.key == b.key && a.modifiers == b.modifiers;
}

} // namespace

QtKeyMonitor::QtKeyMonitor(QObject* parent)
    : QObject(parent) {}

QtKeyMonitor::~QtKeyMonitor() {
    if (!m_filters.empty() && QCoreApplication::instance())
        QCoreApplication::instance()->removeEventFilter(this);
}

KeyMonitor::Handle QtKeyMonitor::install(Filter filter) {
    if (m_filters.empty())
        QCoreApplication::instance()->installEventFilter(this);
    m_filters.emplace(m_next, std::move(filter));
    return m_next++;
}

void QtKeyMonitor::remove(Handle handle) {
    if (m_filters.erase(handle) == 0 || !m_filters.empty())
        return;
    QCoreApplication::instance()->removeEventFilter(this);
    m_droppedShortcut.reset();
}

bool QtKeyMonitor::eventFilter(QObject* watched, QEvent* event) {
    const bool shortcutCheck = event->type() == QEvent::ShortcutOverride;
    // A key event reaches its window first, then is passed on to items and widgets inside;
    // looking only at the window sees each press once.
    if ((!shortcutCheck && event->type() != QEvent::KeyPress) || !watched->isWindowType())
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const KeyPress press{key->key(), key->modifiers()};
    if (shortcutCheck) {
        if (!dropped(press))
            return false;
        // Accepting the check turns the shortcut back into a plain key press, dropped below.
        event->accept();
        m_droppedShortcut = press;
        return true;
    }
    if (m_droppedShortcut && samePress(*m_droppedShortcut, press)) {
        m_droppedShortcut.reset();
        return true;
    }
    m_droppedShortcut.reset();
    return dropped(press);
}

bool QtKeyMonitor::dropped(const KeyPress& press) {
    // A filter may remove itself while it runs.
    const auto filters = m_filters;
    for (const auto& [handle, filter] : filters) {
        if (filter(press))
            return true;
    }
    return false;
}
