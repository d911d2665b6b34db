#include "session/HotKeyBackendSelector.h"

#include "dbus/PortalHotKeyBackend.h"
#include "session/DesktopSession.h"
#include "sway/SwayHotKeyBackend.h"
#include "x11/X11HotKeyBackend.h"

std::unique_ptr<HotKeyBackend> HotKeyBackendSelector::forSession(const DesktopSession& session,
                                                                 Logger& logger) {
    if (!session.isWayland())
        return std::make_unique<X11HotKeyBackend>(logger, X11HotKeyBackend::qtConnection());
    // Connecting a local socket is immediate: sway's socket answers at once or not at all.
    if (auto sway = SwayIpc::connectTo(session.swaySocket()))
        return std::make_unique<SwayHotKeyBackend>(logger, std::move(sway));
    return std::make_unique<PortalHotKeyBackend>(logger);
}
