#pragma once

#include "model/OverlayDismissReason.h"
#include "model/ProtectedApp.h"
#include "ports/KeyMonitor.h"
#include "ports/OverlayState.h"
#include "ports/OverlayWindows.h"
#include "ports/Scheduler.h"

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class AppMonitorService;
class Defaults;
class Logger;
class Screens;
class SelfActivation;
class Workspace;

// The single owner of the lock overlays: one window per screen while a protected application is
// covered, a 60-second safety time-out, and optionally the program's own quit shortcuts swallowed.
class OverlayWindowService : public QObject, public OverlayState {
    Q_OBJECT

public:
    struct Dependencies {
        Scheduler& scheduler;
        Screens& screens;
        OverlayWindows& windows;
        KeyMonitor& keyMonitor;
        SelfActivation& selfActivation;
        Workspace& workspace;
        Defaults& defaults;
        Logger& logger;
    };

    static constexpr double overlayTimeoutSeconds = 60.0;
    static constexpr double activationDelaySeconds = 0.15;

    // The app monitor is only used when the user force-quits the covered application.
    OverlayWindowService(Dependencies dependencies, AppMonitorService& appMonitor,
                         QObject* parent = nullptr);
    ~OverlayWindowService() override;

    bool isShowing() const override { return !m_overlayWindows.empty(); }
    const std::optional<ProtectedApp>& currentApp() const { return m_currentApp; }
    std::size_t windowCount() const { return m_overlayWindows.size(); }

    void showDriveRequired(const ProtectedApp& app);
    void hide(OverlayDismissReason reason);

    // The covered application's name and the cause word "drive".
    std::function<void(const QString& name, const QString& cause)> onUnlocked;

signals:
    // The overlays went up or came down, whatever the reason (drive, panic, time-out, Force Quit).
    void showingChanged();

private:
    void createOverlayWindows(const ProtectedApp& app, std::size_t fromScreen);
    void startTimeoutTimer();
    void stopTimeoutTimer();
    void installLocalIntercept();
    void removeLocalIntercept();
    void activateProtectedApp(const QString& bundleIdentifier);
    void screensDidChange();

    Dependencies m_deps;
    AppMonitorService& m_appMonitor;
    std::vector<std::unique_ptr<OverlayWindow>> m_overlayWindows;
    std::optional<Scheduler::Handle> m_timeoutTimer;
    std::optional<ProtectedApp> m_currentApp;
    std::optional<KeyMonitor::Handle> m_localEventMonitor;
};
