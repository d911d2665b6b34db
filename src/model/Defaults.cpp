#include "model/Defaults.h"

#include "platform/KeyValueStore.h"
#include "platform/Logger.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace {

const QString appsKey = QStringLiteral("protectedApps");
const QString drivesKey = QStringLiteral("protectedDrives");
const QString settingsKey = QStringLiteral("appSettings");
const QString onboardingKey = QStringLiteral("hasCompletedOnboarding");

std::optional<QJsonDocument> parse(const QByteArray& bytes) {
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        return std::nullopt;
    return document;
}

// The whole list fails when one record fails: there is no per-record recovery.
template <typename Record> std::optional<QList<Record>> decodeList(const QByteArray& bytes) {
    const auto document = parse(bytes);
    if (!document || !document->isArray())
        return std::nullopt;
    QList<Record> records;
    for (const QJsonValue& value : document->array()) {
        auto record = Record::fromJson(value);
        if (!record)
            return std::nullopt;
        records.append(std::move(*record));
    }
    return records;
}

std::optional<AppSettings> decodeSettings(const QByteArray& bytes) {
    const auto document = parse(bytes);
    if (!document || !document->isObject())
        return std::nullopt;
    return AppSettings::fromJson(document->object());
}

template <typename Record> QByteArray encodeList(const QList<Record>& records) {
    QJsonArray array;
    for (const Record& record : records)
        array.append(record.toJson());
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

bool appsDecode(const QByteArray& bytes) {
    return decodeList<ProtectedApp>(bytes).has_value();
}
bool drivesDecode(const QByteArray& bytes) {
    return decodeList<ProtectedDrive>(bytes).has_value();
}
bool settingsDecode(const QByteArray& bytes) {
    return decodeSettings(bytes).has_value();
}

} // namespace

Defaults::Defaults(KeyValueStore& store, Logger& logger)
    : m_store(store)
    , m_logger(logger) {}

QList<ProtectedApp> Defaults::protectedApps() const {
    const auto bytes = m_store.bytes(appsKey);
    return bytes ? decodeList<ProtectedApp>(*bytes).value_or(QList<ProtectedApp>{})
                 : QList<ProtectedApp>{};
}

void Defaults::setProtectedApps(const QList<ProtectedApp>& apps) {
    write(appsKey, encodeList(apps), appsDecode);
}

QList<ProtectedDrive> Defaults::protectedDrives() const {
    const auto bytes = m_store.bytes(drivesKey);
    return bytes ? decodeList<ProtectedDrive>(*bytes).value_or(QList<ProtectedDrive>{})
                 : QList<ProtectedDrive>{};
}

void Defaults::setProtectedDrives(const QList<ProtectedDrive>& drives) {
    write(drivesKey, encodeList(drives), drivesDecode);
}

AppSettings Defaults::appSettings() const {
    const auto bytes = m_store.bytes(settingsKey);
    return bytes ? decodeSettings(*bytes).value_or(AppSettings{}) : AppSettings{};
}

void Defaults::setAppSettings(const AppSettings& settings) {
    write(settingsKey, QJsonDocument(settings.toJson()).toJson(QJsonDocument::Compact),
          settingsDecode);
}

bool Defaults::hasCompletedOnboarding() const {
    return m_store.boolean(onboardingKey).value_or(false);
}

void Defaults::setHasCompletedOnboarding(bool completed) {
    m_store.setBoolean(onboardingKey, completed);
}

QString Defaults::unreadableKey(const QString& key) {
    return key + QStringLiteral(".unreadable");
}

void Defaults::write(const QString& key, const QByteArray& json,
                     bool (*decodes)(const QByteArray&)) {
    if (!keepUnreadable(key, decodes))
        return;
    m_store.setBytes(key, json);
}

// Stored bytes that no longer decode read as empty, but they are the user's data: copy them aside
// before they are overwritten, so a single damaged record never silently costs the whole list.
// Returns false when the copy could not be made; the caller then leaves the bytes in place.
bool Defaults::keepUnreadable(const QString& key, bool (*decodes)(const QByteArray&)) {
    const auto current = m_store.bytes(key);
    if (!current || decodes(*current))
        return true;
    QString target = unreadableKey(key);
    for (int n = 2; m_store.contains(target); ++n) {
        if (m_store.bytes(target) == current)
            return true;
        target = unreadableKey(key) + QLatin1Char('.') + QString::number(n);
    }
    if (!m_store.setBytes(target, *current)) {
        m_logger.log(QStringLiteral("[Velmora] Stored %1 could not be read and no copy could be "
                                    "kept; leaving it unchanged")
                         .arg(key));
        return false;
    }
    m_logger.log(
        QStringLiteral("[Velmora] Stored %1 could not be read; kept a copy under \"%2\" in %3")
            .arg(key, target, m_store.location()));
    return true;
}
