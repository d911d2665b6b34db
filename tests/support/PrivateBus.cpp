#include "support/PrivateBus.h"

#include <QDBusArgument>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDeadlineTimer>
#include <QUuid>
#include <csignal>

PrivateBus::PrivateBus()
    : PrivateBus(QString()) {}

PrivateBus::PrivateBus(const QString& configFile)
    : m_connectionName(QStringLiteral("private-bus-") +
                       QUuid::createUuid().toString(QUuid::Id128)) {
    QProcess daemon;
    daemon.start(QStringLiteral("dbus-daemon"),
                 {configFile.isEmpty() ? QStringLiteral("--session")
                                       : QStringLiteral("--config-file=") + configFile,
                  QStringLiteral("--fork"), QStringLiteral("--print-address=1"),
                  QStringLiteral("--print-pid=1")});
    if (!daemon.waitForFinished(10000) || daemon.exitCode() != 0) {
        lastError = QStringLiteral("dbus-daemon did not start: ") +
                    QString::fromLocal8Bit(daemon.readAllStandardError());
        return;
    }
    const QStringList lines =
        QString::fromLocal8Bit(daemon.readAllStandardOutput()).split(QLatin1Char('\n'));
    if (lines.size() < 2) {
        lastError = QStringLiteral("dbus-daemon printed no address");
        return;
    }
    m_address = lines.at(0).trimmed();
    m_daemonPid = lines.at(1).trimmed().toLongLong();
}

PrivateBus::~PrivateBus() {
    for (auto& mock : m_mocks) {
        mock->terminate();
        if (!mock->waitForFinished(3000))
            mock->kill();
    }
    QDBusConnection::disconnectFromBus(m_connectionName);
    if (m_daemonPid > 0)
        ::kill(static_cast<pid_t>(m_daemonPid), SIGTERM);
}

QDBusConnection PrivateBus::connection() const {
    return QDBusConnection::connectToBus(m_address, m_connectionName);
}

bool PrivateBus::startMock(const QStringList& arguments, const QString& busName) {
    auto mock = std::make_unique<QProcess>();
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_address);
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
    mock->setProcessEnvironment(environment);
    mock->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // Debian's interpreter: another python3 on PATH may lack the dbusmock module.
    mock->start(QStringLiteral("/usr/bin/python3"),
                QStringList{QStringLiteral("-m"), QStringLiteral("dbusmock")} + arguments);
    const QDBusConnection bus = connection();
    const QDeadlineTimer deadline(15000);
    while (!deadline.hasExpired()) {
        if (bus.interface() && bus.interface()->isServiceRegistered(busName).value()) {
            m_mocks.push_back(std::move(mock));
            return true;
        }
        if (mock->state() == QProcess::NotRunning)
            break;
        mock->waitForFinished(50); // returns early if the mock dies
    }
    lastError = QStringLiteral("dbusmock did not come up for ") + busName;
    return false;
}

QList<QVariantList> PrivateBus::mockCalls(const QString& service, const QString& path,
                                          const QString& method) const {
    QDBusMessage request =
        QDBusMessage::createMethodCall(service, path, QStringLiteral("org.freedesktop.DBus.Mock"),
                                       QStringLiteral("GetMethodCalls"));
    request << method;
    const QDBusMessage reply = connection().call(request);
    QList<QVariantList> calls;
    if (reply.type() != QDBusMessage::ReplyMessage)
        return calls;
    // a(tav): a time stamp and the arguments of each call.
    const QDBusArgument list = reply.arguments().first().value<QDBusArgument>();
    list.beginArray();
    while (!list.atEnd()) {
        QVariantList arguments;
        quint64 timestamp = 0;
        list.beginStructure();
        list >> timestamp;
        list.beginArray();
        while (!list.atEnd()) {
            QDBusVariant value;
            list >> value;
            arguments.append(value.variant());
        }
        list.endArray();
        list.endStructure();
        calls.append(arguments);
    }
    list.endArray();
    return calls;
}
