#include "platform/linux/HotKeyBackendSelector.h"

#include "platform/linux/PortalHotKeyBackend.h"
#include "platform/linux/X11HotKeyBackend.h"

std::unique_ptr<HotKeyBackend> HotKeyBackendSelector::forSession(Logger& logger) {
    if (!qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return std::make_unique<PortalHotKeyBackend>(logger);
    return std::make_unique<X11HotKeyBackend>(logger, X11HotKeyBackend::qtConnection());
}
