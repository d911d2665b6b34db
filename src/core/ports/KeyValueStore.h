#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

// The user's persistent key-value store: bytes or a boolean per key.
// Writes return false when the value could not be made durable.
class KeyValueStore {
public:
    virtual ~KeyValueStore() = default;

    virtual std::optional<QByteArray> bytes(const QString& key) const = 0;
    virtual bool setBytes(const QString& key, const QByteArray& value) = 0;
    // nullopt when the key is absent or does not read as a boolean.
    virtual std::optional<bool> boolean(const QString& key) const = 0;
    virtual bool setBoolean(const QString& key, bool value) = 0;
    virtual bool contains(const QString& key) const = 0;
    virtual bool remove(const QString& key) = 0;
    // Where the values live, for log lines (a file path, or a description).
    virtual QString location() const = 0;
    // Why the store as a whole could not be read (permissions, a link to a file not the user's own,
    // damaged bytes); empty when it read. Told to the user as damage: protection never goes
    // quietly.
    virtual QString unreadableReason() const { return {}; }
};
