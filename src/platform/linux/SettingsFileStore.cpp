#include "platform/linux/SettingsFileStore.h"

#include "platform/Logger.h"

#include <QDateTime>
#include <QFile>
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
    , m_filePath(filePath)
    , m_settings(filePath, QSettings::NativeFormat) {
    keepCopyOfDamagedFile();
}

QString SettingsFileStore::defaultFilePath() {
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Tarnwick"),
                     QStringLiteral("Velmora"))
        .fileName();
}

std::optional<QByteArray> SettingsFileStore::bytes(const QString& key) const {
    const QVariant value = m_settings.value(key);
    if (!value.isValid())
        return std::nullopt;
    return toBytes(value);
}

bool SettingsFileStore::setBytes(const QString& key, const QByteArray& value) {
    m_settings.setValue(key, value);
    return commit();
}

std::optional<bool> SettingsFileStore::boolean(const QString& key) const {
    const QVariant value = m_settings.value(key);
    if (!value.isValid())
        return std::nullopt;
    return readsAsTrue(value);
}

bool SettingsFileStore::setBoolean(const QString& key, bool value) {
    m_settings.setValue(key, value);
    return commit();
}

bool SettingsFileStore::contains(const QString& key) const {
    return m_settings.contains(key);
}

bool SettingsFileStore::remove(const QString& key) {
    m_settings.remove(key);
    return commit();
}

QString SettingsFileStore::location() const {
    return m_filePath;
}

// QSettings rewrites the whole file at the next write and drops what it could not parse, so a
// damaged file is copied aside first.
void SettingsFileStore::keepCopyOfDamagedFile() {
    if (m_settings.status() != QSettings::FormatError)
        return;
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

bool SettingsFileStore::commit() {
    m_settings.sync();
    if (m_settings.status() != QSettings::NoError) {
        m_logger.log(QStringLiteral("[Velmora] Could not save settings to %1").arg(m_filePath));
        return false;
    }
    QFile::setPermissions(m_filePath, QFile::ReadOwner | QFile::WriteOwner);
    return true;
}
