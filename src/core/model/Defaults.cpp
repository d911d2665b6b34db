#include "model/Defaults.h"

#include "ports/KeyValueStore.h"
#include "ports/Logger.h"

#include <QCryptographicHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <utility>

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

template <typename Record> struct DecodedList {
    QList<Record> records;
    int unreadable = 0;
};

// Record by record: one damaged record costs only itself. Nothing when the bytes are no list.
template <typename Record> std::optional<DecodedList<Record>> decodeList(const QByteArray& bytes) {
    const auto document = parse(bytes);
    if (!document || !document->isArray())
        return std::nullopt;
    DecodedList<Record> decoded;
    for (const QJsonValue& value : document->array()) {
        if (auto record = Record::fromJson(value))
            decoded.records.append(std::move(*record));
        else
            ++decoded.unreadable;
    }
    return decoded;
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

template <typename Record> bool readsInFull(const QByteArray& bytes) {
    const auto decoded = decodeList<Record>(bytes);
    return decoded && decoded->unreadable == 0;
}
bool appsDecode(const QByteArray& bytes) {
    return readsInFull<ProtectedApp>(bytes);
}
bool drivesDecode(const QByteArray& bytes) {
    return readsInFull<ProtectedDrive>(bytes);
}
bool settingsDecode(const QByteArray& bytes) {
    return decodeSettings(bytes).has_value();
}

} // namespace

Defaults::Defaults(KeyValueStore& store, Logger& logger)
    : m_store(store)
    , m_logger(logger) {
    // The store has logged why; the user is told too, once.
    if (!m_store.unreadableReason().isEmpty())
        m_waitingDamage.append(Damage{settingsFileKey(), 0});
}

QString Defaults::settingsFileKey() {
    return QStringLiteral("settingsFile");
}

// Damage in the same bytes was noticed when they were first decoded.
template <typename Record>
QList<Record> Defaults::readList(const QString& key, std::optional<Decoded<Record>>& last) const {
    const auto bytes = m_store.bytes(key);
    if (!bytes)
        return {};
    if (last && last->bytes == *bytes)
        return last->records;
    auto decoded = decodeList<Record>(*bytes);
    if (!decoded) {
        noticeDamage(key, *bytes, 0);
        last = Decoded<Record>{*bytes, {}};
        return {};
    }
    if (decoded->unreadable > 0)
        noticeDamage(key, *bytes, decoded->unreadable);
    last = Decoded<Record>{*bytes, decoded->records};
    return std::move(decoded->records);
}

QList<ProtectedApp> Defaults::protectedApps() const {
    return readList<ProtectedApp>(appsKey, m_lastApps);
}

void Defaults::setProtectedApps(const QList<ProtectedApp>& apps) {
    write(appsKey, encodeList(apps), appsDecode);
}

QList<ProtectedDrive> Defaults::protectedDrives() const {
    return readList<ProtectedDrive>(drivesKey, m_lastDrives);
}

void Defaults::setProtectedDrives(const QList<ProtectedDrive>& drives) {
    write(drivesKey, encodeList(drives), drivesDecode);
}

AppSettings Defaults::appSettings() const {
    const auto bytes = m_store.bytes(settingsKey);
    if (!bytes)
        return AppSettings{};
    auto decoded = decodeSettings(*bytes);
    if (!decoded)
        noticeDamage(settingsKey, *bytes, 0);
    return decoded.value_or(AppSettings{});
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

void Defaults::setDamageHandler(DamageHandler handler) {
    m_onDamage = std::move(handler);
    if (!m_onDamage)
        return;
    const QList<Damage> waiting = std::exchange(m_waitingDamage, {});
    for (const Damage& damage : waiting)
        m_onDamage(damage.key, damage.unreadableRecords);
}

// The lists are read at every event; each damaged value is told once, when first met.
void Defaults::noticeDamage(const QString& key, const QByteArray& bytes,
                            int unreadableRecords) const {
    const QByteArray digest = QCryptographicHash::hash(bytes, QCryptographicHash::Sha1);
    if (m_toldDamage.value(key) == digest)
        return;
    m_toldDamage.insert(key, digest);
    if (unreadableRecords == 0)
        m_logger.log(QStringLiteral("[Velmora] Stored %1 could not be read").arg(key));
    else
        m_logger.log(QStringLiteral("[Velmora] Stored %1: %2 record(s) could not be read")
                         .arg(key, QString::number(unreadableRecords)));
    if (m_onDamage)
        m_onDamage(key, unreadableRecords);
    else
        m_waitingDamage.append(Damage{key, unreadableRecords});
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
