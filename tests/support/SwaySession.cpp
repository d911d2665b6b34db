#include "support/SwaySession.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <pwd.h>
#include <unistd.h>

namespace {

const char userName[] = "velmora-sway";

} // namespace

SwaySession::~SwaySession() {
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.terminate();
    if (!m_process.waitForFinished(5000))
        m_process.kill();
    m_process.waitForFinished(5000);
}

bool SwaySession::prepareUser() {
    m_uid = ::getuid();
    m_gid = ::getgid();
    if (m_uid != 0)
        return true;
    if (!::getpwnam(userName)) {
        QProcess::execute(QStringLiteral("useradd"),
                          {QStringLiteral("--system"), QStringLiteral("--user-group"),
                           QStringLiteral("--no-create-home"), QStringLiteral("--shell"),
                           QStringLiteral("/usr/sbin/nologin"), QString::fromLatin1(userName)});
    }
    const passwd* user = ::getpwnam(userName);
    if (!user) {
        m_error = QStringLiteral("could not make the user %1 to run sway").arg(userName);
        return false;
    }
    m_uid = user->pw_uid;
    m_gid = user->pw_gid;
    return ::chown(QFile::encodeName(m_runtimeDir.path()).constData(), m_uid, m_gid) == 0;
}

bool SwaySession::start(const QString& extraConfig) {
    if (QStandardPaths::findExecutable(QStringLiteral("sway")).isEmpty()) {
        m_error = QStringLiteral("sway is not installed (scripts/install-deps.sh installs it)");
        return false;
    }
    if (!m_runtimeDir.isValid() || !prepareUser())
        return false;
    // sway tells where its sockets are through the environment of what it runs.
    const QString configPath = m_runtimeDir.filePath(QStringLiteral("config"));
    QFile config(configPath);
    if (!config.open(QIODevice::WriteOnly))
        return false;
    config.write("xwayland disable\ndefault_border none\nfocus_follows_mouse no\n");
    config.write(extraConfig.toUtf8() + '\n');
    config.write("exec printf '%s\\n%s\\n' \"$WAYLAND_DISPLAY\" \"$SWAYSOCK\"\n");
    config.close();
    QStringList arguments;
    if (::getuid() == 0)
        arguments << QStringLiteral("setpriv") << QStringLiteral("--reuid=%1").arg(m_uid)
                  << QStringLiteral("--regid=%1").arg(m_gid) << QStringLiteral("--clear-groups");
    arguments << QStringLiteral("env") << QStringLiteral("-i")
              << QStringLiteral("PATH=/usr/local/bin:/usr/bin:/bin")
              << QStringLiteral("XDG_RUNTIME_DIR=") + m_runtimeDir.path()
              << QStringLiteral("HOME=") + m_runtimeDir.path()
              << QStringLiteral("WLR_BACKENDS=headless")
              << QStringLiteral("WLR_LIBINPUT_NO_DEVICES=1")
              << QStringLiteral("WLR_RENDERER=pixman") << QStringLiteral("sway")
              << QStringLiteral("-c") << configPath;
    m_process.setWorkingDirectory(m_runtimeDir.path());
    m_process.start(arguments.takeFirst(), arguments);
    QByteArray lines;
    const QDeadlineTimer deadline(20000);
    while (lines.count('\n') < 2 && m_process.state() != QProcess::NotRunning &&
           !deadline.hasExpired()) {
        m_process.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
        lines += m_process.readAllStandardOutput();
    }
    const QList<QByteArray> names = lines.split('\n');
    if (names.size() < 3 || names[0].isEmpty() || names[1].isEmpty()) {
        m_error = QStringLiteral("sway did not start: ") +
                  QString::fromLocal8Bit(m_process.readAllStandardError().right(2000));
        return false;
    }
    m_waylandDisplay = names[0].startsWith('/')
                           ? names[0]
                           : QFile::encodeName(m_runtimeDir.path()) + '/' + names[0];
    m_ipcSocket = QString::fromLocal8Bit(names[1]);
    return true;
}

QProcessEnvironment SwaySession::environment() const {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.insert(QStringLiteral("WAYLAND_DISPLAY"), QString::fromLocal8Bit(m_waylandDisplay));
    environment.insert(QStringLiteral("SWAYSOCK"), m_ipcSocket);
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_runtimeDir.path());
    return environment;
}

bool SwaySession::run(const QString& program, const QStringList& arguments,
                      QByteArray* output) const {
    QProcess process;
    process.setProcessEnvironment(environment());
    process.start(program, arguments);
    if (!process.waitForFinished(10000)) {
        process.kill();
        process.waitForFinished();
        return false;
    }
    if (output)
        *output = process.readAllStandardOutput();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

QByteArray SwaySession::swaymsg(const QStringList& arguments) const {
    QByteArray output;
    if (!run(QStringLiteral("swaymsg"), QStringList{QStringLiteral("-s"), m_ipcSocket} + arguments,
             &output))
        return {};
    return output;
}

QString SwaySession::createOutput() const {
    const QStringList before = outputNames();
    if (swaymsg({QStringLiteral("create_output")}).isEmpty())
        return {};
    for (const QString& name : outputNames()) {
        if (!before.contains(name))
            return name;
    }
    return {};
}

QStringList SwaySession::outputNames() const {
    QStringList names;
    const QJsonArray outputs =
        QJsonDocument::fromJson(swaymsg({QStringLiteral("-t"), QStringLiteral("get_outputs")}))
            .array();
    for (const QJsonValue& output : outputs)
        names.append(output.toObject().value(QStringLiteral("name")).toString());
    return names;
}

QImage SwaySession::screenshot(const QString& output) const {
    QByteArray png;
    if (!run(QStringLiteral("grim"),
             {QStringLiteral("-t"), QStringLiteral("png"), QStringLiteral("-o"), output,
              QStringLiteral("-")},
             &png))
        return {};
    return QImage::fromData(png, "PNG");
}

bool SwaySession::type(const QStringList& arguments) const {
    return run(QStringLiteral("wtype"), arguments);
}
