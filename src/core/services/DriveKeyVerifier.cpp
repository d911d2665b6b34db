#include "services/DriveKeyVerifier.h"

#include "model/ProtectedDrivesManager.h"
#include "model/Uuid.h"
#include "ports/InstallSecret.h"
#include "ports/Logger.h"
#include "ports/Notifier.h"
#include "services/LanguageManager.h"

#include <QMessageAuthenticationCode>
#include <QPointer>
#include <QRandomGenerator>
#include <utility>

namespace {

QByteArray newSecret() {
    QByteArray secret(DriveKeyVerifier::secretSize, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(secret.data()),
                                          secret.size() / int(sizeof(quint32)));
    return secret;
}

QString outcomeText(DriveKeyFiles::Outcome outcome) {
    switch (outcome) {
    case DriveKeyFiles::Outcome::ok:
        return QStringLiteral("ok");
    case DriveKeyFiles::Outcome::missing:
        return QStringLiteral("no key file");
    case DriveKeyFiles::Outcome::readOnly:
        return QStringLiteral("read-only");
    case DriveKeyFiles::Outcome::unreadable:
        return QStringLiteral("unreadable key file");
    }
    return {};
}

} // namespace

DriveKeyVerifier::DriveKeyVerifier(Dependencies dependencies, QObject* parent)
    : QObject(parent)
    , m_deps(dependencies) {}

bool DriveKeyVerifier::isGenuine(const ProtectedDrive& drive, const MountedVolume& volume) {
    const QString key = checkKey(drive.id, volume);
    if (const Check* known = findCheck(key))
        return known->state == State::genuine;
    Check& check = *m_checks.insert(
        key,
        Check{drive.id, volume.mountPath, volume.mountId, volume.hardware, State::checking, {}});
    const bool hardwareAgrees = compareHardware(drive, check);
    // A read-only drive has nothing else to show than its UUID and its hardware.
    if (drive.cannotHoldKey) {
        if (!hardwareAgrees) {
            refuse(check, QStringLiteral("its hardware differs"));
            return false;
        }
        check.state = State::genuine;
        recordHardware(check);
        return true;
    }
    // A drive registered before drives carried keys is trusted by its UUID once more, while it
    // is given one.
    if (!drive.keyHash) {
        enrol(key, drive);
        recordHardware(check);
        return true;
    }
    startRead(key, drive);
    return false;
}

void DriveKeyVerifier::forgetUnmounted(const QList<MountedVolume>& volumes) {
    m_checks.removeIf([&](const QHash<QString, Check>::iterator each) {
        for (const MountedVolume& volume : volumes) {
            if (volume.mountPath == each->mountPath && volume.mountId == each->mountId)
                return false;
        }
        return true;
    });
}

QString DriveKeyVerifier::keyHash(const QByteArray& secret) {
    return QString::fromLatin1(QMessageAuthenticationCode::hash(
                                   secret, m_deps.installSecret.value(), QCryptographicHash::Sha256)
                                   .toHex());
}

QString DriveKeyVerifier::checkKey(const QUuid& driveId, const MountedVolume& volume) {
    return Uuid::toStored(driveId) + QLatin1Char('|') + QString::number(volume.mountId) +
           QLatin1Char('|') + volume.mountPath;
}

void DriveKeyVerifier::startRead(const QString& key, const ProtectedDrive& drive) {
    watchDeadline(key, QStringLiteral("Key check of drive %1").arg(drive.name));
    QPointer<DriveKeyVerifier> self(this);
    m_deps.files.read(findCheck(key)->mountPath, [self, key](const DriveKeyFiles::Result& result) {
        if (self)
            self->onRead(key, result);
    });
}

// Write first, record second: a crash in between leaves a drive the record still trusts by its
// UUID, which is then given a key again.
void DriveKeyVerifier::enrol(const QString& key, const ProtectedDrive& drive) {
    Check& check = *findCheck(key);
    check.state = State::genuine;
    const QByteArray secret = newSecret();
    const QString hash = keyHash(secret);
    const QUuid id = drive.id;
    const QString name = drive.name;
    QPointer<DriveKeyVerifier> self(this);
    m_deps.files.write(check.mountPath, secret, [self, id, name, hash](const auto& result) {
        if (!self)
            return;
        if (result.outcome == DriveKeyFiles::Outcome::readOnly) {
            self->m_deps.drives.markCannotHoldKey(id);
            self->m_deps.logger.log(
                QStringLiteral("[Velmora] Drive %1 is read-only and cannot hold a key; it is "
                               "recognised by its UUID only")
                    .arg(name));
            return;
        }
        if (result.outcome != DriveKeyFiles::Outcome::ok) {
            self->m_deps.logger.log(QStringLiteral("[Velmora] Cannot write a key to drive %1 (%2)")
                                        .arg(name, outcomeText(result.outcome)));
            return;
        }
        self->m_deps.drives.setKeyHashes(id, hash, std::nullopt);
        self->m_deps.logger.log(QStringLiteral("[Velmora] Drive %1 now carries a key").arg(name));
    });
}

// The same place and mount number can be another volume: the system reuses both when one is
// swapped for another between two looks at the mount table. So a drive taken as genuine shows
// its key again at every poll, staying present meanwhile unless it does not answer in time.
void DriveKeyVerifier::reconfirm() {
    for (auto each = m_checks.begin(); each != m_checks.end(); ++each) {
        Check& check = *each;
        if (check.state != State::genuine || check.isConfirming ||
            m_rotating.contains(check.driveId))
            continue;
        const auto drive = m_deps.drives.drive(check.driveId);
        if (!drive || !drive->keyHash || drive->cannotHoldKey)
            continue;
        check.isConfirming = true;
        check.acceptedHashes = {*drive->keyHash, drive->previousKeyHash.value_or(QString())};
        startRead(each.key(), *drive);
    }
}

void DriveKeyVerifier::onRead(const QString& key, const DriveKeyFiles::Result& result) {
    Check* check = findCheck(key);
    if (!check || (check->state != State::checking && !check->isConfirming))
        return;
    if (check->deadline)
        m_deps.scheduler.cancel(*check->deadline);
    check->deadline.reset();
    const auto drive = m_deps.drives.drive(check->driveId);
    if (!drive)
        return;
    if (std::exchange(check->isConfirming, false)) {
        onConfirmed(*check, *drive, result);
        return;
    }
    const QString refusal = refusalOf(*drive, result);
    if (!refusal.isEmpty()) {
        refuse(*check, refusal);
        emit verdictChanged();
        return;
    }
    const QString hash = keyHash(result.secret);
    check->state = State::genuine;
    m_deps.logger.log(QStringLiteral("[Velmora] Drive %1 carries its key").arg(drive->name));
    recordHardware(*check);
    rotate(*check, hash);
    emit verdictChanged();
}

// Judged by the hashes the record held when the read started: a renewal may have finished since.
void DriveKeyVerifier::onConfirmed(Check& check, const ProtectedDrive& drive,
                                   const DriveKeyFiles::Result& result) {
    const bool wasPresent = check.state == State::genuine;
    if (result.outcome == DriveKeyFiles::Outcome::ok &&
        check.acceptedHashes.contains(keyHash(result.secret))) {
        check.state = State::genuine;
        if (!wasPresent)
            emit verdictChanged();
        return;
    }
    refuse(check, result.outcome == DriveKeyFiles::Outcome::ok ? QStringLiteral("its key changed")
                                                               : outcomeText(result.outcome));
    m_deps.logger.log(
        QStringLiteral("[Velmora] Drive %1 was swapped for another volume").arg(drive.name));
    emit verdictChanged();
}

// Why the answer is not the drive's; empty when it is.
QString DriveKeyVerifier::refusalOf(const ProtectedDrive& drive,
                                    const DriveKeyFiles::Result& result) {
    if (result.outcome != DriveKeyFiles::Outcome::ok)
        return outcomeText(result.outcome);
    const QString hash = keyHash(result.secret);
    if (hash != drive.keyHash && hash != drive.previousKeyHash)
        return QStringLiteral("its key does not match");
    // While this program is replacing the secret on the drive, the old one is only a copy's.
    if (hash != drive.keyHash && m_rotating.contains(drive.id))
        return QStringLiteral("its key was replaced a moment ago");
    return {};
}

// A different description is logged, never trusted: a gadget can claim any. Unknown hardware
// agrees with nothing recorded.
bool DriveKeyVerifier::compareHardware(const ProtectedDrive& drive, const Check& check) {
    if (!drive.hardware || *drive.hardware == check.hardware)
        return true;
    m_deps.logger.log(
        QStringLiteral("[Velmora] Drive at %1 describes itself as \"%2\", not as the registered "
                       "%3 (\"%4\"); not trusted")
            .arg(check.mountPath, check.hardware.text(), drive.name, drive.hardware->text()));
    return false;
}

// Learnt from the drive the first time it is accepted.
void DriveKeyVerifier::recordHardware(const Check& check) {
    const auto drive = m_deps.drives.drive(check.driveId);
    if (!drive || drive->hardware || check.hardware.isEmpty())
        return;
    m_deps.drives.setHardware(check.driveId, check.hardware);
}

void DriveKeyVerifier::refuse(Check& check, const QString& why) {
    check.state = State::notGenuine;
    const auto drive = m_deps.drives.drive(check.driveId);
    const QString name = drive ? drive->name : QString();
    m_deps.logger.log(QStringLiteral("[Velmora] Drive at %1 is not the registered %2 (%3)")
                          .arg(check.mountPath, name, why));
    m_deps.notifier.post(
        QStringLiteral("drive-copy-") + Uuid::toStored(QUuid::createUuid()),
        m_deps.language.localized(QStringLiteral("Not the registered drive")),
        m_deps.language.text(
            QStringLiteral("This drive is not the registered %@ — it may be a copy"), {name}),
        true);
}

// The record learns the new hash before the drive gets the new secret, and keeps the matched
// one until the write is known to have landed: whichever secret a crash leaves on the drive, the
// record accepts it. Once the write landed only the new secret counts.
void DriveKeyVerifier::rotate(const Check& check, const QString& matchedHash) {
    const QByteArray secret = newSecret();
    const QString hash = keyHash(secret);
    const QUuid id = check.driveId;
    m_deps.drives.setKeyHashes(id, hash, matchedHash);
    m_rotating.insert(id);
    QPointer<DriveKeyVerifier> self(this);
    m_deps.files.write(check.mountPath, secret, [self, id, hash](const auto& result) {
        if (!self)
            return;
        self->m_rotating.remove(id);
        const auto drive = self->m_deps.drives.drive(id);
        if (!drive || drive->keyHash != hash)
            return;
        if (result.outcome != DriveKeyFiles::Outcome::ok) {
            self->m_deps.logger.log(
                QStringLiteral("[Velmora] Cannot renew the key on drive %1 (%2); its current key "
                               "still counts")
                    .arg(drive->name, outcomeText(result.outcome)));
            return;
        }
        self->m_deps.drives.setKeyHashes(id, hash, std::nullopt);
    });
}

// Logged once per read; the drive counts as not present until the late answer, which still counts.
void DriveKeyVerifier::watchDeadline(const QString& key, const QString& what) {
    QPointer<DriveKeyVerifier> self(this);
    findCheck(key)->deadline = m_deps.scheduler.once(deadlineSeconds, [self, key, what] {
        if (!self)
            return;
        Check* check = self->findCheck(key);
        if (!check || (check->state != State::checking && !check->isConfirming))
            return;
        check->deadline.reset();
        const bool wasPresent = check->state == State::genuine;
        check->state = State::checking;
        self->m_deps.logger.log(
            QStringLiteral("[Velmora] %1 did not finish in %2 seconds; counted as not present")
                .arg(what)
                .arg(deadlineSeconds, 0, 'f', 0));
        if (wasPresent)
            emit self->verdictChanged();
    });
}

DriveKeyVerifier::Check* DriveKeyVerifier::findCheck(const QString& key) {
    const auto found = m_checks.find(key);
    return found == m_checks.end() ? nullptr : &*found;
}
