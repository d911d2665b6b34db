#pragma once

#include "platform/OverlayWindows.h"

#include <QQmlEngine>
#include <memory>

class AppIconSource;
class LanguageManager;
class LockOverlayViewModel;
class Logger;
class ProtectedAppsManager;
class ProtectedDrivesManager;
class Workspace;

// Lock overlays as Qt Quick windows: one LockOverlayWindow with its own card per call, all from
// one QML engine with the style kit installed. The engine is made for the first card and goes
// with the last one: a tray program that locks now and then keeps nothing of it in between.
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

    // The engine of the cards showing now; null when none shows.
    std::shared_ptr<QQmlEngine> engine() const { return m_engine.lock(); }
    // The engine of the cards showing now, made when none shows. Other kinds of lock windows
    // share it, and the card's model, with these.
    std::shared_ptr<QQmlEngine> makeEngine();
    // A card's model; its dismissal runs once the press that caused it has been handled.
    std::unique_ptr<LockOverlayViewModel> makeModel(OverlayContent content);

private:
    Dependencies m_deps;
    std::weak_ptr<QQmlEngine> m_engine;
};
