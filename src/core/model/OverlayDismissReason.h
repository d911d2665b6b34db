#pragma once

#include <QString>

// Why the lock overlays went away; it decides what happens to the covered application.
enum class OverlayDismissReason { driveAvailable, forceQuit, cancelled };

namespace OverlayDismissReasons {
inline QString text(OverlayDismissReason reason) {
    switch (reason) {
    case OverlayDismissReason::driveAvailable:
        return QStringLiteral("driveAvailable");
    case OverlayDismissReason::forceQuit:
        return QStringLiteral("forceQuit");
    case OverlayDismissReason::cancelled:
        return QStringLiteral("cancelled");
    }
    return QStringLiteral("cancelled");
}
} // namespace OverlayDismissReasons
