#pragma once

#include "ports/Scheduler.h"
#include "ports/Updater.h"
#include "services/UpdateViewModel.h"

#include <QDateTime>
#include <functional>

class KeyValueStore;
class LanguageManager;
class Logger;
class Notifier;
class UpdateWindow;

// Looks for a newer release: on its own a minute after start-up and then once a day, and when the
// user asks. A release found while the user is elsewhere becomes a quiet notification; otherwise
// the update window shows what the check found.
class UpdateService {
public:
    static inline const QString lastCheckKey = QStringLiteral("lastUpdateCheck");
    static inline const QString notificationIdentifier = QStringLiteral("velmora-update");
    static constexpr double firstCheckDelay = 60;
    static constexpr double checkInterval = 24 * 60 * 60;

    struct Dependencies {
        Updater& updater;
        UpdateWindow& window;
        Notifier& notifier;
        Scheduler& scheduler;
        KeyValueStore& store;
        LanguageManager& language;
        Logger& logger;
        QString currentVersion;
        std::function<QDateTime()> now;
        std::function<void(const QUrl&)> openUrl;
    };

    explicit UpdateService(Dependencies dependencies);
    ~UpdateService();

    // Schedules the automatic checks; nothing when the build names no feed.
    void start();
    // The user asked: the update window opens at once and shows the result.
    void checkForUpdates();

    UpdateViewModel& viewModel() { return m_viewModel; }

private:
    void scheduleNext(double delaySeconds);
    void runScheduledCheck();
    void finish(const UpdateFeed& feed, bool userInitiated);
    void fail(const QString& error, bool userInitiated);
    void showWindow();

    Dependencies m_deps;
    UpdateViewModel m_viewModel;
    Scheduler::Handle m_timer = 0;
    // Answers that arrive after the service is gone are dropped.
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
