#pragma once

#include <QJsonDocument>
#include <QString>
#include <sys/types.h>

// Reading sway's layout tree (its get_tree reply).
class SwayTree {
public:
    // The process of the focused window when that window carries this app_id (Wayland) or window
    // class (XWayland); 0 when another window has the focus by now, or none does.
    static pid_t focusedPid(const QJsonDocument& tree, const QString& appId);
};
