#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>
#include <signal.h>
#include <unistd.h>

namespace {

// polkit's setuid helper clears its environment and reports to the system bus at its usual
// address, so the private bus must listen there.
const QString systemBusSocket = QStringLiteral("/run/dbus/system_bus_socket");
const QString busAddress = QStringLiteral("unix:path=/run/dbus/system_bus_socket");
const QString polkitd = QStringLiteral("/usr/lib/polkit-1/polkitd");
const QString helper = QStringLiteral("/usr/lib/polkit-1/polkit-agent-helper-1");
const QString actionFile =
    QStringLiteral("/usr/share/polkit-1/actions/com.tarnwick.Velmora.policy");
const QString user = QStringLiteral("velmora-agent-test");
const QString password = QStringLiteral("Tarn-wick-7319");

const char* busConfig =
    "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
    " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
    "<busconfig>\n"
    "  <type>system</type>\n"
    "  <listen>unix:path=/run/dbus/system_bus_socket</listen>\n"
    "  <auth>EXTERNAL</auth>\n"
    "  <policy context=\"default\">\n"
    "    <allow user=\"*\"/>\n"
    "    <allow own=\"*\"/>\n"
    "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
    "    <allow eavesdrop=\"true\"/>\n"
    "  </policy>\n"
    "</busconfig>\n";

bool run(const QString& program, const QStringList& arguments, const QByteArray& input = {}) {
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(program, arguments);
    process.write(input);
    process.closeWriteChannel();
    return process.waitForFinished(20000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

} // namespace

// The real chain with no desktop agent: polkitd on a private system bus with the program's
// action, Velmora's own agent registered for its process, polkit's setuid helper checking a
// throw-away user's password through the machine's PAM stack. The probe runs as that user and
// answers the agent's questions from its arguments.
class PolkitSelfAgentTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() {
        if (geteuid() != 0)
            QSKIP("needs root: a system bus socket, a user and polkit's action folder");
        if (QFile::exists(systemBusSocket))
            QSKIP("a system bus is running here; the test does not stand in for it");
        if (!QFile::exists(polkitd) || !QFile::exists(helper))
            QSKIP("polkitd is not installed");
        QVERIFY(m_dir.isValid());
        QFile config(m_dir.filePath(QStringLiteral("bus.conf")));
        QVERIFY(config.open(QIODevice::WriteOnly));
        config.write(busConfig);
        config.close();

        QProcess daemon;
        daemon.start(QStringLiteral("dbus-daemon"),
                     {QStringLiteral("--config-file=") + config.fileName(),
                      QStringLiteral("--fork"), QStringLiteral("--print-pid=1")});
        QVERIFY(daemon.waitForFinished(10000));
        m_busPid = daemon.readAllStandardOutput().trimmed().toInt();
        QVERIFY(m_busPid > 0);
        m_bus = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(busAddress, QStringLiteral("self-agent-test")));
        QVERIFY(m_bus->isConnected());

        if (!QFile::exists(actionFile)) {
            QVERIFY(QFile::copy(
                QStringLiteral(VELMORA_SOURCE_DIR "/resources/com.tarnwick.Velmora.policy"),
                actionFile));
            m_installedAction = true;
        }
        startPolkit();

        // Left by a run that crashed.
        run(QStringLiteral("userdel"), {user});
        QVERIFY(run(QStringLiteral("useradd"),
                    {QStringLiteral("--no-create-home"), QStringLiteral("--shell"),
                     QStringLiteral("/usr/sbin/nologin"), user}));
        m_madeUser = true;
        QVERIFY(run(QStringLiteral("chpasswd"), {}, (user + u':' + password + u'\n').toUtf8()));
    }

    void cleanupTestCase() {
        m_polkit.kill();
        m_polkit.waitForFinished(5000);
        m_bus.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("self-agent-test"));
        if (m_busPid > 0) {
            kill(m_busPid, SIGTERM);
            QFile::remove(systemBusSocket);
        }
        if (m_installedAction)
            QFile::remove(actionFile);
        if (m_madeUser)
            run(QStringLiteral("userdel"), {user});
    }

    // The right password, at once or after a wrong one, authenticates; the window opens once
    // and closes.
    void rightPasswordAuthenticates() {
        QCOMPARE(probe({password}),
                 QStringList({QStringLiteral("opened"), QStringLiteral("asked Password:"),
                              QStringLiteral("closed"), QStringLiteral("result 0 ")}));
        const QStringList retried = probe({QStringLiteral("wrong"), password});
        QCOMPARE(retried.filter(QStringLiteral("failed")), QStringList{QStringLiteral("failed 2")});
        QCOMPARE(retried.last(), QStringLiteral("result 0 "));
    }

    // Three wrong passwords end the question as refused, and so does Cancel.
    void wrongPasswordsAndCancelRefuse() {
        const QStringList wrong =
            probe({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), password});
        QCOMPARE(wrong.filter(QStringLiteral("asked")).size(), 3);
        QVERIFY2(wrong.last().startsWith(QStringLiteral("result 1 ")), qPrintable(wrong.last()));

        const QStringList cancelled = probe({QStringLiteral("-")});
        QCOMPARE(cancelled.filter(QStringLiteral("asked")).size(), 1);
        QVERIFY2(cancelled.last().startsWith(QStringLiteral("result 1 ")),
                 qPrintable(cancelled.last()));
    }

    // Without polkit nobody can be asked, and no window opens.
    void withoutPolkitNothingOpens() {
        m_polkit.kill();
        m_polkit.waitForFinished(5000);
        QTRY_VERIFY_WITH_TIMEOUT(
            !m_bus->interface()->isServiceRegistered(QStringLiteral("org.freedesktop.PolicyKit1")),
            10000);
        const QStringList lines = probe({password});
        QVERIFY(!lines.contains(QStringLiteral("opened")));
        QVERIFY2(!lines.isEmpty() && lines.last().startsWith(QStringLiteral("result 2 ")),
                 qPrintable(lines.join(u'|')));
    }

private:
    void startPolkit() {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), busAddress);
        m_polkit.setProcessEnvironment(environment);
        m_polkit.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_polkit.start(polkitd, {QStringLiteral("--no-debug")});
        QVERIFY(m_polkit.waitForStarted(10000));
        QTRY_VERIFY_WITH_TIMEOUT(
            m_bus->interface()->isServiceRegistered(QStringLiteral("org.freedesktop.PolicyKit1")),
            20000);
    }

    // What the probe printed, one event a line, once it ended.
    QStringList probe(const QStringList& answers) {
        QProcess process;
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral("runuser"),
                      QStringList{QStringLiteral("-u"), user, QStringLiteral("--"),
                                  QStringLiteral("env"),
                                  QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS=") + busAddress,
                                  QStringLiteral(VELMORA_SELF_AGENT_PROBE)} +
                          answers);
        // PAM waits about two seconds after each wrong password.
        if (!process.waitForFinished(60000))
            process.kill();
        return QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    }

    QTemporaryDir m_dir;
    int m_busPid = 0;
    std::unique_ptr<QDBusConnection> m_bus;
    QProcess m_polkit;
    bool m_installedAction = false;
    bool m_madeUser = false;
};

QTEST_GUILESS_MAIN(PolkitSelfAgentTest)
#include "PolkitSelfAgentTest.moc"
