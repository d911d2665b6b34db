#pragma once

#include "storage/BlockDeviceFacts.h"

#include <QDBusConnection>
#include <QDBusObjectPath>
#include <QHash>
#include <QObject>
#include <QTimer>
#include <QVariantMap>
#include <optional>

class QDBusMessage;
class QDBusPendingCallWatcher;
class QDBusServiceWatcher;

// Block devices as udisks2 describes them, over the system bus. The objects are kept in a cache
// that udisks2's own signals keep current, fetched without ever waiting on the bus: a udisks2
// that hangs must not hold up a mount check.
class UDisksClient : public QObject {
    Q_OBJECT

public:
    enum class State {
        fetching,
        ready,
        notRunning,
        // Running but did not answer in time; tried again later.
        notAnswering,
    };

    explicit UDisksClient(QDBusConnection bus = QDBusConnection::systemBus(),
                          QObject* parent = nullptr);

    State state() const { return m_state; }
    // Keyed by device number (dev_t); nullopt unless the cache is ready.
    std::optional<QHash<quint64, BlockDeviceFacts>> blockDevices() const;
    static quint64 deviceNumber(unsigned major, unsigned minor);

    // How long udisks2 may take to list its objects, and how soon to ask again after it did not.
    static constexpr int callTimeoutMs = 5000;
    static constexpr int retryIntervalMs = 30000;

private slots:
    void onInterfacesAdded(const QDBusMessage& message);
    void onInterfacesRemoved(const QDBusMessage& message);
    void onPropertiesChanged(const QDBusMessage& message);

private:
    using InterfaceMap = QMap<QString, QVariantMap>;

    void fetch();
    void onFetched(QDBusPendingCallWatcher* watcher);
    void forget();
    BlockDeviceFacts factsOf(const QVariantMap& block, const InterfaceMap& interfaces) const;
    bool isOnLoopDevice(const InterfaceMap& interfaces) const;

    QDBusConnection m_bus;
    QDBusServiceWatcher* m_watcher = nullptr;
    QTimer m_retry;
    QDBusPendingCallWatcher* m_pending = nullptr;
    QHash<QDBusObjectPath, InterfaceMap> m_objects;
    State m_state = State::fetching;
};
