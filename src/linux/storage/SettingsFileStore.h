#pragma once

#include "ports/KeyValueStore.h"

#include <QSettings>
#include <QTemporaryDir>
#include <memory>
#include <optional>

class Logger;

// The user's store: a QSettings file, synced, checked and made private (0600) after every write.
class SettingsFileStore : public KeyValueStore {
public:
    SettingsFileStore(const QString& filePath, Logger& logger);

    // $XDG_CONFIG_HOME/Tarnwick/Velmora.conf
    static QString defaultFilePath();

    std::optional<QByteArray> bytes(const QString& key) const override;
    bool setBytes(const QString& key, const QByteArray& value) override;
    std::optional<bool> boolean(const QString& key) const override;
    bool setBoolean(const QString& key, bool value) override;
    bool contains(const QString& key) const override;
    bool remove(const QString& key) override;
    QString location() const override;
    QString unreadableReason() const override;

private:
    // Opens the path without following a link and without blocking; empty reason when it can be
    // used.
    QString checkPath(std::optional<QByteArray>& readable) const;
    void runWithoutSaving(const QString& reason, const std::optional<QByteArray>& readable);
    void keepCopyOfDamagedFile();
    QString copyAside(const QByteArray& content) const;
    bool commit();

    Logger& m_logger;
    QString m_filePath;
    // Replaced after an error: QSettings keeps reporting the first error it met.
    std::unique_ptr<QSettings> m_settings;
    // Holds this session's settings when the path cannot be used.
    std::unique_ptr<QTemporaryDir> m_scratch;
    QString m_unreadableReason;
};
