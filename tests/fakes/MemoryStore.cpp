#include "fakes/MemoryStore.h"

std::optional<QByteArray> MemoryStore::bytes(const QString& key) const {
    if (!values.contains(key))
        return std::nullopt;
    return values.value(key).toByteArray();
}

bool MemoryStore::setBytes(const QString& key, const QByteArray& value) {
    if (failWrites)
        return false;
    ++writeCount;
    values.insert(key, value);
    return true;
}

std::optional<bool> MemoryStore::boolean(const QString& key) const {
    if (!values.contains(key))
        return std::nullopt;
    return values.value(key).toBool();
}

bool MemoryStore::setBoolean(const QString& key, bool value) {
    if (failWrites)
        return false;
    ++writeCount;
    values.insert(key, value);
    return true;
}

bool MemoryStore::remove(const QString& key) {
    if (failWrites)
        return false;
    values.remove(key);
    return true;
}
