#pragma once

#include "platform/linux/BlockDeviceFacts.h"

#include <QDBusConnection>
#include <QHash>
#include <optional>

// Block devices as udisks2 describes them, over the system bus.
class UDisksClient {
public:
    explicit UDisksClient(QDBusConnection bus = QDBusConnection::systemBus());

    // Keyed by device number (dev_t); nullopt when udisks2 is not running or does not answer.
    std::optional<QHash<quint64, BlockDeviceFacts>> blockDevices() const;
    static quint64 deviceNumber(unsigned major, unsigned minor);

private:
    QDBusConnection m_bus;
};
