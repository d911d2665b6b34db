#include "PolicyStore.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <sys/stat.h>

namespace {

// A policy is a few kilobytes; anything far larger is not one.
constexpr qint64 maximumFileSize = 4 * 1024 * 1024;

} // namespace

PolicyStore::PolicyStore(QString folder)
    : m_folder(std::move(folder)) {}

QMap<uid_t, UserPolicy> PolicyStore::loadAll() const {
    QMap<uid_t, UserPolicy> policies;
    const QStringList names =
        QDir(m_folder).entryList({QStringLiteral("*.json")}, QDir::Files | QDir::NoSymLinks);
    for (const QString& name : names) {
        bool ok = false;
        const uid_t uid = name.chopped(5).toUInt(&ok);
        QFile file(QDir(m_folder).filePath(name));
        if (!ok || file.size() > maximumFileSize || !file.open(QIODevice::ReadOnly)) {
            qWarning().noquote() << "velmora-gate: skipping unreadable policy" << file.fileName();
            continue;
        }
        UserPolicy policy;
        QString error;
        if (!UserPolicy::fromJson(file.readAll(), policy, error)) {
            qWarning().noquote() << "velmora-gate: skipping policy" << file.fileName() << error;
            continue;
        }
        policies.insert(uid, policy);
    }
    return policies;
}

bool PolicyStore::save(uid_t uid, const UserPolicy& policy) const {
    if (!ensureFolder())
        return false;
    QSaveFile file(fileOf(uid));
    if (!file.open(QIODevice::WriteOnly)) {
        qWarning().noquote() << "velmora-gate: cannot write" << file.fileName();
        return false;
    }
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    file.write(policy.toJson());
    if (!file.commit()) {
        qWarning().noquote() << "velmora-gate: cannot write" << file.fileName();
        return false;
    }
    return true;
}

bool PolicyStore::remove(uid_t uid) const {
    QFile file(fileOf(uid));
    return !file.exists() || file.remove();
}

bool PolicyStore::ensureFolder() const {
    if (!QDir().mkpath(m_folder) || ::chmod(QFile::encodeName(m_folder).constData(), 0700) != 0) {
        qWarning().noquote() << "velmora-gate: cannot prepare" << m_folder;
        return false;
    }
    return true;
}

QString PolicyStore::fileOf(uid_t uid) const {
    return QDir(m_folder).filePath(QString::number(uid) + QStringLiteral(".json"));
}
