#pragma once

#include "model/ProtectedDrive.h"
#include "ports/DriveKeyFiles.h"
#include "ports/MountedVolume.h"
#include "ports/Scheduler.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <optional>

class InstallSecret;
class LanguageManager;
class Logger;
class Notifier;
class ProtectedDrivesManager;

// Tells the registered drive from a copy of it: the drive carries a secret whose keyed hash only
// the record knows, and the secret is replaced at every connection, so a copy made before the
// last connection no longer matches. Never waits on the drive: a check that has not answered
// counts as "not the drive".
class DriveKeyVerifier : public QObject {
    Q_OBJECT

public:
    struct Dependencies {
        DriveKeyFiles& files;
        InstallSecret& installSecret;
        ProtectedDrivesManager& drives;
        Scheduler& scheduler;
        Notifier& notifier;
        LanguageManager& language;
        Logger& logger;
    };

    // How long a key file may take before the check is given up as unanswered.
    static constexpr double deadlineSeconds = 3.0;
    static constexpr int secretSize = 32;

    explicit DriveKeyVerifier(Dependencies dependencies, QObject* parent = nullptr);

    // Whether this volume, which carries the drive's UUID, is the registered drive itself. The
    // first question about a mount starts its check and answers no until the check has answered.
    bool isGenuine(const ProtectedDrive& drive, const MountedVolume& volume);
    // Drops what is known about mounts no longer listed, so a volume mounted again (perhaps a
    // copy) is checked again.
    void forgetUnmounted(const QList<MountedVolume>& volumes);
    // Asks every drive taken as genuine to show its key again; called at every poll.
    void reconfirm();

    QString keyHash(const QByteArray& secret);

signals:
    // A check answered; the drives' presence may have changed.
    void verdictChanged();

private:
    enum class State { checking, genuine, notGenuine };
    struct Check {
        QUuid driveId;
        QString mountPath;
        int mountId = 0;
        HardwareIdentity hardware;
        State state = State::checking;
        std::optional<Scheduler::Handle> deadline;
        // A drive already taken as genuine is showing its key again.
        bool isConfirming = false;
        QStringList acceptedHashes = {};
    };

    static QString checkKey(const QUuid& driveId, const MountedVolume& volume);
    void startRead(const QString& key, const ProtectedDrive& drive);
    void enrol(const QString& key, const ProtectedDrive& drive);
    void onRead(const QString& key, const DriveKeyFiles::Result& result);
    void onConfirmed(Check& check, const ProtectedDrive& drive,
                     const DriveKeyFiles::Result& result);
    QString refusalOf(const ProtectedDrive& drive, const DriveKeyFiles::Result& result);
    bool compareHardware(const ProtectedDrive& drive, const Check& check);
    void recordHardware(const Check& check);
    // Logs and notifies; the caller tells the monitor, unless it is answering the monitor.
    void refuse(Check& check, const QString& why);
    void rotate(const Check& check, const QString& matchedHash);
    void watchDeadline(const QString& key, const QString& what);
    Check* findCheck(const QString& key);

    Dependencies m_deps;
    QHash<QString, Check> m_checks;
    QSet<QUuid> m_rotating;
};
