#include "storage/SettingsFileStore.h"

#include "ports/Logger.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray toBytes(const QVariant& value) {
    if (value.typeId() == QMetaType::QByteArray)
        return value.toByteArray();
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", ")).toUtf8();
    return value.toString().toUtf8();
}

// Reads the way users expect a hand-edited flag to read: true, yes or a non-zero number.
bool readsAsTrue(const QVariant& value) {
    if (value.typeId() == QMetaType::Bool)
        return value.toBool();
    const QString text = QString::fromUtf8(toBytes(value)).trimmed().toLower();
    if (text == QLatin1String("true") || text == QLatin1String("yes"))
        return true;
    bool isNumber = false;
    const double number = text.toDouble(&isNumber);
    return isNumber && number != 0.0;
}

} // namespace

SettingsFileStore::SettingsFileStore(const QString& filePath, Logger& logger)
    : m_logger(logger)
    , m_filePath(filePath) {
    const QFileInfo info(filePath);
    if (info.exists() && !info.isSymLink() && !info.isFile()) {
        // Reading a device could block for ever and writing would replace it: leave it alone and
        // keep this session's settings in a scratch file.
        m_logger.log(QStringLiteral("[Velmora] Settings path %1 is not a regular file; running "
                                    "on defaults without saving")
                         .arg(filePath));
        m_scratch = std::make_unique<QTemporaryDir>();
        m_settings = std::make_unique<QSettings>(
            m_scratch->filePath(QStringLiteral("Velmora.conf")), QSettings::NativeFormat);
        return;
    }
    std::optional<QByteArray> readable;
    if (const QString reason = checkPath(readable); !reason.isEmpty()) {
        runWithoutSaving(reason, readable);
        return;
    }
    m_settings = std::make_unique<QSettings>(filePath, QSettings::NativeFormat);
    keepCopyOfDamagedFile();
}

// A file that cannot be used as it is: nothing is written over it or through it this session.
// What could be read is kept aside and still applies, so protection stays as it was saved.
void SettingsFileStore::runWithoutSaving(const QString& reason,
                                         const std::optional<QByteArray>& readable) {
    m_unreadableReason = reason;
    m_scratch = std::make_unique<QTemporaryDir>();
    const QString scratchFile = m_scratch->filePath(QStringLiteral("Velmora.conf"));
    QString copy;
    if (readable) {
        QFile seed(scratchFile);
        if (seed.open(QIODevice::WriteOnly))
            seed.write(*readable);
        copy = copyAside(*readable);
    }
    m_settings = std::make_unique<QSettings>(scratchFile, QSettings::NativeFormat);
    if (!copy.isEmpty())
        m_logger.log(QStringLiteral("[Velmora] Settings file %1 cannot be used: %2; kept a copy "
                                    "at %3; running on what could be read, without saving")
                         .arg(m_filePath, reason, copy));
    else
        m_logger.log(QStringLiteral("[Velmora] Settings file %1 cannot be used: %2; no copy could "
                                    "be made; running on defaults, without saving")
                         .arg(m_filePath, reason));
}

// The bytes are read only from the user's own files, or from a file of another owner lying at the
// path itself; a link is never followed to another's file (a copy of /etc/shadow must not appear,
// even when Velmora runs as root).
QString SettingsFileStore::checkPath(std::optional<QByteArray>& readable) const {
    const QByteArray path = QFile::encodeName(m_filePath);
    struct stat link {};
    if (::lstat(path.constData(), &link) != 0)
        return {}; // nothing there to read; a write that fails says so
    const auto readAll = [&](int flags) -> std::optional<QByteArray> {
        const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | flags);
        if (fd < 0)
            return std::nullopt;
        QByteArray bytes;
        struct stat opened {};
        if (::fstat(fd, &opened) == 0 && S_ISREG(opened.st_mode)) {
            char buffer[65536];
            ssize_t n = 0;
            while ((n = ::read(fd, buffer, sizeof buffer)) > 0 && bytes.size() < (64 << 20))
                bytes.append(buffer, n);
            ::close(fd);
            return n < 0 ? std::nullopt : std::optional<QByteArray>(bytes);
        }
        ::close(fd);
        return std::nullopt;
    };
    if (S_ISLNK(link.st_mode)) {
        struct stat target {};
        if (::stat(path.constData(), &target) != 0)
            return QStringLiteral("it is a symbolic link to nothing that can be read");
        if (!S_ISREG(target.st_mode))
            return QStringLiteral("it is a symbolic link to something that is not a regular file");
        // A file of one's own lies under one's home (where dotfile managers keep theirs).
        const QString home = QDir::homePath() + QLatin1Char('/');
        if (target.st_uid != ::getuid() ||
            !QFileInfo(m_filePath).canonicalFilePath().startsWith(home))
            return QStringLiteral("it is a symbolic link to a file that is not your own");
        readable = readAll(0);
        return QStringLiteral("it is a symbolic link, which is never written through");
    }
    if (link.st_uid != ::getuid()) {
        readable = readAll(O_NOFOLLOW);
        return QStringLiteral("it is not your own file");
    }
    if ((link.st_mode & S_IRUSR) == 0 || (link.st_mode & S_IWUSR) == 0) {
        readable = readAll(O_NOFOLLOW);
        return QStringLiteral("its permissions (%1) forbid reading or writing it")
            .arg(QString::number(link.st_mode & 07777, 8).rightJustified(3, QLatin1Char('0')));
    }
    if (const int fd = ::open(path.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        fd >= 0)
        ::close(fd);
    else
        return QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

QString SettingsFileStore::unreadableReason() const {
    return m_unreadableReason;
}

// The path QSettings would choose for organization Tarnwick and application Velmora, found without
// opening the file: QSettings reports a damaged file only to the first object that parses it.
QString SettingsFileStore::defaultFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Tarnwick/Velmora.conf");
}

std::optional<QByteArray> SettingsFileStore::bytes(const QString& key) const {
    const QVariant value = m_settings->value(key);
    if (!value.isValid())
        return std::nullopt;
    return toBytes(value);
}

bool SettingsFileStore::setBytes(const QString& key, const QByteArray& value) {
    m_settings->setValue(key, value);
    return commit();
}

std::optional<bool> SettingsFileStore::boolean(const QString& key) const {
    const QVariant value = m_settings->value(key);
    if (!value.isValid())
        return std::nullopt;
    return readsAsTrue(value);
}

bool SettingsFileStore::setBoolean(const QString& key, bool value) {
    m_settings->setValue(key, value);
    return commit();
}

bool SettingsFileStore::contains(const QString& key) const {
    return m_settings->contains(key);
}

bool SettingsFileStore::remove(const QString& key) {
    m_settings->remove(key);
    return commit();
}

QString SettingsFileStore::location() const {
    return m_filePath;
}

// QSettings rewrites the whole file at the next write and drops what it could not parse, so a
// damaged file is copied aside first, once for each distinct damaged content. Bytes that are no
// text (random bytes, a binary file) are damage even where QSettings' lenient parser finds no
// error.
void SettingsFileStore::keepCopyOfDamagedFile() {
    QFile file(m_filePath);
    const QByteArray content = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    const bool isText = !content.contains('\0') && content.isValidUtf8();
    if (m_settings->status() != QSettings::FormatError && isText)
        return;
    m_unreadableReason = QStringLiteral("it is damaged");
    if (const QString copy = copyAside(content); !copy.isEmpty()) {
        m_logger.log(QStringLiteral("[Velmora] Settings file %1 is damaged; kept a copy at %2")
                         .arg(m_filePath, copy));
        return;
    }
    m_logger.log(QStringLiteral("[Velmora] Settings file %1 is damaged and no copy could be made")
                     .arg(m_filePath));
}

// An existing copy of the same content, or a new one (private, never through a link).
QString SettingsFileStore::copyAside(const QByteArray& content) const {
    const QFileInfo info(m_filePath);
    const QStringList copies = info.dir().entryList(
        {info.fileName() + QStringLiteral(".damaged-*")}, QDir::Files, QDir::Name);
    for (const QString& name : copies) {
        QFile copy(info.dir().filePath(name));
        if (copy.size() == content.size() && copy.open(QIODevice::ReadOnly) &&
            copy.readAll() == content)
            return copy.fileName();
    }
    const QString copy = m_filePath + QStringLiteral(".damaged-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const int fd = ::open(QFile::encodeName(copy).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return {};
    qsizetype written = 0;
    while (written < content.size()) {
        const ssize_t n = ::write(fd, content.constData() + written, content.size() - written);
        if (n <= 0)
            break;
        written += n;
    }
    ::close(fd);
    if (written != content.size()) {
        QFile::remove(copy);
        return {};
    }
    return copy;
}

bool SettingsFileStore::commit() {
    // QSettings saves through QSaveFile, which follows a link: a path that became a link since
    // the start is never written through.
    if (!m_scratch) {
        struct stat link {};
        if (::lstat(QFile::encodeName(m_filePath).constData(), &link) == 0 &&
            S_ISLNK(link.st_mode)) {
            m_logger.log(QStringLiteral("[Velmora] Could not save settings to %1").arg(m_filePath));
            return false;
        }
    }
    m_settings->sync();
    const QSettings::Status status = m_settings->status();
    if (status != QSettings::NoError)
        m_settings = std::make_unique<QSettings>(m_settings->fileName(), QSettings::NativeFormat);
    if (status == QSettings::AccessError) {
        m_logger.log(QStringLiteral("[Velmora] Could not save settings to %1").arg(m_filePath));
        return false;
    }
    QFile::setPermissions(m_settings->fileName(), QFile::ReadOwner | QFile::WriteOwner);
    return true;
}
