#pragma once

#include "model/ProtectedApp.h"
#include "model/ProtectedDrive.h"
#include "ports/Scheduler.h"

#include <QObject>
#include <QSet>
#include <QUuid>
#include <functional>
#include <optional>

class Defaults;
class DriveKeyVerifier;
class LanguageManager;
class Logger;
class Notifier;
class ProtectedDrivesManager;
class VolumeSource;

// Polls the enabled drives, notifies when one goes away or comes back, and tells the delegate.
// Also decides whether a registered drive is present; nothing is cached, every question asks the
// system for the mounted volumes again.
class DriveMonitorService : public QObject {
    Q_OBJECT

public:
    struct Dependencies {
        Scheduler& scheduler;
        Notifier& notifier;
        VolumeSource& volumes;
        ProtectedDrivesManager& drives;
        Defaults& defaults;
        Logger& logger;
        // Where the notification texts are looked up; without it they are the keys themselves.
        const LanguageManager* language = nullptr;
        // Tells the registered drive from a copy with its UUID; without it the UUID decides.
        DriveKeyVerifier* keys = nullptr;
    };

    explicit DriveMonitorService(Dependencies dependencies, QObject* parent = nullptr);

    // Starts the poll at the stored interval; the first poll runs one interval later. Called once,
    // at the delegate's start-up step.
    void startPolling();
    // Replaces the poll timer after the interval setting changed.
    void restartPolling();
    // An extra poll now, for a mount change seen between two polls.
    void checkNow() { pollDriveStatus(); }

    // Whether a mounted volume is this drive; ignores isEnabled. With a recorded UUID the UUID
    // and the key the drive carries decide, otherwise the volume name. Never waits on a drive.
    bool isDriveMounted(const ProtectedDrive& drive) const;
    // Whether the application may run as far as its drive is concerned. A drive record that no
    // longer exists counts as unavailable; a disabled drive as available.
    bool isRequiredDriveAvailable(const ProtectedApp& app) const;

    const QSet<QUuid>& notifiedDisconnects() const { return m_notifiedDisconnects; }

    std::function<void(const ProtectedDrive&)> onRequiredDriveUnmounted;
    std::function<void(const ProtectedDrive&)> onRequiredDriveMounted;

signals:
    // Sent at the start of every poll, so views re-read the mount state.
    void willChange();

private:
    void pollDriveStatus();
    void sendDisconnectNotification(const QString& driveName);
    void sendReconnectNotification(const QString& driveName);
    QString text(const QString& key, const QString& driveName = {}) const;

    Dependencies m_deps;
    QSet<QUuid> m_notifiedDisconnects;
    std::optional<Scheduler::Handle> m_pollingTimer;
};
