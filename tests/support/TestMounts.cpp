#include "support/TestMounts.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <unistd.h>

TestMounts::~TestMounts() {
    for (auto it = m_mounted.crbegin(); it != m_mounted.crend(); ++it)
        QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-d"), *it});
}

QString TestMounts::whyMountingIsNotPossible() {
    if (::geteuid() != 0)
        return QStringLiteral(
            "mounting filesystems needs root, and these tests do not run as root");
    QTemporaryDir dir;
    TestMounts probe;
    if (!probe.mountTmpfs(dir.path()))
        return QStringLiteral("this machine does not permit mounting: ") + probe.lastError;
    if (!QFile::exists(QStringLiteral("/dev/loop-control")))
        return QStringLiteral("this machine has no loop devices (/dev/loop-control is missing)");
    return {};
}

bool TestMounts::mountTmpfs(const QString& folder) {
    QDir().mkpath(folder);
    if (!run(QStringLiteral("mount"),
             {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
              QStringLiteral("size=1m"), QStringLiteral("velmora-test"), folder}))
        return false;
    m_mounted.append(folder);
    return true;
}

bool TestMounts::mountImage(const QString& image, const QString& fsType, const QString& label,
                            const QString& uuid, const QString& folder) {
    QFile file(image);
    if (!file.open(QIODevice::WriteOnly) || !file.resize(16 * 1024 * 1024)) {
        lastError = QStringLiteral("cannot create ") + image;
        return false;
    }
    file.close();
    const bool made = fsType == QLatin1String("vfat")
                          ? run(QStringLiteral("/sbin/mkfs.vfat"),
                                {QStringLiteral("-n"), label, QStringLiteral("-i"),
                                 QString(uuid).remove(QLatin1Char('-')), image})
                          : run(QStringLiteral("/sbin/mkfs.ext4"),
                                {QStringLiteral("-q"), QStringLiteral("-F"), QStringLiteral("-L"),
                                 label, QStringLiteral("-U"), uuid, image});
    if (!made)
        return false;
    QDir().mkpath(folder);
    if (!run(QStringLiteral("mount"),
             {QStringLiteral("-o"), QStringLiteral("loop"), image, folder}))
        return false;
    m_mounted.append(folder);
    return true;
}

bool TestMounts::mountExisting(const QString& image, const QString& folder, bool readOnly) {
    QDir().mkpath(folder);
    if (!run(QStringLiteral("mount"),
             {QStringLiteral("-o"), readOnly ? QStringLiteral("loop,ro") : QStringLiteral("loop"),
              image, folder}))
        return false;
    m_mounted.append(folder);
    return true;
}

bool TestMounts::unmount(const QString& folder) {
    if (!run(QStringLiteral("umount"), {QStringLiteral("-d"), folder}))
        return false;
    m_mounted.removeAll(folder);
    return true;
}

bool TestMounts::run(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit ||
        process.exitCode() != 0) {
        lastError = program + QLatin1Char(' ') + arguments.join(QLatin1Char(' ')) +
                    QStringLiteral(": ") + QString::fromLocal8Bit(process.readAll()).trimmed() +
                    (process.error() == QProcess::UnknownError ? QString() : process.errorString());
        return false;
    }
    return true;
}
