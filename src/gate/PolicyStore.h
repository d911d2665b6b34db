#pragma once

#include "UserPolicy.h"

#include <QMap>
#include <QString>
#include <sys/types.h>

// The policies on disk, one root-only file per uid: <folder>/<uid>.json.
class PolicyStore {
public:
    explicit PolicyStore(QString folder);

    // Every readable policy; unreadable files are logged and left where they are.
    QMap<uid_t, UserPolicy> loadAll() const;
    bool save(uid_t uid, const UserPolicy& policy) const;
    bool remove(uid_t uid) const;

private:
    bool ensureFolder() const;
    QString fileOf(uid_t uid) const;

    QString m_folder;
};
