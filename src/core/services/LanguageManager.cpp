#include "services/LanguageManager.h"

#include "model/Defaults.h"
#include "model/LogName.h"
#include "ports/Logger.h"
#include "ports/Scheduler.h"
#include "services/StringFormat.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QPointer>

namespace {

const QString tableFileName = QStringLiteral("Localizable.strings");
const QString folderSuffix = QStringLiteral(".lproj");
// Where the system's choice lands when none of the user's languages has a table.
const QString developmentCode = QStringLiteral("en");

// A preferred language matches a table when the language agrees, and for Chinese the script too,
// so Traditional Chinese never gets the Simplified table.
bool matches(const QLocale& preferred, const QLocale& table) {
    if (preferred.language() != table.language())
        return false;
    return preferred.language() != QLocale::Chinese || preferred.script() == table.script();
}

} // namespace

QString LanguageManager::defaultTablesDirectory() {
    return QStringLiteral(":/velmora");
}

LanguageManager::PreferredLanguages LanguageManager::systemPreferredLanguages() {
    return [] { return QLocale::system().uiLanguages(); };
}

LanguageManager::LanguageManager(Defaults& defaults, Scheduler& scheduler, Logger& logger,
                                 QString tablesDirectory, PreferredLanguages preferredLanguages,
                                 QObject* parent)
    : QObject(parent)
    , m_defaults(defaults)
    , m_scheduler(scheduler)
    , m_logger(logger)
    , m_tablesDirectory(std::move(tablesDirectory))
    , m_preferredLanguages(std::move(preferredLanguages))
    , m_currentLanguage(defaults.appSettings().appLanguage) {
    applyBundle(m_currentLanguage);
}

void LanguageManager::changeLanguage(AppLanguage language) {
    m_currentLanguage = language;
    AppSettings settings = m_defaults.appSettings();
    settings.appLanguage = language;
    m_defaults.setAppSettings(settings);
    applyBundle(language);
    emit languageDidChange(AppLanguages::rawValue(language));
    m_scheduler.runLater([self = QPointer<LanguageManager>(this)] {
        if (!self)
            return;
        ++self->m_revision;
        emit self->currentLanguageChanged();
    });
}

void LanguageManager::changeLanguage(const QString& rawValue) {
    const auto language = AppLanguages::fromRawValue(rawValue);
    if (!language) {
        m_logger.log(
            QStringLiteral("[Velmora] Unknown language \"%1\" ignored").arg(logName(rawValue)));
        return;
    }
    changeLanguage(*language);
}

QString LanguageManager::localized(const QString& key) const {
    if (!m_table)
        return key;
    return m_table->value(key).value_or(key);
}

QString LanguageManager::text(const QString& key, const QVariantList& arguments) const {
    return StringFormat::format(localized(key), arguments);
}

QString LanguageManager::plural(const QString& key, qlonglong count) const {
    const QString singular = key + QStringLiteral("#one");
    const bool useSingular = count == 1 && m_table && m_table->value(singular);
    return text(useSingular ? singular : key, {count});
}

// A pinned language without a table behaves like `system`.
void LanguageManager::applyBundle(AppLanguage language) {
    if (language != AppLanguage::system) {
        const QString code = AppLanguages::rawValue(language);
        m_table = loadTable(code);
        if (m_table) {
            m_tableCode = code;
            return;
        }
    }
    m_tableCode = systemTableCode();
    m_table = m_tableCode.isEmpty() ? std::nullopt : loadTable(m_tableCode);
    if (!m_table)
        m_tableCode.clear();
}

std::optional<StringsTable> LanguageManager::loadTable(const QString& code) {
    const QString path = m_tablesDirectory + u'/' + code + folderSuffix + u'/' + tableFileName;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    StringsTable table = StringsTable::parse(QString::fromUtf8(file.readAll()));
    for (const QString& error : table.errors())
        m_logger.log(QStringLiteral("[Velmora] Text table %1, %2; entry skipped").arg(path, error));
    return table;
}

QString LanguageManager::systemTableCode() const {
    const QStringList codes = availableCodes();
    for (const QString& preferred : m_preferredLanguages()) {
        const QLocale preferredLocale(preferred);
        for (const QString& code : codes) {
            if (matches(preferredLocale, QLocale(code)))
                return code;
        }
    }
    return codes.contains(developmentCode) ? developmentCode : QString();
}

QStringList LanguageManager::availableCodes() const {
    QStringList codes;
    const QStringList folders =
        QDir(m_tablesDirectory).entryList({u'*' + folderSuffix}, QDir::Dirs, QDir::Name);
    for (const QString& folder : folders)
        codes.append(folder.chopped(folderSuffix.size()));
    return codes;
}
