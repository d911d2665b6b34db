#include "process/ProgramIdentity.h"
#include "support/InstalledTestApp.h"
#include "support/PrivateBus.h"
#include "support/TestMounts.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>
#include <cerrno>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The bus only lets uids with an account connect: the gated user is nobody; the other user
// only runs programs and needs none.
constexpr uid_t gatedUid = 65534;
constexpr uid_t otherUid = 60124;
const QString driveUuid = QStringLiteral("5e1f0a2b-7c3d-4e5f-8a9b-0c1d2e3f4a5b");
const char* const loader = "/lib64/ld-linux-x86-64.so.2";
// Longer than any answer may take; an exec still blocked then has hung.
constexpr int hangMs = 5000;

// Runs `argv` as `uid` and returns 0 when its exec went through, else the exec's errno;
// ETIMEDOUT when it neither ran nor failed in time.
int execAs(uid_t uid, const QList<QByteArray>& argv) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0)
        return errno;
    std::vector<char*> args;
    for (const QByteArray& arg : argv)
        args.push_back(const_cast<char*>(arg.constData()));
    args.push_back(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        const int devNull = ::open("/dev/null", O_RDWR);
        ::dup2(devNull, 1);
        ::dup2(devNull, 2);
        if (uid != 0 && (::setgroups(0, nullptr) != 0 || ::setresgid(uid, uid, uid) != 0 ||
                         ::setresuid(uid, uid, uid) != 0))
            ::_exit(126);
        ::execv(args[0], args.data());
        const int error = errno;
        (void)::write(pipeFds[1], &error, sizeof error);
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    pollfd wait{pipeFds[0], POLLIN, 0};
    int error = ETIMEDOUT;
    if (::poll(&wait, 1, hangMs) > 0 && ::read(pipeFds[0], &error, sizeof error) <= 0)
        error = 0;
    ::close(pipeFds[0]);
    // Only the exec matters; the stand-in app would otherwise wait for a display.
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    return error;
}

QString identityOf(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ProgramIdentity::of(file.handle(), file.size(), true);
}

} // namespace

class ExecGateTest : public QObject {
    Q_OBJECT

    std::unique_ptr<PrivateBus> m_bus;
    QTemporaryDir m_dir{QStringLiteral("/tmp/velmora-gate-test-XXXXXX")};
    QString m_program;
    std::unique_ptr<QProcess> m_gate;
    QByteArray m_gateLog;

    QString statePath() const { return m_dir.filePath(QStringLiteral("state")); }

    bool startGate() {
        m_gate = std::make_unique<QProcess>();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_bus->address());
        m_gate->setProcessEnvironment(environment);
        m_gate->setProcessChannelMode(QProcess::MergedChannels);
        m_gate->start(QStringLiteral(VELMORA_GATE_BINARY),
                      {QStringLiteral("--foreground"), QStringLiteral("--state-dir"), statePath()});
        const QDeadlineTimer deadline(10000);
        QByteArray output;
        while (!deadline.hasExpired() && m_gate->state() != QProcess::NotRunning) {
            m_gate->waitForReadyRead(100);
            output += m_gate->readAll();
            m_gateLog = output;
            if (output.contains("velmora-gate: ready"))
                return true;
        }
        qWarning() << output;
        return false;
    }

    // gdbus as `uid`: the gate takes the uid from the bus, so the caller must be that user.
    void startCallAs(QProcess& gdbus, uid_t uid, const QStringList& call) {
        QProcessEnvironment environment;
        environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), m_bus->address());
        environment.insert(QStringLiteral("HOME"), QStringLiteral("/nonexistent"));
        gdbus.setProcessEnvironment(environment);
        gdbus.setChildProcessModifier([uid] {
            if (::setgroups(0, nullptr) != 0 || ::setresgid(uid, uid, uid) != 0 ||
                ::setresuid(uid, uid, uid) != 0)
                ::_exit(126);
        });
        gdbus.start(
            QStringLiteral("gdbus"),
            QStringList{QStringLiteral("call"), QStringLiteral("--system"),
                        QStringLiteral("--dest"), QStringLiteral("com.tarnwick.VelmoraGate"),
                        QStringLiteral("--object-path"),
                        QStringLiteral("/com/tarnwick/VelmoraGate"), QStringLiteral("--method")} +
                call);
    }

    int callAs(uid_t uid, const QStringList& call) {
        QProcess gdbus;
        startCallAs(gdbus, uid, call);
        gdbus.waitForFinished(10000);
        if (gdbus.exitCode() != 0)
            qInfo() << "gdbus:" << gdbus.readAllStandardError();
        return gdbus.exitCode();
    }

    // Waits until the gate's log holds the text `times` times in all since it started: a count
    // of the whole log, as a line printed earlier may still be on its way.
    bool waitForGateLog(const QByteArray& text, qsizetype times) {
        const QDeadlineTimer deadline(hangMs);
        m_gateLog += m_gate->readAll();
        while (!deadline.hasExpired() && m_gateLog.count(text) < times) {
            m_gate->waitForReadyRead(100);
            m_gateLog += m_gate->readAll();
        }
        return m_gateLog.count(text) >= times;
    }

    int setPolicyAs(uid_t uid, bool requireAuthentication) {
        const QString app =
            QStringLiteral("[('org.velmora.TestApp', 'Test App', ['%1'], ['%2'], ['%3'])]")
                .arg(m_program, identityOf(m_program), driveUuid);
        return callAs(
            uid, {QStringLiteral("com.tarnwick.VelmoraGate1.SetPolicy"), QStringLiteral("true"),
                  requireAuthentication ? QStringLiteral("true") : QStringLiteral("false"), app});
    }

    int run(uid_t uid, const QString& program) { return execAs(uid, {QFile::encodeName(program)}); }

    // The gate reads drive presence from udev's links or blkid's cache; a loop device has no
    // udev here, so the cache is brought up to date as udisks or a desktop would.
    static void refreshBlkidCache() {
        QProcess::execute(QStringLiteral("blkid"), {QStringLiteral("-U"), driveUuid});
    }

private slots:
    void initTestCase() {
        if (::geteuid() != 0)
            QSKIP("the exec gate needs root");
        const QString why = TestMounts::whyMountingIsNotPossible();
        if (!why.isEmpty())
            QSKIP(qPrintable(why));
        QVERIFY(m_dir.isValid());
        QVERIFY(::chmod(QFile::encodeName(m_dir.path()).constData(), 0755) == 0);
        m_program = m_dir.filePath(QStringLiteral("protected-app"));
        QVERIFY(QFile::copy(InstalledTestApp::program(), m_program));
        QVERIFY(::chmod(QFile::encodeName(m_program).constData(), 0755) == 0);
        m_bus = std::make_unique<PrivateBus>(QStringLiteral(VELMORA_TEST_DATA) +
                                             QStringLiteral("/gate-system-bus.conf"));
        QVERIFY2(m_bus->isRunning(), qPrintable(m_bus->lastError));
        QVERIFY(startGate());
        QCOMPARE(setPolicyAs(gatedUid, false), 0);
    }

    void cleanupTestCase() {
        if (m_gate)
            m_gate->kill();
    }

    void protectedProgramRunsOnlyWithItsDrive() {
        QSignalSpy refused(this, &ExecGateTest::refusalSeen);
        QVERIFY(m_bus->connection().connect(QString(), QStringLiteral("/com/tarnwick/VelmoraGate"),
                                            QStringLiteral("com.tarnwick.VelmoraGate1"),
                                            QStringLiteral("ExecRefused"), this,
                                            SLOT(onExecRefused(uint, uint, QString))));
        QCOMPARE(run(gatedUid, m_program), EPERM);
        QTRY_COMPARE(refused.size(), 1);
        QCOMPARE(refused.first().at(0).toUInt(), gatedUid);
        QCOMPARE(refused.first().at(1).toString(), QStringLiteral("org.velmora.TestApp"));

        const QString copy = m_dir.filePath(QStringLiteral("renamed"));
        QVERIFY(QFile::copy(m_program, copy));
        QVERIFY(::chmod(QFile::encodeName(copy).constData(), 0755) == 0);
        QCOMPARE(run(gatedUid, copy), EPERM);
        QCOMPARE(execAs(gatedUid, {loader, QFile::encodeName(copy)}), EPERM);
        // Other programs, and their interpreter, are untouched.
        QCOMPARE(run(gatedUid, QStringLiteral("/bin/true")), 0);
        QCOMPARE(run(0, m_program), 0);
        QCOMPARE(run(otherUid, m_program), 0);
        QCOMPARE(execAs(otherUid, {loader, QFile::encodeName(copy)}), 0);

        TestMounts mounts;
        const QString folder = m_dir.filePath(QStringLiteral("drive"));
        QVERIFY(QDir().mkpath(folder));
        QVERIFY2(mounts.mountImage(m_dir.filePath(QStringLiteral("drive.img")),
                                   QStringLiteral("ext4"), QStringLiteral("KEY"), driveUuid,
                                   folder),
                 qPrintable(mounts.lastError));
        refreshBlkidCache();
        QCOMPARE(run(gatedUid, m_program), 0);
        QCOMPARE(run(gatedUid, copy), 0);
        QCOMPARE(execAs(gatedUid, {loader, QFile::encodeName(copy)}), 0);
        QVERIFY(mounts.unmount(folder));
        QCOMPARE(run(gatedUid, m_program), EPERM);
    }

    void killedGateFailsOpenAndRestartRestoresPolicy() {
        struct stat stored {};
        const QByteArray file =
            QFile::encodeName(statePath() + QStringLiteral("/%1.json").arg(gatedUid));
        QCOMPARE(::stat(file.constData(), &stored), 0);
        QCOMPARE(stored.st_mode & 07777, 0600u);
        ::kill(static_cast<pid_t>(m_gate->processId()), SIGKILL);
        m_gate->waitForFinished(5000);
        QElapsedTimer timer;
        timer.start();
        QCOMPARE(run(gatedUid, m_program), 0);
        QVERIFY(timer.elapsed() < 1000);

        QVERIFY(startGate());
        QCOMPARE(run(gatedUid, m_program), EPERM);
    }

    void floodOfUnrelatedExecsNeverHangs() {
        QElapsedTimer timer;
        timer.start();
        int failed = 0;
        for (int i = 0; i < 10000; ++i)
            failed += run(gatedUid, QStringLiteral("/bin/true")) != 0 ? 1 : 0;
        QCOMPARE(failed, 0);
        qInfo() << "10000 gated-user execs in" << timer.elapsed() << "ms";
        QCOMPARE(run(gatedUid, m_program), EPERM);
    }

    void looseningAsksPolkitTighteningDoesNot() {
        QVERIFY2(m_bus->startMock({QStringLiteral("--system"), QStringLiteral("--template"),
                                   QStringLiteral("polkitd")},
                                  QStringLiteral("org.freedesktop.PolicyKit1")),
                 qPrintable(m_bus->lastError));
        QCOMPARE(setPolicyAs(gatedUid, true), 0);
        const QStringList forget{QStringLiteral("com.tarnwick.VelmoraGate1.Forget")};
        QVERIFY(callAs(gatedUid, forget) != 0);
        QCOMPARE(run(gatedUid, m_program), EPERM);
        QCOMPARE(setPolicyAs(gatedUid, true), 0);

        QDBusMessage allow = QDBusMessage::createMethodCall(
            QStringLiteral("org.freedesktop.PolicyKit1"),
            QStringLiteral("/org/freedesktop/PolicyKit1/Authority"),
            QStringLiteral("org.freedesktop.DBus.Mock"), QStringLiteral("SetAllowed"));
        allow << QStringList{QStringLiteral("com.tarnwick.velmora.loosen")};
        QCOMPARE(m_bus->connection().call(allow).type(), QDBusMessage::ReplyMessage);
        QCOMPARE(callAs(gatedUid, forget), 0);
        QCOMPARE(run(gatedUid, m_program), 0);

        // A tightening sent while polkit still thinks about a loosening wins, whatever polkit
        // answers afterwards.
        QCOMPARE(setPolicyAs(gatedUid, true), 0);
        const auto mockCall = [this](const QString& method, const QVariantList& arguments) {
            QDBusMessage call = QDBusMessage::createMethodCall(
                QStringLiteral("org.freedesktop.PolicyKit1"),
                QStringLiteral("/org/freedesktop/PolicyKit1/Authority"),
                QStringLiteral("org.freedesktop.DBus.Mock"), method);
            call.setArguments(arguments);
            return m_bus->connection().call(call).type() == QDBusMessage::ReplyMessage;
        };
        QVERIFY(mockCall(QStringLiteral("SimulateHang"), {true}));
        QProcess looseningCall;
        startCallAs(looseningCall, gatedUid, forget);
        // The two loosenings above asked polkit too.
        QVERIFY(waitForGateLog("asking polkit before loosening", 3));
        QCOMPARE(setPolicyAs(gatedUid, true), 0);
        // Released until it is answered: the question may reach polkit only now.
        const QDeadlineTimer deadline(hangMs);
        while (!deadline.hasExpired() && !looseningCall.waitForFinished(100))
            QVERIFY(mockCall(QStringLiteral("ReleaseHangingCalls"), {}));
        QCOMPARE(looseningCall.state(), QProcess::NotRunning);
        QVERIFY(looseningCall.exitCode() != 0);
        QVERIFY(waitForGateLog("arrived while asking; the older one is dropped", 1));
        QCOMPARE(run(gatedUid, m_program), EPERM);
    }

signals:
    void refusalSeen(uint uid, const QString& appId);

public slots:
    void onExecRefused(uint uid, uint, const QString& appId) { emit refusalSeen(uid, appId); }
};

QTEST_GUILESS_MAIN(ExecGateTest)
#include "ExecGateTest.moc"
