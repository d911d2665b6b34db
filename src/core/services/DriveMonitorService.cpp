#include "services/DriveMonitorService.h"

#include "model/AppKeys.h"
#include "model/Defaults.h"
#include "model/LogName.h"
#include "model/ProtectedDrivesManager.h"
#include "model/Uuid.h"
#include "ports/Logger.h"
#include "ports/Notifier.h"
#include "ports/VolumeSource.h"
#include "services/DriveKeyVerifier.h"
#include "services/LanguageManager.h"
#include "services/StringFormat.h"

#include <QPointer>
#include <algorithm>

DriveMonitorService::DriveMonitorService(Dependencies dependencies, QObject* parent)
    : QObject(parent)
    , m_deps(dependencies) {
    // A key check that answered may make a drive present: tell at once, not one interval later.
    if (m_deps.keys)
        connect(m_deps.keys, &DriveKeyVerifier::verdictChanged, this,
                &DriveMonitorService::checkNow);
}

void DriveMonitorService::startPolling() {
    // The stored value is not range-checked; below one second the poll would spin the processor.
    const double interval =
        std::max(1.0, static_cast<double>(m_deps.defaults.appSettings().driveCheckIntervalSeconds));
    QPointer<DriveMonitorService> self(this);
    m_pollingTimer = m_deps.scheduler.repeating(interval, [self] {
        if (self)
            self->pollDriveStatus();
    });
    m_deps.logger.log(QStringLiteral("[Velmora] Drive polling started (every %1 seconds)")
                          .arg(interval, 0, 'f', 0));
}

void DriveMonitorService::restartPolling() {
    if (m_pollingTimer)
        m_deps.scheduler.cancel(*m_pollingTimer);
    m_pollingTimer.reset();
    startPolling();
}

bool DriveMonitorService::isDriveMounted(const ProtectedDrive& drive) const {
    const auto volumes = m_deps.volumes.mountedVolumes();
    if (!volumes)
        return false;
    for (const MountedVolume& volume : *volumes) {
        if (drive.volumeUUIDString) {
            if (volume.uuid == *drive.volumeUUIDString &&
                (!m_deps.keys || m_deps.keys->isGenuine(drive, volume)))
                return true;
        } else if (volume.name == drive.name) {
            return true;
        }
    }
    return false;
}

// Any one switched-on drive of the app unlocks it.
bool DriveMonitorService::isRequiredDriveAvailable(const ProtectedApp& app) const {
    if (!app.hasRequiredDrive())
        return true;
    const AppKeys keys(app, m_deps.drives.drives());
    if (keys.registered().isEmpty())
        return false;
    if (!keys.isLocked())
        return true;
    return std::any_of(keys.keys().begin(), keys.keys().end(),
                       [this](const ProtectedDrive& drive) { return isDriveMounted(drive); });
}

void DriveMonitorService::pollDriveStatus() {
    if (m_deps.keys) {
        if (const auto volumes = m_deps.volumes.mountedVolumes())
            m_deps.keys->forgetUnmounted(*volumes);
        m_deps.keys->reconfirm();
    }
    emit willChange();
    QList<ProtectedDrive> enabled;
    for (const ProtectedDrive& drive : m_deps.drives.drives()) {
        if (drive.isEnabled)
            enabled.append(drive);
    }
    const DriveDisconnectNotificationMode mode =
        m_deps.defaults.appSettings().driveDisconnectNotification;

    for (const ProtectedDrive& drive : enabled) {
        const bool mounted = isDriveMounted(drive);
        const bool notified = m_notifiedDisconnects.contains(drive.id);
        if (notified && mounted) {
            m_notifiedDisconnects.remove(drive.id);
            if (onRequiredDriveMounted)
                onRequiredDriveMounted(drive);
            sendReconnectNotification(drive.name);
            m_deps.logger.log(QStringLiteral("[Velmora] Required drive reconnected: %1")
                                  .arg(logName(drive.name)));
        } else if (notified && mode == DriveDisconnectNotificationMode::repeated) {
            sendDisconnectNotification(drive.name);
            m_deps.logger.log(
                QStringLiteral("[Velmora] Repeated notification for disconnected drive: %1")
                    .arg(logName(drive.name)));
        } else if (!notified && !mounted) {
            m_notifiedDisconnects.insert(drive.id);
            sendDisconnectNotification(drive.name);
            if (onRequiredDriveUnmounted)
                onRequiredDriveUnmounted(drive);
            m_deps.logger.log(QStringLiteral("[Velmora] Required drive disconnected: %1")
                                  .arg(logName(drive.name)));
        }
    }
}

void DriveMonitorService::sendDisconnectNotification(const QString& driveName) {
    m_deps.notifier.post(QStringLiteral("drive-disconnect-") + Uuid::toStored(QUuid::createUuid()),
                         text(QStringLiteral("硬盘已断开")),
                         text(QStringLiteral("移动硬盘「%@」已断开连接"), driveName), true);
}

void DriveMonitorService::sendReconnectNotification(const QString& driveName) {
    m_deps.notifier.post(QStringLiteral("drive-reconnect-") + Uuid::toStored(QUuid::createUuid()),
                         text(QStringLiteral("硬盘已连接")),
                         text(QStringLiteral("移动硬盘「%@」已重新连接"), driveName), true);
}

// Looked up at every post, so a notification follows a language change made since the last one.
QString DriveMonitorService::text(const QString& key, const QString& driveName) const {
    const QVariantList arguments{driveName};
    if (!m_deps.language)
        return StringFormat::format(key, arguments);
    return m_deps.language->text(key, arguments);
}
