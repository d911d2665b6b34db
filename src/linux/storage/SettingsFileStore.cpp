#include "storage/SettingsFileStore.h"

#include "ports/Logger.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

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
    if (info.exists() && !info.isFile()) {
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
    m_settings = std::make_unique<QSettings>(filePath, QSettings::NativeFormat);
    keepCopyOfDamagedFile();
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
// damaged file is copied aside first, once for each distinct damaged content.
void SettingsFileStore::keepCopyOfDamagedFile() {
    if (m_settings->status() != QSettings::FormatError)
        return;
    if (const QString existing = existingCopyOfDamagedFile(); !existing.isEmpty()) {
        m_logger.log(QStringLiteral("[Velmora] Settings file %1 is damaged; kept a copy at %2")
                         .arg(m_filePath, existing));
        return;
    }
    const QString copy = m_filePath + QStringLiteral(".damaged-") +
                         QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    if (QFile::copy(m_filePath, copy)) {
        m_logger.log(QStringLiteral("[Velmora] Settings file %1 is damaged; kept a copy at %2")
                         .arg(m_filePath, copy));
        return;
    }
    m_logger.log(QStringLiteral("[Velmora] Settings file %1 is damaged and no copy could be made")
                     .arg(m_filePath));
}

QString SettingsFileStore::existingCopyOfDamagedFile() const {
    QFile damaged(m_filePath);
    if (!damaged.open(QIODevice::ReadOnly))
        return {};
    const QByteArray content = damaged.readAll();
    const QFileInfo info(m_filePath);
    const QStringList copies = info.dir().entryList(
        {info.fileName() + QStringLiteral(".damaged-*")}, QDir::Files, QDir::Name);
    for (const QString& name : copies) {
        QFile copy(info.dir().filePath(name));
        if (copy.size() == content.size() && copy.open(QIODevice::ReadOnly) &&
            copy.readAll() == content)
            return copy.fileName();
    }
    return {};
}

bool SettingsFileStore::commit() {
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
