#include "dbus/PolkitAuthBackend.h"

#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QProcess>
#include <QStandardPaths>
#include <QtTest>
#include <signal.h>

namespace {

const QString polkitName = QStringLiteral("org.freedesktop.PolicyKit1");
const QString polkitPath = QStringLiteral("/org/freedesktop/PolicyKit1/Authority");
const QString mockInterface = QStringLiteral("org.freedesktop.DBus.Mock");
const QString fprintName = QStringLiteral("net.reactivated.Fprint");
const QString fprintPath = QStringLiteral("/net/reactivated/Fprint/Manager");

struct Answer {
    AuthBackend::Result result = AuthBackend::Result::unavailable;
    QString error;
    int count = 0;
};

} // namespace

// Runs the real adapter against python3-dbusmock services on a private bus standing in for the
// system bus.
class PolkitAuthBackendTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty())
            QSKIP("dbus-daemon is not installed");
        QProcess daemon;
        daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--session"), QStringLiteral("--fork"),
                      QStringLiteral("--print-address=1"), QStringLiteral("--print-pid=1")});
        QVERIFY(daemon.waitForFinished(10000));
        const QStringList lines =
            QString::fromUtf8(daemon.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 2);
        m_address = lines.at(0);
        m_busPid = lines.at(1).toInt();
        m_bus = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(m_address, QStringLiteral("polkit-test")));
        QVERIFY(m_bus->isConnected());
    }

    void cleanupTestCase() {
        for (QProcess* mock : {&m_polkit, &m_fprint}) {
            mock->terminate();
            mock->waitForFinished(5000);
        }
        m_bus.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("polkit-test"));
        if (m_busPid > 0)
            kill(m_busPid, SIGTERM);
    }

    void withoutPolkitNobodyCanBeAsked() {
        PolkitAuthBackend backend(*m_bus);
        QTRY_VERIFY(backend.unavailability().has_value());
        QVERIFY(!backend.unavailability()->isEmpty());
        const Answer answer = ask(backend);
        QCOMPARE(answer.count, 1);
        QCOMPARE(answer.result, AuthBackend::Result::unavailable);
        QVERIFY(!backend.hasBiometrics());
    }

    void allowedOwnerIsAuthenticated() {
        startMock(m_polkit, polkitName, {QStringLiteral("--template"), QStringLiteral("polkitd")});
        mockCall(polkitName, polkitPath, QStringLiteral("SetAllowed"),
                 {QStringList{QString::fromLatin1(PolkitAuthBackend::actionId)}});
        PolkitAuthBackend backend(*m_bus);
        QCOMPARE(backend.unavailability(), std::nullopt);
        const Answer answer = ask(backend);
        QCOMPARE(answer.count, 1);
        QCOMPARE(answer.result, AuthBackend::Result::authenticated);
    }

    void refusedOwnerIsNotAuthenticated() {
        mockCall(polkitName, polkitPath, QStringLiteral("SetAllowed"), {QStringList()});
        PolkitAuthBackend backend(*m_bus);
        QCOMPARE(backend.unavailability(), std::nullopt);
        const Answer answer = ask(backend);
        QCOMPARE(answer.count, 1);
        QCOMPARE(answer.result, AuthBackend::Result::refused);
        QVERIFY(!answer.error.isEmpty());
    }

    void remainingChallengeMeansNoAgent() {
        m_polkit.terminate();
        m_polkit.waitForFinished(5000);
        QTRY_VERIFY_WITH_TIMEOUT(!m_bus->interface()->isServiceRegistered(polkitName), 10000);
        // What polkit answers when no agent is registered for the session.
        startMock(m_polkit, polkitName,
                  {polkitName, polkitPath, QStringLiteral("org.freedesktop.PolicyKit1.Authority")});
        mockCall(polkitName, polkitPath, QStringLiteral("AddMethod"),
                 {QString(), QStringLiteral("CheckAuthorization"),
                  QStringLiteral("(sa{sv})sa{ss}us"), QStringLiteral("(bba{ss})"),
                  QStringLiteral("ret = (False, True, {})")});
        PolkitAuthBackend backend(*m_bus);
        const Answer answer = ask(backend);
        QCOMPARE(answer.count, 1);
        QCOMPARE(answer.result, AuthBackend::Result::unavailable);
    }

    // An unanswered dialog is a no; a polkit that goes away while asking lets the quit through.
    void unansweredPromptIsARefusalButVanishedPolkitIsNot() {
        mockCall(polkitName, polkitPath, QStringLiteral("AddMethod"),
                 {QString(), QStringLiteral("CheckAuthorization"),
                  QStringLiteral("(sa{sv})sa{ss}us"), QStringLiteral("(bba{ss})"),
                  QStringLiteral("time.sleep(3 if args[3] & 1 else 0); ret = (False, False, {})")});
        PolkitAuthBackend impatient(*m_bus, 1000);
        const Answer timedOut = ask(impatient);
        QCOMPARE(timedOut.count, 1);
        QCOMPARE(timedOut.result, AuthBackend::Result::refused);
        QCOMPARE(timedOut.error, QStringLiteral("the authentication dialog timed out"));

        QByteArray mockLog;
        m_polkit.readAllStandardOutput();
        PolkitAuthBackend backend(*m_bus, 60000);
        Answer vanished;
        backend.authenticate(QStringLiteral("Quit Velmora"),
                             [&vanished](AuthBackend::Result result, const QString& error) {
                                 vanished = {result, error, vanished.count + 1};
                             });
        // Its quick check and then its prompt reached polkit: it is asking now.
        QTRY_VERIFY_WITH_TIMEOUT(
            (mockLog += m_polkit.readAllStandardOutput(), mockLog.count("CheckAuthorization") >= 2),
            20000);
        m_polkit.kill();
        QTRY_COMPARE_WITH_TIMEOUT(vanished.count, 1, 10000);
        QCOMPARE(vanished.result, AuthBackend::Result::unavailable);
    }

    void fingerprintReaderCountsAsBiometrics() {
        startMock(m_fprint, fprintName,
                  {fprintName, fprintPath, QStringLiteral("net.reactivated.Fprint.Manager")});
        PolkitAuthBackend backend(*m_bus);
        mockCall(fprintName, fprintPath, QStringLiteral("AddMethod"),
                 {QString(), QStringLiteral("GetDevices"), QString(), QStringLiteral("ao"),
                  QStringLiteral("ret = []")});
        QVERIFY(!backend.hasBiometrics());
        mockCall(fprintName, fprintPath, QStringLiteral("AddMethod"),
                 {QString(), QStringLiteral("GetDevices"), QString(), QStringLiteral("ao"),
                  QStringLiteral("ret = [dbus.ObjectPath('/net/reactivated/Fprint/Device/0')]")});
        QTRY_VERIFY(backend.hasBiometrics());
    }

private:
    void startMock(QProcess& process, const QString& name, const QStringList& arguments) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_address);
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral("/usr/bin/python3"),
                      QStringList{QStringLiteral("-m"), QStringLiteral("dbusmock"),
                                  QStringLiteral("--system")} +
                          arguments);
        if (!process.waitForStarted(10000))
            QSKIP("python3-dbusmock could not be started");
        QTRY_VERIFY_WITH_TIMEOUT(m_bus->interface()->isServiceRegistered(name), 20000);
    }

    void mockCall(const QString& service, const QString& path, const QString& method,
                  const QVariantList& arguments) {
        QDBusMessage call = QDBusMessage::createMethodCall(service, path, mockInterface, method);
        call.setArguments(arguments);
        const QDBusMessage reply = m_bus->call(call, QDBus::Block, 10000);
        QVERIFY2(reply.type() != QDBusMessage::ErrorMessage, qPrintable(reply.errorMessage()));
    }

    // The answer is only valid when its count is 1.
    Answer ask(PolkitAuthBackend& backend) {
        Answer answer;
        backend.authenticate(QStringLiteral("Quit Velmora"),
                             [&answer](AuthBackend::Result result, const QString& error) {
                                 answer = {result, error, answer.count + 1};
                             });
        // Never answered on the spot.
        if (answer.count != 0)
            return {};
        [[maybe_unused]] const bool answered =
            QTest::qWaitFor([&answer] { return answer.count != 0; }, 20000);
        return answer;
    }

    QString m_address;
    int m_busPid = 0;
    std::unique_ptr<QDBusConnection> m_bus;
    QProcess m_polkit;
    QProcess m_fprint;
};

QTEST_GUILESS_MAIN(PolkitAuthBackendTest)
#include "PolkitAuthBackendTest.moc"
