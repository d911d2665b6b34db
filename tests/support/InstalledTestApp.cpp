#include "support/InstalledTestApp.h"

#include <QDir>
#include <QFile>

InstalledTestApp::InstalledTestApp() {
    QDir(m_dir.path()).mkpath(QStringLiteral("applications"));
    install(mainId(), program() + QStringLiteral(" %U"));
}

QString InstalledTestApp::install(const QString& id, const QString& exec) {
    const QString file = path(QStringLiteral("applications/%1.desktop").arg(id));
    QFile entry(file);
    if (!entry.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(file));
    entry.write(QStringLiteral("[Desktop Entry]\nType=Application\nName=%1\nExec=%2\n")
                    .arg(id, exec)
                    .toUtf8());
    return file;
}

QString InstalledTestApp::writeLauncherScript(const QString& name) {
    return writeScript(name, QStringLiteral("\"%1\" &\nwait").arg(program()));
}

QString InstalledTestApp::writeScript(const QString& name, const QString& body) {
    const QString file = path(name);
    QFile script(file);
    if (!script.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(file));
    script.write(QStringLiteral("#!/bin/sh\n%1\n").arg(body).toUtf8());
    script.close();
    script.setPermissions(script.permissions() | QFileDevice::ExeOwner);
    return file;
}
