#pragma once

#include "platform/OverlayWindows.h"

#include <QQmlEngine>

class AppIconSource;
class LanguageManager;
class Logger;
class ProtectedAppsManager;
class ProtectedDrivesManager;
class Workspace;

// Lock overlays as Qt Quick windows: one LockOverlayWindow with its own card per call, all from
// one QML engine with the style kit installed.
class QuickOverlayWindows : public OverlayWindows {
public:
    struct Dependencies {
        const ProtectedAppsManager& apps;
        const ProtectedDrivesManager& drives;
        Workspace& workspace;
        LanguageManager& language;
        AppIconSource& icons;
        Logger& logger;
    };

    explicit QuickOverlayWindows(Dependencies dependencies);

    std::unique_ptr<OverlayWindow> create(const QRect& screen, OverlayContent content) override;

    QQmlEngine& engine() { return m_engine; }

private:
    Dependencies m_deps;
    QQmlEngine m_engine;
};
