#include "services/OverlayWindowService.h"

#include "model/Defaults.h"
#include "model/LogName.h"
#include "ports/Logger.h"
#include "ports/Screens.h"
#include "ports/SelfActivation.h"
#include "ports/Workspace.h"
#include "services/AppMonitorService.h"

#include <QPointer>

namespace {

// The program's own quit, close, hide and minimise keys, by the key codes the log reports.
std::optional<int> swallowedKeyCode(int key) {
    switch (key) {
    case Qt::Key_Q:
        return 12;
    case Qt::Key_W:
        return 13;
    case Qt::Key_H:
        return 4;
    case Qt::Key_M:
        return 46;
    default:
        return std::nullopt;
    }
}

} // namespace

OverlayWindowService::OverlayWindowService(Dependencies dependencies, AppMonitorService& appMonitor,
                                           QObject* parent)
    : QObject(parent)
    , m_deps(dependencies)
    , m_appMonitor(appMonitor) {
    QPointer<OverlayWindowService> self(this);
    m_deps.screens.setChangeHandler([self] {
        if (self)
            self->screensDidChange();
    });
}

OverlayWindowService::~OverlayWindowService() {
    m_deps.screens.setChangeHandler({});
}

void OverlayWindowService::showDriveRequired(const ProtectedApp& app) {
    if (isShowing())
        return;
    m_currentApp = app;
    createOverlayWindows(app, 0);
    startTimeoutTimer();
    if (m_deps.defaults.appSettings().preventQuitWhenLocked) {
        m_deps.selfActivation.activate();
        installLocalIntercept();
    }
    m_deps.logger.log(QStringLiteral("[Velmora] Overlay shown for: %1 (drive not mounted)")
                          .arg(logName(app.name)));
    emit showingChanged();
}

void OverlayWindowService::hide(OverlayDismissReason reason) {
    stopTimeoutTimer();
    removeLocalIntercept();
    const std::optional<ProtectedApp> app = std::exchange(m_currentApp, std::nullopt);
    // Taken out of the list first: closing may run code that asks whether an overlay is showing.
    auto windows = std::exchange(m_overlayWindows, {});
    for (auto& window : windows)
        window->close();
    if (!windows.empty())
        emit showingChanged();

    switch (reason) {
    case OverlayDismissReason::driveAvailable: {
        if (!app)
            return;
        if (onUnlocked)
            onUnlocked(app->name, QStringLiteral("drive"));
        QPointer<OverlayWindowService> self(this);
        const QString bundleIdentifier = app->bundleIdentifier;
        m_deps.scheduler.once(activationDelaySeconds, [self, bundleIdentifier] {
            if (self)
                self->activateProtectedApp(bundleIdentifier);
        });
        break;
    }
    case OverlayDismissReason::forceQuit:
        if (app)
            m_appMonitor.removePendingLock(app->bundleIdentifier);
        break;
    case OverlayDismissReason::cancelled:
        break;
    }
    m_deps.logger.log(QStringLiteral("[Velmora] Overlay dismissed (reason: %1)")
                          .arg(OverlayDismissReasons::text(reason)));
}

void OverlayWindowService::createOverlayWindows(const ProtectedApp& app, std::size_t fromScreen) {
    const QList<QRect> screens = m_deps.screens.screens();
    QPointer<OverlayWindowService> self(this);
    for (auto i = static_cast<qsizetype>(fromScreen); i < screens.size(); ++i) {
        OverlayContent content{app.name, app.bundleIdentifier,
                               [self](OverlayDismissReason reason) {
                                   if (self)
                                       self->hide(reason);
                               },
                               m_appMonitor.startedWhileAway(app.bundleIdentifier)};
        m_overlayWindows.push_back(m_deps.windows.create(screens.at(i), std::move(content)));
    }
}

void OverlayWindowService::startTimeoutTimer() {
    QPointer<OverlayWindowService> self(this);
    const double interval = overlayTimeoutSeconds;
    Logger& logger = m_deps.logger;
    m_timeoutTimer = m_deps.scheduler.once(interval, [self, interval, &logger] {
        logger.log(
            QStringLiteral("[Velmora Safety] Overlay timeout reached (%1s) — auto-dismissing")
                .arg(interval, 0, 'f', 0));
        if (!self)
            return;
        self->m_timeoutTimer.reset();
        self->hide(OverlayDismissReason::cancelled);
    });
}

void OverlayWindowService::stopTimeoutTimer() {
    if (m_timeoutTimer)
        m_deps.scheduler.cancel(*m_timeoutTimer);
    m_timeoutTimer.reset();
}

void OverlayWindowService::installLocalIntercept() {
    if (m_localEventMonitor)
        return;
    Logger& logger = m_deps.logger;
    m_localEventMonitor = m_deps.keyMonitor.install([&logger](const KeyPress& press) {
        const auto keyCode = swallowedKeyCode(press.key);
        if (!press.modifiers.testFlag(Qt::ControlModifier) || !keyCode)
            return false;
        logger.log(
            QStringLiteral("[Velmora] Swallowed shortcut keyCode=%1 while locked").arg(*keyCode));
        return true;
    });
    m_deps.logger.log(QStringLiteral("[Velmora] Local event intercept installed"));
}

void OverlayWindowService::removeLocalIntercept() {
    if (!m_localEventMonitor)
        return;
    m_deps.keyMonitor.remove(*m_localEventMonitor);
    m_localEventMonitor.reset();
    m_deps.logger.log(QStringLiteral("[Velmora] Local event intercept removed"));
}

void OverlayWindowService::activateProtectedApp(const QString& bundleIdentifier) {
    for (const RunningApplication& running : m_deps.workspace.runningApplications()) {
        if (running.bundleIdentifier != bundleIdentifier)
            continue;
        m_deps.workspace.activate(running);
        m_deps.logger.log(
            QStringLiteral("[Velmora] Activated app: %1").arg(logName(bundleIdentifier)));
        return;
    }
    m_deps.logger.log(QStringLiteral("[Velmora] App not running, skipping activation: %1")
                          .arg(logName(bundleIdentifier)));
}

// Windows are matched to screens by position in the two lists, not by identity.
void OverlayWindowService::screensDidChange() {
    if (!isShowing())
        return;
    const QList<QRect> screens = m_deps.screens.screens();
    const auto count = static_cast<std::size_t>(screens.size());
    for (std::size_t i = 0; i < m_overlayWindows.size() && i < count; ++i)
        m_overlayWindows[i]->setGeometry(screens.at(static_cast<qsizetype>(i)));
    while (m_overlayWindows.size() > count) {
        std::unique_ptr<OverlayWindow> last = std::move(m_overlayWindows.back());
        m_overlayWindows.pop_back();
        last->close();
    }
    if (m_currentApp && m_overlayWindows.size() < count)
        createOverlayWindows(*m_currentApp, m_overlayWindows.size());
    m_deps.logger.log(
        QStringLiteral("[Velmora] Overlays repositioned for screen change (%1 screens)")
            .arg(screens.size()));
}
