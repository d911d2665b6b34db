#pragma once

#include "ports/KeyValueStore.h"

#include <QHash>
#include <QVariant>

// An in-memory store; `failWrites` simulates a disk that refuses to save.
class MemoryStore : public KeyValueStore {
public:
    std::optional<QByteArray> bytes(const QString& key) const override;
    bool setBytes(const QString& key, const QByteArray& value) override;
    std::optional<bool> boolean(const QString& key) const override;
    bool setBoolean(const QString& key, bool value) override;
    bool contains(const QString& key) const override { return values.contains(key); }
    bool remove(const QString& key) override;
    QString location() const override { return QStringLiteral("memory"); }

    QHash<QString, QVariant> values;
    bool failWrites = false;
    int writeCount = 0;
};
