#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QVariantList>
#include <memory>
#include <vector>

// A private D-Bus daemon for one test, with python-dbusmock services on it. It can stand in for
// the session bus or the system bus; everything it started is stopped when it goes away.
class PrivateBus {
public:
    PrivateBus();
    // A daemon run with its own configuration file, e.g. one that lets other uids connect.
    explicit PrivateBus(const QString& configFile);
    ~PrivateBus();

    bool isRunning() const { return !m_address.isEmpty(); }
    QString address() const { return m_address; }
    QDBusConnection connection() const;

    // Runs `python3 -m dbusmock <arguments>` against this bus and waits until `busName` is owned.
    bool startMock(const QStringList& arguments, const QString& busName);

    // The arguments of every call of `method` that a dbusmock object has received, in order.
    QList<QVariantList> mockCalls(const QString& service, const QString& path,
                                  const QString& method) const;

    QString lastError;

private:
    QString m_connectionName;
    QString m_address;
    qint64 m_daemonPid = 0;
    std::vector<std::unique_ptr<QProcess>> m_mocks;
};
