#include "x11/ActiveWindowWatcher.h"

#include "x11/XcbSession.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <cstdlib>
#include <xcb/xcb.h>

ActiveWindowWatcher::ActiveWindowWatcher(XcbSession& session, ActivationHandler onActivated,
                                         QObject* parent)
    : QObject(parent)
    , m_session(session)
    , m_onActivated(std::move(onActivated))
    , m_notifier(new QSocketNotifier(session.fileDescriptor(), QSocketNotifier::Read, this)) {
    const std::uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(session.connection(), session.root(), XCB_CW_EVENT_MASK, &mask);
    xcb_flush(session.connection());
    connect(m_notifier, &QSocketNotifier::activated, this, [this] { readEvents(true); });
    // Waiting for a reply can pull events into xcb's queue without waking the socket notifier.
    if (auto* dispatcher = QCoreApplication::eventDispatcher())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                [this] { readEvents(false); });
    activeWindowChanged();
}

void ActiveWindowWatcher::readEvents(bool fromSocket) {
    xcb_connection_t* connection = m_session.connection();
    // A server that went away leaves the socket readable for ever; stop listening to it.
    if (xcb_connection_has_error(connection)) {
        m_notifier->setEnabled(false);
        return;
    }
    bool activeChanged = false;
    while (xcb_generic_event_t* event = fromSocket ? xcb_poll_for_event(connection)
                                                   : xcb_poll_for_queued_event(connection)) {
        if ((event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY) {
            const auto* notify = reinterpret_cast<xcb_property_notify_event_t*>(event);
            activeChanged = activeChanged || (notify->window == m_session.root() &&
                                              notify->atom == m_session.activeWindowAtom());
        }
        std::free(event);
    }
    if (activeChanged)
        activeWindowChanged();
}

void ActiveWindowWatcher::activeWindowChanged() {
    const auto window = m_session.firstValue(m_session.root(), m_session.activeWindowAtom());
    const auto pid =
        window && *window ? m_session.firstValue(*window, m_session.wmPidAtom()) : std::nullopt;
    const pid_t active = pid ? static_cast<pid_t>(*pid) : 0;
    if (active == m_activePid)
        return;
    m_activePid = active;
    if (active > 0)
        m_onActivated(active);
}
