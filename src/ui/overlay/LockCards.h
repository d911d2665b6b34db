#pragma once

#include "ports/OverlayCards.h"

#include <QQmlEngine>
#include <memory>

class AppIconSource;
class LanguageManager;
class LockOverlayViewModel;
class Logger;
class ProtectedAppsManager;
class ProtectedDrivesManager;
class Workspace;

// The lock cards: a LockOverlayView with its own LockOverlayViewModel each, all from one QML
// engine with the style kit installed. The engine is made for the first card and goes with the
// last one: a tray program that locks now and then keeps nothing of it in between.
class LockCards : public OverlayCards {
public:
    struct Dependencies {
        const ProtectedAppsManager& apps;
        const ProtectedDrivesManager& drives;
        Workspace& workspace;
        LanguageManager& language;
        AppIconSource& icons;
        Logger& logger;
    };

    explicit LockCards(Dependencies dependencies);

    OverlayCard make(OverlayContent content) override;

    // The engine of the cards showing now; null when none shows.
    std::shared_ptr<QQmlEngine> engine() const { return m_engine.lock(); }

private:
    std::shared_ptr<QQmlEngine> makeEngine();
    // Its dismissal runs once the press that caused it has been handled.
    std::unique_ptr<LockOverlayViewModel> makeModel(OverlayContent content);

    Dependencies m_deps;
    std::weak_ptr<QQmlEngine> m_engine;
};
