#include "services/UpdateService.h"

#include "ports/KeyValueStore.h"
#include "ports/Logger.h"
#include "ports/Notifier.h"
#include "ports/UpdateWindow.h"
#include "services/LanguageManager.h"
#include "services/VersionNumber.h"

#include <algorithm>

namespace {

std::optional<AppcastItem> newest(const QList<AppcastItem>& items) {
    std::optional<AppcastItem> best;
    for (const AppcastItem& item : items) {
        if (item.version.isEmpty())
            continue;
        if (!best || VersionNumber::compare(item.version, best->version) > 0)
            best = item;
    }
    return best;
}

} // namespace

UpdateService::UpdateService(Dependencies dependencies)
    : m_deps(std::move(dependencies))
    , m_viewModel(m_deps.currentVersion, m_deps.openUrl) {}

UpdateService::~UpdateService() {
    *m_alive = false;
    m_deps.scheduler.cancel(m_timer);
}

void UpdateService::start() {
    if (!m_deps.updater.hasFeed()) {
        m_deps.logger.log(
            QStringLiteral("[Velmora] No update feed; updates come from the package manager"));
        return;
    }
    double delay = firstCheckDelay;
    const std::optional<QByteArray> stored = m_deps.store.bytes(lastCheckKey);
    const QDateTime last =
        stored ? QDateTime::fromString(QString::fromUtf8(*stored), Qt::ISODateWithMs) : QDateTime();
    if (last.isValid()) {
        const double dueIn =
            double(m_deps.now().msecsTo(last.addSecs(qint64(checkInterval)))) / 1000.0;
        delay = std::max(firstCheckDelay, dueIn);
    }
    scheduleNext(delay);
}

void UpdateService::checkForUpdates() {
    if (!m_deps.updater.hasFeed()) {
        m_viewModel.showPackageManager();
        showWindow();
        return;
    }
    m_viewModel.showChecking();
    showWindow();
    std::weak_ptr<bool> alive = m_alive;
    m_deps.updater.fetch([this, alive](const UpdateFeed& feed) {
        if (alive.lock())
            finish(feed, true);
    });
}

void UpdateService::scheduleNext(double delaySeconds) {
    m_deps.scheduler.cancel(m_timer);
    m_timer = m_deps.scheduler.once(delaySeconds, [this] { runScheduledCheck(); });
}

void UpdateService::runScheduledCheck() {
    std::weak_ptr<bool> alive = m_alive;
    m_deps.updater.fetch([this, alive](const UpdateFeed& feed) {
        if (!alive.lock())
            return;
        m_deps.store.setBytes(lastCheckKey,
                              m_deps.now().toUTC().toString(Qt::ISODateWithMs).toUtf8());
        scheduleNext(checkInterval);
        finish(feed, false);
    });
}

void UpdateService::finish(const UpdateFeed& feed, bool userInitiated) {
    if (feed.error)
        return fail(*feed.error, userInitiated);
    const std::optional<AppcastItem> latest = newest(feed.items);
    if (!latest)
        return fail(QStringLiteral("The update feed lists no release"), userInitiated);
    if (VersionNumber::compare(latest->version, m_deps.currentVersion) <= 0) {
        if (userInitiated) {
            m_viewModel.showUpToDate();
            showWindow();
        }
        return;
    }
    const QString shown =
        latest->displayVersion.isEmpty() ? latest->version : latest->displayVersion;
    m_deps.logger.log(QStringLiteral("[Velmora] Update available: %1").arg(shown));
    if (!userInitiated && !m_deps.window.isProgramActive()) {
        m_deps.notifier.post(
            notificationIdentifier,
            m_deps.language.localized(QStringLiteral("Velmora Update Available")),
            m_deps.language.text(QStringLiteral("Version %@ is ready to install."), {shown}),
            false);
        return;
    }
    m_viewModel.showAvailable(shown, latest->notes, latest->downloadUrl);
    showWindow();
}

void UpdateService::fail(const QString& error, bool userInitiated) {
    m_deps.logger.log(QStringLiteral("[Velmora] Update check failed: %1").arg(error));
    if (!userInitiated)
        return;
    m_viewModel.showFailed(error);
    showWindow();
}

void UpdateService::showWindow() {
    m_deps.window.show(m_viewModel);
}
