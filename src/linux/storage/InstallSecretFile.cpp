#include "storage/InstallSecretFile.h"

#include "ports/Logger.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

InstallSecretFile::InstallSecretFile(QString filePath, Logger& logger)
    : m_filePath(std::move(filePath))
    , m_logger(logger) {}

QString InstallSecretFile::defaultFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Tarnwick/Velmora.install-secret");
}

// A damaged file is left as it is (keys hashed with it may still be wanted once it is mended);
// this session then uses a secret of its own, so no drive key matches: protected apps stay locked.
QByteArray InstallSecretFile::value() {
    if (m_value)
        return *m_value;
    const QFileInfo info(m_filePath);
    m_value = info.exists() || info.isSymLink() ? readExisting() : create();
    if (!m_value) {
        m_logger.log(QStringLiteral("[Velmora] The install secret %1 cannot be used; drive keys "
                                    "do not match in this session")
                         .arg(m_filePath));
        QByteArray scratch(size, Qt::Uninitialized);
        QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(scratch.data()),
                                              size / int(sizeof(quint32)));
        m_value = scratch;
    }
    return *m_value;
}

std::optional<QByteArray> InstallSecretFile::readExisting() {
    const int fd = ::open(m_filePath.toLocal8Bit().constData(),
                          O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    struct stat info {};
    QByteArray bytes(size + 1, Qt::Uninitialized);
    ssize_t count = -1;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode))
        count = ::read(fd, bytes.data(), bytes.size());
    ::close(fd);
    if (count != size)
        return std::nullopt;
    bytes.truncate(size);
    return bytes;
}

std::optional<QByteArray> InstallSecretFile::create() {
    QDir().mkpath(QFileInfo(m_filePath).absolutePath());
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32*>(bytes.data()),
                                          size / int(sizeof(quint32)));
    // Written whole under another name and linked into place, so a crash never leaves a short
    // secret, and a file made meanwhile by another copy of the program is not replaced.
    const QByteArray finalPath = m_filePath.toLocal8Bit();
    const QByteArray temporaryPath = finalPath + ".tmp";
    ::unlink(temporaryPath.constData());
    const int fd = ::open(temporaryPath.constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return std::nullopt;
    const bool written = ::write(fd, bytes.constData(), size) == size && ::fsync(fd) == 0;
    ::close(fd);
    const bool linked = written && ::link(temporaryPath.constData(), finalPath.constData()) == 0;
    ::unlink(temporaryPath.constData());
    if (!linked)
        return readExisting();
    m_logger.log(QStringLiteral("[Velmora] Made the install secret %1").arg(m_filePath));
    return bytes;
}
